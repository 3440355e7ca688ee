// SPDX-License-Identifier: GPL-2.0-or-later
// The 24Cxx delay unit on the real clock (SteadyClock): how long one BitDelay at factor 1
// really lasts, against its 25 us, and the 5 us unit of the fast timing.
// A unit may last longer than asked, never shorter: min_us must not fall below target_us, and
// mean_us, median_us and p99_us show the overshoot. The mean and the p99 include the times the
// scheduler took the processor away, which on a loaded machine dominate them; the median does not.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "link/BitTiming.h"
#include "port/SteadyClock.h"

namespace {

using Stopwatch = std::chrono::steady_clock;

constexpr double UnitUs = 25.0;
constexpr double FastUnitUs = 5.0;

// Times each call of wait and reports the mean, the median, the 99th percentile and the shortest.
template <typename Wait>
void MeasureWaits(benchmark::State& state, double targetUs, Wait wait) {
    std::vector<double> samplesUs;
    samplesUs.reserve(static_cast<std::size_t>(state.max_iterations));
    for (auto _ : state) {
        const auto start = Stopwatch::now();
        wait();
        samplesUs.push_back(std::chrono::duration<double, std::micro>(Stopwatch::now() - start).count());
    }
    if (samplesUs.empty()) return;
    double total = 0.0;
    for (const double sample : samplesUs) total += sample;
    const auto at = [&](std::size_t percent) {
        const auto sample = samplesUs.begin() + static_cast<std::ptrdiff_t>(samplesUs.size() * percent / 100);
        std::nth_element(samplesUs.begin(), sample, samplesUs.end());
        return *sample;
    };
    state.counters["mean_us"] = total / static_cast<double>(samplesUs.size());
    state.counters["median_us"] = at(50);
    state.counters["p99_us"] = at(99);
    state.counters["min_us"] = *std::min_element(samplesUs.begin(), samplesUs.end());
    state.counters["target_us"] = targetUs;
}

void BM_BitDelay25us(benchmark::State& state) {
    tarpel::port::SteadyClock clock;
    tarpel::link::BitTiming timing(clock);
    timing.CalibrateBitDelay();
    timing.DelayFactor = 1;
    MeasureWaits(state, UnitUs, [&] { timing.BitDelay(); });
    state.SetLabel(timing.HasPerformanceCounter ? "counter" : "calibrated loop");
}
BENCHMARK(BM_BitDelay25us)->Iterations(20000)->Unit(benchmark::kMicrosecond);

void BM_BitDelay5us(benchmark::State& state) {
    tarpel::port::SteadyClock clock;
    tarpel::link::BitTiming timing(clock);
    timing.CalibrateBitDelay();
    timing.DelayFactor = 1;
    timing.FastTiming = true;
    MeasureWaits(state, FastUnitUs, [&] { timing.BitDelay(); });
    state.SetLabel(timing.HasPerformanceCounter ? "counter, fast timing" : "calibrated loop, fast timing");
}
BENCHMARK(BM_BitDelay5us)->Iterations(20000)->Unit(benchmark::kMicrosecond);

}  // namespace
