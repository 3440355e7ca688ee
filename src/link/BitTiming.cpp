// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/BitTiming.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace tarpel::link {

namespace {

constexpr double UnitSeconds = 0.000025;
constexpr double FastUnitSeconds = 0.000005;
constexpr std::int32_t FastUnitsPerUnit = 5;  // UnitSeconds / FastUnitSeconds
constexpr std::int32_t MinimumLoopsPerUnit = 3000;
constexpr std::int32_t CalibrationLoops = 1000000;

// The fallback busy loop. The empty asm statement makes the compiler keep every iteration and
// its counter in a register without touching memory, so the loop cannot be folded away, and
// noinline keeps one copy of it for calibration and use alike.
[[gnu::noinline]] void SpinLoop(std::int64_t iterations) {
    std::uint32_t scratch = 0;
    for (std::int64_t i = 0; i < iterations; ++i) {
        scratch = scratch * 3u + 1u;
        asm volatile("" : "+r"(scratch));
    }
}

}  // namespace

void BitTiming::BitDelay() {
    ClampDelayFactor();

    if (HasPerformanceCounter) {
        const std::int64_t start = clock_.QueryPerformanceCounter();
        const double limit = DelayFactor * (FastTiming ? FastUnitSeconds : UnitSeconds);
        while (static_cast<double>(clock_.QueryPerformanceCounter() - start) / CounterFrequency <= limit) {
        }
        return;
    }
    // The calibration measured the loop at the standard unit; the fast unit is a fifth of it.
    const std::int64_t loops = FastTiming ? LoopsPerUnit / FastUnitsPerUnit : LoopsPerUnit;
    for (std::int32_t pass = 0; pass < DelayFactor; ++pass) SpinLoop(loops + 1);
}

void BitTiming::ClampDelayFactor() {
    if (DelayFactor < MinDelayFactor) DelayFactor = MinDelayFactor;
    if (DelayFactor > MaxDelayFactor) DelayFactor = MaxDelayFactor;
}

std::uint64_t BitTiming::UnitsNanoseconds(int units) {
    ClampDelayFactor();
    const double unit = DelayFactor * (FastTiming ? FastUnitSeconds : UnitSeconds);
    return static_cast<std::uint64_t>(std::ceil(unit * 1e9)) * static_cast<std::uint64_t>(std::max(units, 0));
}

void BitTiming::CalibrateBitDelay() {
    std::int64_t frequency = 0;
    HasPerformanceCounter = clock_.QueryPerformanceFrequency(frequency) && frequency > 0;
    CounterFrequency = static_cast<double>(frequency);
    secondsPerLoop_ = 0.0;
    if (HasPerformanceCounter) return;

    // The loop is measured at the standard unit, whichever timing is chosen.
    const bool fast = std::exchange(FastTiming, false);
    std::int64_t calls = 10;
    std::uint32_t t0 = 0;
    std::uint32_t t1 = 0;
    for (;;) {
        t0 = clock_.GetTickCount();
        LoopsPerUnit = CalibrationLoops;
        for (std::int64_t i = 0; i < calls; ++i) BitDelay();
        t1 = clock_.GetTickCount();
        if (static_cast<std::uint32_t>(t1 - t0) >= 100) break;
        calls *= 2;
    }
    FastTiming = fast;
    secondsPerLoop_ = static_cast<std::uint32_t>(t1 - t0) * 0.001 / (static_cast<double>(calls) * CalibrationLoops);
    const double loops = std::nearbyint(UnitSeconds / secondsPerLoop_);
    if (loops < MinimumLoopsPerUnit) LoopsPerUnit = MinimumLoopsPerUnit;
    else if (loops > INT32_MAX) LoopsPerUnit = INT32_MAX;
    else LoopsPerUnit = static_cast<std::int32_t>(loops);
}

std::string BitTiming::SecondsPerLoopText() const { return FormatScientific(secondsPerLoop_); }

std::string FormatScientific(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.14E", value);
    std::string result(text);
    // C prints at least two exponent digits; the stored form always has three.
    const auto e = result.find('E');
    if (e == std::string::npos || e + 2 >= result.size()) return result;
    std::string digits = result.substr(e + 2);
    while (digits.size() < 3) digits.insert(digits.begin(), '0');
    return result.substr(0, e + 2) + digits;
}

}  // namespace tarpel::link
