// SPDX-License-Identifier: GPL-2.0-or-later
// One line change through the line layer (BoardLines) to a port that does nothing: the cost the
// program adds to each port access of a real board, where the access itself takes about 1 us.
// One SCL change on the 24Cxx side and one SCK change on the AVR side; each is a byte composed
// from the remembered lines and one port write. target_ns is the most the time column may show.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "link/BoardLines.h"
#include "port/Port.h"

namespace {

constexpr double TargetNs = 20.0;

// Defined here, out of the line layer's sight, so its calls stay virtual as a real backend's do.
class NullPort final : public tarpel::port::Port {
public:
    void DlPortWritePortUchar(std::uint16_t, std::uint8_t value) override { benchmark::DoNotOptimize(value); }
    std::uint8_t DlPortReadPortUchar(std::uint16_t) override { return 0xFF; }
};

void Report(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations());
    state.counters["target_ns"] = TargetNs;
}

void BM_SclChange(benchmark::State& state) {
    NullPort port;
    tarpel::link::BoardLines lines(port);
    lines.BusPowerUp();
    bool level = false;
    for (auto _ : state) {
        lines.SetScl(level);
        level = !level;
    }
    Report(state);
}
BENCHMARK(BM_SclChange);

void BM_SckChange(benchmark::State& state) {
    NullPort port;
    tarpel::link::BoardLines lines(port);
    lines.WriteIspLines(true, false, false, false, false);
    bool level = false;
    for (auto _ : state) {
        lines.SetSck(level);
        level = !level;
    }
    Report(state);
}
BENCHMARK(BM_SckChange);

}  // namespace
