// SPDX-License-Identifier: GPL-2.0-or-later
#include "port/FtdiPinTick.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tarpel::port {

namespace {

// The first rate asked: four times it is 10 kHz, an exact divisor of the FT232R's 3 MHz and of
// the H series' 12 MHz. Even at twenty times this, a tick is 20 us, ten times what full-speed
// USB needs to carry a byte out and its sample back, so the pins never wait for the bus nor
// for room in the FT232R's 128-byte buffer towards the PC.
constexpr int FirstRate = 2'500;
// The lowest rate asked: four times it stays above the slowest the FT232R's divider gives.
constexpr int LowestRate = 100;
// Two runs, each one write and the read of its samples; their difference leaves out the USB
// round trip and the latency timer, which both pay alike: each ends in a packet of four samples
// (after two full ones of 62 in the long run) that waits for the timer. The long run is the 128
// samples the FT232R's buffer towards the PC holds, never more outstanding.
constexpr std::size_t ShortRun = 4;
constexpr std::size_t LongRun = 128;
// The difference must last this long, so that a USB frame's millisecond of jitter on either end
// stays within a few percent of it.
constexpr double EnoughNs = 40e6;

// One write of `count` idle bytes and the read of their samples, timed on the PC's clock.
bool TimeRun(FtdiCalls& calls, Clock& clock, std::int64_t frequency, std::size_t count, double& ns) {
    const std::vector<std::uint8_t> bytes(count, 0x00);
    std::vector<std::uint8_t> samples(count);
    const auto size = static_cast<int>(count);
    const std::int64_t start = clock.QueryPerformanceCounter();
    const int write = calls.SubmitWrite(bytes.data(), size);
    const int read = write >= 0 ? calls.SubmitRead(samples.data(), size) : -1;
    const bool written = write >= 0 && calls.TransferDone(write) == size;
    const bool sampled = read >= 0 && calls.TransferDone(read) == size;
    ns = static_cast<double>(clock.QueryPerformanceCounter() - start) * 1e9 / static_cast<double>(frequency);
    return written && sampled;
}

}  // namespace

double MeasurePinClockFactor(FtdiCalls& calls, Clock& clock) {
    std::int64_t frequency = 0;
    if (!clock.QueryPerformanceFrequency(frequency) || frequency <= 0) return 0;
    int rate = FirstRate;
    for (;;) {
        if (calls.SetBaudrate(rate) < 0) return 0;
        double shortNs = 0;
        double longNs = 0;
        if (!TimeRun(calls, clock, frequency, ShortRun, shortNs) || !TimeRun(calls, clock, frequency, LongRun, longNs))
            return 0;
        const double spanNs = std::max(longNs - shortNs, 1.0);
        const double tickNs = spanNs / static_cast<double>(LongRun - ShortRun);
        const double factor = 1e9 / (tickNs * rate);
        if (spanNs >= EnoughNs || rate == LowestRate) return factor;
        // Too quick to time well: slow down so that the runs' difference lasts twice enough.
        rate = std::max(LowestRate, static_cast<int>(rate * spanNs / (2 * EnoughNs)));
    }
}

}  // namespace tarpel::port
