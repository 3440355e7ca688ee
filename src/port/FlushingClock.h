// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A clock that first sends a queuing port's line changes: a wait, or a reading of the time
// that a busy-wait is made of, starts only once every change queued before it is on the pins.
// Without it a queuing port (the FTDI adapter) would let the waits between line changes pass
// while the changes are still in its queue.
#include <functional>
#include <memory>

#include "port/Clock.h"

namespace tarpel::port {

class FlushingClock final : public Clock {
public:
    FlushingClock(std::unique_ptr<Clock> inner, std::function<void()> flush)
        : inner_(std::move(inner)), flush_(std::move(flush)) {}

    bool QueryPerformanceFrequency(std::int64_t& frequency) override {
        return inner_->QueryPerformanceFrequency(frequency);
    }
    std::int64_t QueryPerformanceCounter() override {
        flush_();
        return inner_->QueryPerformanceCounter();
    }
    std::uint32_t GetTickCount() override {
        flush_();
        return inner_->GetTickCount();
    }
    void Sleep(std::uint32_t milliseconds) override {
        flush_();
        inner_->Sleep(milliseconds);
    }
    void SleepUnlessStopped(std::uint32_t milliseconds, const std::function<bool()>& stopRequested) override {
        flush_();
        inner_->SleepUnlessStopped(milliseconds, stopRequested);
    }

private:
    std::unique_ptr<Clock> inner_;
    std::function<void()> flush_;
};

}  // namespace tarpel::port
