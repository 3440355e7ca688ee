// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The clock seam: every wait and every time reading of the program goes through it, so the
// simulated board can run all timing on virtual time and tests never sleep.
#include <cstdint>
#include <functional>

namespace tarpel::port {

class Clock {
public:
    virtual ~Clock() = default;

    // Counts per second of the high-resolution counter; false when the platform has none.
    virtual bool QueryPerformanceFrequency(std::int64_t& frequency) = 0;
    virtual std::int64_t QueryPerformanceCounter() = 0;
    // Milliseconds since some start, wrapping at 2^32 like the classic tick count.
    virtual std::uint32_t GetTickCount() = 0;
    // Blocks the calling thread for the given milliseconds.
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // Sleep for a wait that a stop may cut short, one before anything has been written (a
    // power-up): a clock that blocks for real looks at `stopRequested` every few milliseconds and
    // returns early once it answers yes. The caller asks again after it.
    virtual void SleepUnlessStopped(std::uint32_t milliseconds, const std::function<bool()>& /*stopRequested*/) {
        Sleep(milliseconds);
    }
};

}  // namespace tarpel::port
