// SPDX-License-Identifier: GPL-2.0-or-later
// The hex grid at its largest, a 24C512: rebuilding it from the image (RefreshGrid) and
// changing the chip type (cbChipChange), each with and without the repaint that follows.
// The window runs with a port that goes nowhere, on the X server when there is one
// (xvfb-run ...), else on the offscreen platform; the label names which. Each line shows the
// target beside the figure: target_ms is the most the CPU column may show.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

#include "port/Port.h"
#include "port/SteadyClock.h"
#include "ui/ModalRunner.h"
#include "ui/SettingsStore.h"
#include "ui/TVentana.h"

namespace {

using tarpel::ui::TVentana;

constexpr double TargetMs = 1.0;

class NullPort final : public tarpel::port::Port {
public:
    void DlPortWritePortUchar(std::uint16_t, std::uint8_t) override {}
    std::uint8_t DlPortReadPortUchar(std::uint16_t) override { return 0xFF; }
};

// Lets the window finish what a change started: a layout can post work for the next pass.
void Settle() {
    for (int pass = 0; pass < 3; ++pass) QCoreApplication::processEvents();
}

struct Bench {
    Bench() {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
        application = std::make_unique<QApplication>(argc, argv);
        settings = std::make_unique<tarpel::ui::SettingsStore>(folder.filePath("TARPEL.ini"));
        window = std::make_unique<TVentana>(TVentana::Dependencies{port, clock, *settings, runner, "Placa: nula", {}});
        window->resize(1280, 800);
        window->show();
        window->PageControl1->setCurrentWidget(window->eepromPage.ts24CXXX);
        window->eepromPage.cbChip->setCurrentIndex(9);
        Settle();
    }

    int argc = 1;
    char name[8] = "bench";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> application;
    QTemporaryDir folder;
    NullPort port;
    tarpel::port::SteadyClock clock;
    tarpel::ui::ModalRunner runner;
    std::unique_ptr<tarpel::ui::SettingsStore> settings;
    std::unique_ptr<TVentana> window;
};

TVentana& Window() {
    static Bench bench;
    return *bench.window;
}

void Report(benchmark::State& state, TVentana& window) {
    state.SetItemsProcessed(state.iterations() * window.Workspace().ChipSize);
    state.counters["target_ms"] = TargetMs;
    state.SetLabel(QGuiApplication::platformName().toStdString());
}

void BM_RefreshGrid24C512(benchmark::State& state) {
    TVentana& window = Window();
    window.eepromPage.cbChip->setCurrentIndex(9);
    Settle();
    for (auto _ : state) {
        window.RefreshGrid();
        if (state.range(0)) QCoreApplication::processEvents();
    }
    Report(state, window);
}
BENCHMARK(BM_RefreshGrid24C512)->ArgName("repaint")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Same size again: the image is refilled and every cell announced changed.
void BM_cbChipChange24C512(benchmark::State& state) {
    TVentana& window = Window();
    window.eepromPage.cbChip->setCurrentIndex(9);
    Settle();
    for (auto _ : state) {
        window.cbChipChange();
        if (state.range(0)) QCoreApplication::processEvents();
    }
    Report(state, window);
}
BENCHMARK(BM_cbChipChange24C512)->ArgName("repaint")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A real change of type onto the 24C512 (from the 24C256): the grid is laid out anew.
void BM_ChipChangeOnto24C512(benchmark::State& state) {
    TVentana& window = Window();
    for (auto _ : state) {
        state.PauseTiming();
        window.eepromPage.cbChip->setCurrentIndex(8);
        Settle();
        state.ResumeTiming();
        window.eepromPage.cbChip->setCurrentIndex(9);
        if (state.range(0)) QCoreApplication::processEvents();
    }
    Report(state, window);
}
BENCHMARK(BM_ChipChangeOnto24C512)->ArgName("repaint")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
