// SPDX-License-Identifier: GPL-2.0-or-later
#include "port/SteadyClock.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace tarpel::port {

using Steady = std::chrono::steady_clock;

bool SteadyClock::QueryPerformanceFrequency(std::int64_t& frequency) {
    frequency = Steady::period::den / Steady::period::num;
    return frequency > 0;
}

std::int64_t SteadyClock::QueryPerformanceCounter() {
    return static_cast<std::int64_t>(Steady::now().time_since_epoch().count());
}

std::uint32_t SteadyClock::GetTickCount() {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now().time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());
}

void SteadyClock::Sleep(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SteadyClock::SleepUnlessStopped(std::uint32_t milliseconds, const std::function<bool()>& stopRequested) {
    // Slices short beside a human's patience and long beside the cost of asking.
    constexpr std::uint32_t SliceMs = 10;
    while (milliseconds > 0 && !stopRequested()) {
        const std::uint32_t slice = std::min(milliseconds, SliceMs);
        Sleep(slice);
        milliseconds -= slice;
    }
}

}  // namespace tarpel::port
