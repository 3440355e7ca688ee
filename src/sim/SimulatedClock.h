#pragma once
// The clock seam on the simulated board's virtual time. The counter counts nanoseconds; every
// counter or tick reading costs a small settable virtual time, so busy-waits move on and end at
// once in wall time, and Sleep just advances the time. No real clock is read (unless pacing).
#include <cstdint>

#include "hw/Clock.h"
#include "sim/RealTimePacer.h"
#include "sim/VirtualTime.h"

namespace tarpel::sim {

class SimulatedClock final : public hw::Clock {
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

    // What one reading costs. About what a counter read through a slow timer chip costs on an
    // older PC; small against the 25 us delay unit, large enough that a 24C512 runs in a blink.
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
