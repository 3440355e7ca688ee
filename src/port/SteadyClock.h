// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The real clock: std::chrono::steady_clock as the performance counter and the tick count,
// std::this_thread::sleep_for as the sleep.
#include "port/Clock.h"

namespace tarpel::port {

class SteadyClock final : public Clock {
public:
    bool QueryPerformanceFrequency(std::int64_t& frequency) override;
    std::int64_t QueryPerformanceCounter() override;
    std::uint32_t GetTickCount() override;
    void Sleep(std::uint32_t milliseconds) override;
    void SleepUnlessStopped(std::uint32_t milliseconds, const std::function<bool()>& stopRequested) override;
};

}  // namespace tarpel::port
