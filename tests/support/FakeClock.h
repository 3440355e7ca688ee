// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A clock for tests: time stands still unless a reading or a sleep moves it on by a set step.
#include <cstdint>
#include <deque>
#include <vector>

#include "port/Clock.h"

namespace tarpel::test {

class FakeClock final : public port::Clock {
public:
    bool hasCounter = true;
    std::int64_t frequency = 1'000'000'000;  // counts per second: one count is one nanosecond
    std::int64_t counterStepNs = 1000;       // each counter reading moves time on by this much
    std::int64_t tickStepNs = 1000;          // each tick-count reading likewise
    std::deque<std::uint32_t> scriptedTicks;  // when not empty, GetTickCount returns these in turn
    std::vector<std::uint32_t> sleeps;        // every Sleep call, in order
    std::uint64_t nowNs = 0;
    std::uint32_t tickOffsetMs = 0;           // added to the tick count, to test wrap-around

    bool QueryPerformanceFrequency(std::int64_t& f) override {
        f = hasCounter ? frequency : 0;
        return hasCounter;
    }
    std::int64_t QueryPerformanceCounter() override {
        nowNs += static_cast<std::uint64_t>(counterStepNs);
        return static_cast<std::int64_t>(nowNs);
    }
    std::uint32_t GetTickCount() override {
        if (!scriptedTicks.empty()) {
            const std::uint32_t t = scriptedTicks.front();
            scriptedTicks.pop_front();
            return t;
        }
        nowNs += static_cast<std::uint64_t>(tickStepNs);
        return static_cast<std::uint32_t>(nowNs / 1'000'000) + tickOffsetMs;
    }
    void Sleep(std::uint32_t ms) override {
        sleeps.push_back(ms);
        nowNs += std::uint64_t{ms} * 1'000'000;
    }
};

}  // namespace tarpel::test
