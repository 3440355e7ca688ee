// SPDX-License-Identifier: GPL-2.0-or-later
// What the window's progress costs: "Leer chip" on a simulated 24C512 through the real main
// window and progress dialog on an X server, against the same read through a shell that does
// nothing. The difference, in processor time of the whole process per byte read, is what the
// label, the gauge, the message loop and their repaints add to every byte of a real read.
// The board's virtual time plays no part. Needs an X server (xvfb-run ...): the offscreen
// platform paints into memory and would miss the cost of a real display.
#include <benchmark/benchmark.h>
#include <time.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "QuietShell.h"
#include "board/Board.h"
#include "eeprom/ChipCommands.h"
#include "link/BitTiming.h"
#include "link/BoardLines.h"
#include "shell/Progress.h"
#include "sim/SimulatedClock.h"
#include "ui/Forms.h"
#include "ui/ModalRunner.h"
#include "ui/SettingsStore.h"

namespace {

using namespace tarpel;

constexpr int ChipBytes = 65536;
constexpr double TargetExtraUsPerByte = 2.0;

double ProcessCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A simulated board with a 24C512 whose contents live in a folder of the run's own.
board::Board Simulated24C512(const QTemporaryDir& folder, const char* name) {
    board::BoardOptions options;
    options.board = "sim";
    options.simDir = folder.filePath(QString::fromLatin1(name)).toStdString();
    std::filesystem::create_directories(options.simDir);
    options.simEeprom = "24C512";
    options.simAvr = "none";
    board::Board board = board::OpenBoard(options);
    // The bit timing busy-waits on the clock, and each simulated counter reading costs processor
    // time: at the real 27 ns a delay unit spins some 900 times, and how fast that spin runs in
    // one process or the other would swamp the interface's cost, though on a real board a slower
    // spin only means fewer readings in the same time. At 1 us a reading the spin is 25 readings.
    static_cast<sim::SimulatedClock&>(*board.clock).counterReadNs = 1000;
    return board;
}

struct Rig {
    Rig() {
        // The X server the benchmark was started under; without one it skips itself.
        qputenv("QT_QPA_PLATFORM", "xcb");
        application = std::make_unique<QApplication>(argc, argv);

        windowBoard = Simulated24C512(folder, "window");
        settings = std::make_unique<ui::SettingsStore>(folder.filePath(QStringLiteral("TARPEL.ini")));
        forms = std::make_unique<ui::Forms>(ui::TVentana::Dependencies{
            *windowBoard.port, *windowBoard.clock, *settings, runner, QStringLiteral("Placa: simulada"), {}});
        ui::TVentana& window = *forms->Ventana;
        window.resize(1280, 800);
        window.show();
        window.PageControl1->setCurrentWidget(window.eepromPage.ts24CXXX);
        window.eepromPage.cbChip->setCurrentIndex(9);
        Settle();

        quietBoard = Simulated24C512(folder, "quiet");
        lines = std::make_unique<link::BoardLines>(*quietBoard.port);
        timing = std::make_unique<link::BitTiming>(*quietBoard.clock);
        timing->CalibrateBitDelay();
        timing->DelayFactor = 1;  // as the window's, which reads the default setting
        workspace.cbChipChange(9);
        frame = std::make_unique<eeprom::CommandFrame>(workspace, *lines, *timing, quietShell);
    }

    static void Settle() {
        for (int pass = 0; pass < 3; ++pass) QCoreApplication::processEvents();
    }

    // One "Leer chip" as the user starts it, with the repaint that ends it.
    void WindowRead() {
        forms->Ventana->eepromPage.ToolButton4->click();
        QCoreApplication::processEvents();
    }
    bool QuietRead() { return eeprom::ReadChip(*frame) == shell::CommandOutcome::Done; }

    int argc = 1;
    char name[8] = "bench";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> application;
    QTemporaryDir folder;

    board::Board windowBoard;
    std::unique_ptr<ui::SettingsStore> settings;
    ui::ModalRunner runner;
    std::unique_ptr<ui::Forms> forms;

    board::Board quietBoard;
    std::unique_ptr<link::BoardLines> lines;
    std::unique_ptr<link::BitTiming> timing;
    eeprom::EepromWorkspace workspace;
    bench::QuietShell quietShell;
    std::unique_ptr<eeprom::CommandFrame> frame;
};

Rig& TheRig() {
    static Rig rig;
    return rig;
}

// Both reads in every iteration, one after the other, so that both see the same machine load.
// The figure is the median over the iterations of the window's extra time per byte, which a
// burst of other work on the machine moves less than the mean (given as well).
void BM_ReadChipWindowAgainstQuietShell(benchmark::State& state) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        state.SkipWithError("needs an X server: run it under xvfb-run");
        return;
    }
    Rig& rig = TheRig();
    std::vector<double> extraSeconds;
    double windowSeconds = 0;
    double quietSeconds = 0;
    for (auto _ : state) {
        double start = ProcessCpuSeconds();
        rig.WindowRead();
        const double window = ProcessCpuSeconds() - start;
        start = ProcessCpuSeconds();
        if (!rig.QuietRead()) state.SkipWithError("the read through the quiet shell failed");
        const double quiet = ProcessCpuSeconds() - start;
        windowSeconds += window;
        quietSeconds += quiet;
        extraSeconds.push_back(window - quiet);
    }
    if (rig.forms->formProgreso->lbProg->text() != QStringLiteral("65535 bytes leidos..."))
        state.SkipWithError("the window did not read the whole 24C512");
    std::sort(extraSeconds.begin(), extraSeconds.end());
    const std::size_t middle = extraSeconds.size() / 2;
    const double medianExtra = extraSeconds.size() % 2 != 0
                                   ? extraSeconds[middle]
                                   : (extraSeconds[middle - 1] + extraSeconds[middle]) / 2;
    const double bytes = static_cast<double>(state.iterations()) * ChipBytes;
    state.counters["window_us_per_byte"] = windowSeconds / bytes * 1e6;
    state.counters["quiet_us_per_byte"] = quietSeconds / bytes * 1e6;
    state.counters["extra_mean_us"] = (windowSeconds - quietSeconds) / bytes * 1e6;
    state.counters["extra_us_per_byte"] = medianExtra / ChipBytes * 1e6;
    state.counters["target_extra_us"] = TargetExtraUsPerByte;
}
BENCHMARK(BM_ReadChipWindowAgainstQuietShell)->Iterations(10)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// The window's share of one byte alone, as the read does it under the shown dialog: label,
// gauge, one pass of the message loop and the cancel question. Against the whole read's
// extra, it shows how much of that is the shell and how much the transfer running slower
// between passes of the loop.
void BM_WindowProgressStep(benchmark::State& state) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        state.SkipWithError("needs an X server: run it under xvfb-run");
        return;
    }
    shell::Shell& shell = TheRig().forms->Ventana->Shell();
    shell.ProgressSetGauge(0);
    shell.ProgressShow();
    std::int64_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(shell::ProgressStep(shell, std::to_string(i) + " bytes leidos...", i, ChipBytes));
        i = (i + 1) % ChipBytes;
    }
    shell.ProgressClose();
    state.counters["target_extra_us"] = TargetExtraUsPerByte;
}
BENCHMARK(BM_WindowProgressStep)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

}  // namespace
