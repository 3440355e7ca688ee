// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The clock seam on the simulated board's virtual time. The counter counts nanoseconds; every
// counter or tick reading costs a small settable virtual time, so busy-waits move on and end at
// once in wall time, and Sleep just advances the time. No real clock is read (unless pacing).
#include <cstdint>

#include "port/Clock.h"
#include "sim/RealTimePacer.h"
#include "sim/VirtualTime.h"

namespace tarpel::sim {

class SimulatedClock final : public port::Clock {
public:
    static constexpr std::int64_t CounterFrequency = 1'000'000'000;

    explicit SimulatedClock(VirtualTime& time, RealTimePacer* pacer = nullptr) : time_(time), pacer_(pacer) {}

    bool QueryPerformanceFrequency(std::int64_t& frequency) override {
        frequency = CounterFrequency;
        return true;
    }
    std::int64_t QueryPerformanceCounter() override {
        Spend(counterReadNs);
        return static_cast<std::int64_t>(time_.NowNs());
    }
    std::uint32_t GetTickCount() override {
        Spend(tickReadNs);
        return static_cast<std::uint32_t>(time_.NowNs() / 1'000'000);
    }
    void Sleep(std::uint32_t milliseconds) override { Spend(std::uint64_t{milliseconds} * 1'000'000); }
    // Paced to the wall clock, the sleep is real: it goes by in slices, each followed by the
    // question, as the real clock's does. Unpaced it is over at once and needs none.
    void SleepUnlessStopped(std::uint32_t milliseconds, const std::function<bool()>& stopRequested) override {
        if (pacer_ == nullptr || !pacer_->Enabled()) return Sleep(milliseconds);
        constexpr std::uint32_t SliceMs = 10;
        while (milliseconds > 0 && !stopRequested()) {
            const std::uint32_t slice = milliseconds < SliceMs ? milliseconds : SliceMs;
            Sleep(slice);
            milliseconds -= slice;
        }
    }

    // What one reading of std::chrono::steady_clock costs, as measured on the machine the fast
    // timing was tuned on: benchmarks/bench_board_time, BM_SteadyClockCounterRead, 27 ns of
    // processor time a reading (70-75 ns of wall time there, on two cores shared with other work).
    // The simulated board as the programs open it charges this for every counter and tick reading.
    static constexpr std::uint64_t MeasuredReadNs = 27;

    // What one reading costs here. Made on its own, the clock charges a round microsecond, which
    // the tests of the clock and of the 24Cxx detection count on.
    std::uint64_t counterReadNs = 1000;
    std::uint64_t tickReadNs = 1000;

private:
    void Spend(std::uint64_t ns) {
        time_.Advance(ns);
        if (pacer_) pacer_->Pace();
    }

    VirtualTime& time_;
    RealTimePacer* pacer_;
};

}  // namespace tarpel::sim
