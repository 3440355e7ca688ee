// SPDX-License-Identifier: GPL-2.0-or-later
// Simulated port accesses per wall-clock second: the cost of one data-port write reaching both
// sockets, and of one status read, with the chips of the default simulation in the sockets.
// The aim is ten million accesses a second or more.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "board/Board.h"
#include "link/BoardLines.h"
#include "sim/SimulatedBoard.h"

namespace {

using namespace tarpel;

// The simulated board in a store folder of its own for the benchmark's run.
struct Simulation {
    Simulation(const char* eeprom, const char* avr) {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarpel-bench-sim-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) folder = pattern;
        board::BoardOptions options;
        options.board = "sim";
        options.simDir = folder;
        options.simEeprom = eeprom;
        options.simAvr = avr;
        opened = board::OpenBoard(options);
    }
    ~Simulation() {
        opened = {};
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
    std::string folder;
    board::Board opened;
};

// Port accesses made so far: each one costs the board's access time and nothing else runs the
// virtual clock here.
std::int64_t Accesses(const Simulation& simulation) {
    const auto* board = simulation.opened.simulation;
    return static_cast<std::int64_t>(board->Time().NowNs() / board->accessTimeNs);
}

void ReportRate(benchmark::State& state, std::int64_t accesses) {
    state.counters["accesses_per_s"] = benchmark::Counter(static_cast<double>(accesses), benchmark::Counter::kIsRate);
}

// Accesses as the I2C master makes them: start, control byte 0xA1 with its acknowledge clock,
// eight bytes read (each bit: SCL low, SDA low, SDA released, SCL high, one status read), the
// master's acknowledges, and a stop, so that the chip takes part in every step.
void I2cAccesses(benchmark::State& state, const char* eeprom, const char* avr) {
    Simulation simulation(eeprom, avr);
    if (!simulation.opened.Usable()) {
        state.SkipWithError(simulation.opened.error.c_str());
        return;
    }
    link::BoardLines lines(*simulation.opened.port);
    bool sink = false;
    lines.BusPowerUp();
    const std::int64_t before = Accesses(simulation);
    for (auto _ : state) {
        lines.SetScl(false);
        lines.SetSda(true);
        lines.SetScl(true);
        lines.SetSda(false);
        for (int bit = 7; bit >= 0; --bit) {
            lines.SetScl(false);
            lines.SetSda(((0xA1 >> bit) & 1) != 0);
            lines.SetScl(true);
        }
        lines.SetScl(false);
        lines.SetSda(true);
        lines.SetScl(true);
        sink ^= lines.ReadSdaIn();
        for (int byte = 0; byte < 8; ++byte) {
            for (int bit = 0; bit < 8; ++bit) {
                lines.SetScl(false);
                lines.SetSda(false);
                lines.SetSda(true);
                lines.SetScl(true);
                sink ^= lines.ReadSdaIn();
            }
            lines.SetScl(false);
            lines.SetSda(byte == 7);  // acknowledge all but the last byte
            lines.SetScl(true);
        }
        lines.SetScl(false);
        lines.SetSda(false);
        lines.SetScl(true);
        lines.SetSda(true);
    }
    benchmark::DoNotOptimize(sink);
    ReportRate(state, Accesses(simulation) - before);
}

void BM_I2cAccesses_24C128_ATmega8515(benchmark::State& state) { I2cAccesses(state, "24C128", "atmega8515"); }
void BM_I2cAccesses_24C128_Alone(benchmark::State& state) { I2cAccesses(state, "24C128", "none"); }

// The AVR side's XTAL1 clock: one write per edge, the densest access pattern the program makes.
void BM_XtalClock_ATmega8515(benchmark::State& state) {
    Simulation simulation("24C128", "atmega8515");
    if (!simulation.opened.Usable()) {
        state.SkipWithError(simulation.opened.error.c_str());
        return;
    }
    link::BoardLines lines(*simulation.opened.port);
    lines.WriteIspLines(true, false, false, false, false);
    const std::int64_t before = Accesses(simulation);
    for (auto _ : state) {
        for (int i = 0; i < 64; ++i) {
            lines.SetXtal(true);
            lines.SetXtal(false);
        }
    }
    ReportRate(state, Accesses(simulation) - before);
}

void BM_StatusRead(benchmark::State& state) {
    Simulation simulation("24C128", "atmega8515");
    port::Port& port = *simulation.opened.port;
    port.DlPortWritePortUchar(port::DataPort, 0x1F);
    std::uint8_t sink = 0;
    const std::int64_t before = Accesses(simulation);
    for (auto _ : state) sink ^= port.DlPortReadPortUchar(port::StatusPort);
    benchmark::DoNotOptimize(sink);
    ReportRate(state, Accesses(simulation) - before);
}

}  // namespace

// Rates per wall-clock second.
BENCHMARK(BM_I2cAccesses_24C128_ATmega8515)->UseRealTime();
BENCHMARK(BM_I2cAccesses_24C128_Alone)->UseRealTime();
BENCHMARK(BM_XtalClock_ATmega8515)->UseRealTime();
BENCHMARK(BM_StatusRead)->UseRealTime();
