// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The delay unit of the 24Cxx bit timing: DelayFactor x 25 us (x 5 us in the opt-in fast timing),
// busy-waited on the high-resolution counter, or on a busy loop calibrated at start-up where there
// is no counter. The AVR side takes only its clock and its fast-timing choice: its own timing is
// counted in XTAL1 cycles.
#include <cstdint>
#include <string>

#include "port/Clock.h"

namespace tarpel::link {

// The delay factor's range: the unit clamps into it, and the console refuses anything outside.
inline constexpr std::int32_t MinDelayFactor = 1;
inline constexpr std::int32_t MaxDelayFactor = 200;

class BitTiming {
public:
    explicit BitTiming(port::Clock& clock) : clock_(clock) {}

    // Waits one delay unit. Clamps DelayFactor into MinDelayFactor..MaxDelayFactor first and keeps
    // the clamped value.
    void BitDelay();
    // How long `units` delay units last, for a port that times them with its own pin clock.
    // Clamps DelayFactor as BitDelay does.
    std::uint64_t UnitsNanoseconds(int units);

    // Start-up step: probes the counter and, without one, measures the busy loop with BitDelay
    // itself, so that calibration and use run the very same loop. Settings are the caller's.
    void CalibrateBitDelay();

    // Seconds per busy-loop iteration measured by the last calibration (0 with a counter).
    double SecondsPerLoop() const { return secondsPerLoop_; }
    // That figure as the "DT" setting shows it: "%e" with 14 decimals and a 3-digit exponent.
    std::string SecondsPerLoopText() const;

    port::Clock& clock() { return clock_; }

    std::int32_t DelayFactor = 0;
    bool HasPerformanceCounter = false;
    double CounterFrequency = 0.0;
    std::int32_t LoopsPerUnit = 0;
    // The opt-in fast timing ("Modo rapido"): a delay unit of DelayFactor x 5 us, just above the
    // 100 kHz minimums of every 24Cxx (tLOW 4.7 us, tHIGH 4.0 us), and the I2C master's short
    // waveforms. Off, the timing is the standard one. The AVR link given this timing follows it too.
    bool FastTiming = false;

private:
    void ClampDelayFactor();

    port::Clock& clock_;
    double secondsPerLoop_ = 0.0;
};

// Formats like "%e" with 15 significant digits and a sign plus three exponent digits,
// using the decimal separator of the current C locale: 1.23456789012345E-008.
std::string FormatScientific(double value);

}  // namespace tarpel::link
