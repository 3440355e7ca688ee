// SPDX-License-Identifier: GPL-2.0-or-later
// Wall time of programming a whole 8 KiB flash on the simulated board: byte by byte with
// read-back polling on the AT90S8515, page by page with each page read back on the ATmega8515.
// The counter "virtual_s" is the time the same run takes on the board's virtual clock, that is
// on a real port.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "QuietShell.h"
#include "avr/CommandFrame.h"
#include "avr/ProgramFlash.h"
#include "board/Board.h"
#include "link/BoardLines.h"
#include "sim/SimulatedBoard.h"

namespace {

using namespace tarpel;

class QuietView final : public avr::AvrView {
public:
    void SetDeviceCaption(std::string_view) override {}
};

std::filesystem::path MakeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarpel-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

void ProgramWholeFlash(benchmark::State& state, const char* model) {
    const std::filesystem::path folder = MakeFolder();
    const std::string file = (folder / "image.bin").string();
    {
        std::ofstream out(file, std::ios::binary);
        for (int a = 0; a < 8192; ++a) out.put(static_cast<char>((a * 37 + 11) & 0xFF));
    }
    double virtualSeconds = 0;
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        board::BoardOptions options;
        options.board = "sim";
        options.simDir = (folder / ("run" + std::to_string(run++))).string();  // an erased device
        options.simEeprom = "none";
        options.simAvr = model;
        board::Board board = board::OpenBoard(options);
        link::BoardLines lines(*board.port);
        bench::QuietShell shell;
        QuietView view;
        link::BitTiming timing(*board.clock);
        avr::CommandFrame frame(lines, timing, shell, view);
        const std::uint64_t startNs = board.simulation->Time().NowNs();
        state.ResumeTiming();

        const auto outcome = avr::ProgramFlashFrom(frame, file);

        state.PauseTiming();
        if (outcome != shell::CommandOutcome::Done || shell.messages != 0) state.SkipWithError("programming failed");
        virtualSeconds += static_cast<double>(board.simulation->Time().NowNs() - startNs) / 1e9;
        state.ResumeTiming();
    }
    state.counters["virtual_s"] = benchmark::Counter(virtualSeconds, benchmark::Counter::kAvgIterations);
    std::filesystem::remove_all(folder);
}

void BM_ByteModeAt90s8515(benchmark::State& state) { ProgramWholeFlash(state, "at90s8515"); }
void BM_PageModeAtmega8515(benchmark::State& state) { ProgramWholeFlash(state, "atmega8515"); }

BENCHMARK(BM_ByteModeAt90s8515)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageModeAtmega8515)->Unit(benchmark::kMillisecond);

}  // namespace
