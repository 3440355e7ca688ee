// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <clocale>

#include "FakeClock.h"
#include "link/BitTiming.h"

namespace tarpel::test {
namespace {

TEST(BitTiming, DelayFactorIsClampedAndKept) {
    FakeClock clock;
    link::BitTiming timing(clock);
    timing.CalibrateBitDelay();
    for (auto [given, kept] : {std::pair{0, 1}, {-7, 1}, {250, 200}, {37, 37}}) {
        timing.DelayFactor = given;
        timing.BitDelay();
        EXPECT_EQ(timing.DelayFactor, kept) << given;
    }
}

TEST(BitTiming, CounterWaitLastsStrictlyMoreThanTheUnit) {
    FakeClock clock;
    clock.counterStepNs = 1000;
    link::BitTiming timing(clock);
    timing.CalibrateBitDelay();
    EXPECT_TRUE(timing.HasPerformanceCounter);
    EXPECT_EQ(timing.LoopsPerUnit, 0);

    timing.DelayFactor = 3;
    const auto before = clock.nowNs;
    timing.BitDelay();
    const auto elapsed = clock.nowNs - before;
    // 75 us must pass, and at one microsecond per reading it ends at the first reading beyond.
    EXPECT_GT(elapsed, 75'000u);
    EXPECT_LE(elapsed, 77'000u);
}

TEST(BitTiming, CalibrationDoublesUntilOneHundredMilliseconds) {
    FakeClock clock;
    clock.hasCounter = false;
    // 10 calls: 50 ms (too short), 20 calls: 0 -> 250 ms.
    clock.scriptedTicks = {1000, 1050, 2000, 2250};
    link::BitTiming timing(clock);
    timing.CalibrateBitDelay();
    EXPECT_FALSE(timing.HasPerformanceCounter);
    EXPECT_EQ(timing.DelayFactor, 1);  // raised from 0 by the first BitDelay
    const double dt = 0.250 / (20 * 1e6);
    EXPECT_DOUBLE_EQ(timing.SecondsPerLoop(), dt);
    EXPECT_EQ(timing.LoopsPerUnit, 3000);  // 25 us / 12.5 ns is 2000 loops, raised to the 3000 minimum
    EXPECT_TRUE(clock.scriptedTicks.empty());
}

TEST(BitTiming, CalibrationKeepsTheFirstBatchWhenItIsLongEnoughAndRoundsToNearest) {
    FakeClock clock;
    clock.hasCounter = false;
    clock.scriptedTicks = {0, 100};  // 10 calls took 100 ms: 1e-8 s per loop... rounds to 2500 -> 3000
    link::BitTiming timing(clock);
    timing.CalibrateBitDelay();
    EXPECT_EQ(timing.LoopsPerUnit, 3000);

    clock.scriptedTicks = {0xFFFFFFF0u, 0x00000004u};  // 20 ms across the wrap: too short
    clock.scriptedTicks.insert(clock.scriptedTicks.end(), {0, 1});  // then 1 ms for 20 calls... too short
    clock.scriptedTicks.insert(clock.scriptedTicks.end(), {0, 1});
    clock.scriptedTicks.insert(clock.scriptedTicks.end(), {10, 110});  // 80 calls in 100 ms
    link::BitTiming fast(clock);
    fast.CalibrateBitDelay();
    const double dt = 0.1 / (80 * 1e6);
    EXPECT_DOUBLE_EQ(fast.SecondsPerLoop(), dt);
    EXPECT_EQ(fast.LoopsPerUnit, 20000);  // 25 us / 1.25 ns
}

TEST(BitTiming, ScientificTextHasFifteenDigitsAndAThreeDigitExponent) {
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(link::FormatScientific(1.25e-9), "1.25000000000000E-009");
    EXPECT_EQ(link::FormatScientific(3.0e100), "3.00000000000000E+100");
    EXPECT_EQ(link::FormatScientific(0.0), "0.00000000000000E+000");
}

}  // namespace
}  // namespace tarpel::test
