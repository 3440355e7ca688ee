// SPDX-License-Identifier: GPL-2.0-or-later
// Wall time of the 24Cxx commands on the simulated board with a shell that does nothing, so that
// what is measured is the command loop itself: the per-byte progress bookkeeping and message pump
// of the read must stay small against the bit-banged transfer.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "QuietShell.h"
#include "board/Board.h"
#include "eeprom/ChipCommands.h"
#include "link/I2cMaster.h"
#include "shell/Progress.h"
#include "sim/SimulatedBoard.h"

namespace {

using namespace tarpel;

// A simulated 24C512 whose contents live in a folder of its own for the benchmark's run.
struct Simulated24C512 {
    Simulated24C512() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarpel-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) folder = pattern;
        board::BoardOptions options;
        options.board = "sim";
        options.simDir = folder;
        options.simEeprom = "24C512";
        options.simAvr = "none";
        opened = board::OpenBoard(options);
        lines = std::make_unique<link::BoardLines>(*opened.port);
        timing = std::make_unique<link::BitTiming>(*opened.clock);
        timing->CalibrateBitDelay();
        timing->DelayFactor = 1;
        workspace.cbChipChange(9);
        for (std::int32_t i = 0; i < workspace.ChipSize; ++i)
            workspace.MemoryImage[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 31 + 7);
        frame = std::make_unique<eeprom::CommandFrame>(workspace, *lines, *timing, shell);
    }
    ~Simulated24C512() {
        opened = {};
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
    double VirtualSeconds() const { return static_cast<double>(opened.simulation->Time().NowNs()) * 1e-9; }

    std::string folder;
    board::Board opened;
    std::unique_ptr<link::BoardLines> lines;
    std::unique_ptr<link::BitTiming> timing;
    eeprom::EepromWorkspace workspace;
    bench::QuietShell shell;
    std::unique_ptr<eeprom::CommandFrame> frame;
};

void BM_Read24C512(benchmark::State& state) {
    Simulated24C512 chip;
    double virtualSeconds = 0;
    for (auto _ : state) {
        const double before = chip.VirtualSeconds();
        const auto outcome = eeprom::ReadChip(*chip.frame);
        if (outcome != shell::CommandOutcome::Done) state.SkipWithError("the read failed");
        virtualSeconds = chip.VirtualSeconds() - before;
    }
    state.counters["virtual_s"] = virtualSeconds;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 65536);
}
BENCHMARK(BM_Read24C512)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProgramAndVerify24C512(benchmark::State& state) {
    Simulated24C512 chip;
    double virtualSeconds = 0;
    for (auto _ : state) {
        const double before = chip.VirtualSeconds();
        if (eeprom::ProgramChip(*chip.frame) != shell::CommandOutcome::Done)
            state.SkipWithError("the program failed");
        if (eeprom::VerifyChip(*chip.frame) != shell::CommandOutcome::Done)
            state.SkipWithError("the verification failed");
        virtualSeconds = chip.VirtualSeconds() - before;
    }
    state.counters["virtual_s"] = virtualSeconds;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 65536);
}
BENCHMARK(BM_ProgramAndVerify24C512)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the read adds per byte besides the transfer: label, gauge and the (empty) pump.
void BM_ReadProgressStep(benchmark::State& state) {
    bench::QuietShell shell;
    std::int64_t i = 0;
    for (auto _ : state) {
        shell.ProgressSetLabel(std::to_string(i) + " bytes leidos...");
        shell.ProgressSetGauge(shell::ProgressPercent(i, 65536));
        shell.ProcessMessages();
        benchmark::DoNotOptimize(shell.ProgressCancelRequested());
        i = (i + 1) & 0xFFFF;
    }
}
BENCHMARK(BM_ReadProgressStep);

}  // namespace
