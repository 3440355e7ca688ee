// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "WindowRig.h"
#include "link/BitTiming.h"
#include "ui/QuitSignals.h"

namespace tarpel::ui {
namespace {

// A settings store that also notes every access, and how many port writes preceded it.
class LoggingStore final : public SettingsStore {
public:
    LoggingStore(QString file, const test::RecordingPort& port) : SettingsStore(std::move(file)), port_(port) {}

    std::vector<std::string> log;
    std::vector<std::size_t> portWritesBefore;

    QString ReadString(const QString& name, const QString& defaultValue) override {
        Note("read " + name.toStdString());
        return SettingsStore::ReadString(name, defaultValue);
    }
    void WriteString(const QString& name, const QString& value) override {
        Note("write " + name.toStdString() + "=" + value.toStdString());
        SettingsStore::WriteString(name, value);
    }

private:
    void Note(std::string entry) {
        log.push_back(std::move(entry));
        portWritesBefore.push_back(port_.writes.size());
    }
    const test::RecordingPort& port_;
};

QString Stored(test::WindowRig& rig, const char* name) { return rig.settings.ReadString(name, "<missing>"); }

TEST(StartUp, FirstStartUsesTheDefaultsAndExitStoresThem) {
    test::WindowRig rig;
    TVentana& window = rig.Start();
    EXPECT_EQ(window.OD.InitialDir, ".");
    EXPECT_EQ(window.SD.InitialDir, ".");
    EXPECT_EQ(window.Timing().DelayFactor, 1);
    EXPECT_TRUE(rig.port.writes.empty());  // start-up drives no line
    EXPECT_EQ(Stored(rig, "RELOJ_TIEMPO_REAL"), "SI");
    EXPECT_EQ(Stored(rig, "BASE_TIEMPO"), "<missing>");
    EXPECT_EQ(Stored(rig, "DT"), "<missing>");

    rig.Stop();
    EXPECT_EQ(Stored(rig, "RETARDO"), "1");
    EXPECT_EQ(Stored(rig, "OPEN_DIR"), ".");  // no file chosen: what was read at start
    EXPECT_EQ(Stored(rig, "SAVE_DIR"), ".");
}

TEST(StartUp, SettingsAccessesComeInTheirOrderWithAndWithoutTheCounter) {
    {
        test::WindowRig rig;
        LoggingStore& store = rig.UseStore<LoggingStore>(rig.port);
        rig.Start();
        EXPECT_EQ(store.log, (std::vector<std::string>{"read CHIP", "read OPEN_DIR", "read SAVE_DIR",
                                                       "write RELOJ_TIEMPO_REAL=SI", "read RETARDO", "read RAPIDO",
                                                       "read COMPROBAR_AL_PROGRAMAR"}));
    }
    test::WindowRig rig;
    rig.clock.hasCounter = false;
    rig.clock.scriptedTicks = {0, 100};  // the first batch of ten calls already takes 100 ms
    rig.settings.WriteInteger("RETARDO", 7);
    LoggingStore& store = rig.UseStore<LoggingStore>(rig.port);
    TVentana& window = rig.Start();
    const std::string dt = link::FormatScientific(0.1 / (10 * 1e6));
    EXPECT_EQ(store.log, (std::vector<std::string>{"read CHIP", "read OPEN_DIR", "read SAVE_DIR", "read RETARDO",
                                                   "read RAPIDO", "read COMPROBAR_AL_PROGRAMAR",
                                                   "write BASE_TIEMPO=3000", "write DT=" + dt,
                                                   "write RELOJ_TIEMPO_REAL=NO"}));
    EXPECT_EQ(window.Timing().DelayFactor, 7);
    EXPECT_EQ(window.Timing().LoopsPerUnit, 3000);
}

TEST(ShutDown, SwitchesEveryLineOffBeforeWritingTheSettings) {
    test::WindowRig rig;
    LoggingStore& store = rig.UseStore<LoggingStore>(rig.port);
    TVentana& window = rig.Start();
    window.Lines().WriteIspLines(true, true, true, true, true);
    store.log.clear();
    store.portWritesBefore.clear();

    rig.Stop();
    ASSERT_EQ(store.log, (std::vector<std::string>{"write RETARDO=1", "write RAPIDO=NO",
                                                   "write COMPROBAR_AL_PROGRAMAR=SI", "write OPEN_DIR=.",
                                                   "write SAVE_DIR=.", "write CHIP=24C128"}));
    ASSERT_EQ(rig.port.writes.size(), 2u);
    EXPECT_EQ(rig.port.writes[1].value, 0x00);
    for (const std::size_t before : store.portWritesBefore) EXPECT_EQ(before, 2u);
}

TEST(ShutDown, StoredValuesComeBackAndTheLastChosenFileIsSaved) {
    test::WindowRig rig;
    const QString file = QString::fromStdString(rig.folder.Write("chip.hex", ":00000001FF\r\n"));
    rig.settings.WriteInteger("RETARDO", 75);
    rig.settings.WriteString("OPEN_DIR", "/no/such/folder");
    rig.settings.WriteString("SAVE_DIR", file);
    TVentana& window = rig.Start();
    EXPECT_EQ(window.Timing().DelayFactor, 75);
    EXPECT_EQ(window.OD.InitialDir, "/no/such/folder");
    EXPECT_EQ(window.SD.InitialDir, file);

    rig.runner.fileAnswers = {file};
    ASSERT_TRUE(window.Shell().ChooseOpenFile());
    rig.Stop();
    EXPECT_EQ(Stored(rig, "RETARDO"), "75");
    EXPECT_EQ(Stored(rig, "OPEN_DIR"), file);  // the file itself, not its folder
    EXPECT_EQ(Stored(rig, "SAVE_DIR"), file) << "no file saved in this run: the last folder is not forgotten";
}

TEST(ShutDown, DelayFactorIsSavedAsTheTimingLeftIt) {
    struct Case {
        int stored;
        bool timedOperation;
        const char* saved;
    };
    for (const Case c : {Case{0, false, "0"}, Case{0, true, "1"}, Case{-5, true, "1"}, Case{250, false, "250"},
                         Case{250, true, "200"}}) {
        test::WindowRig rig;
        rig.settings.WriteInteger("RETARDO", c.stored);
        TVentana& window = rig.Start();
        EXPECT_EQ(window.Timing().DelayFactor, c.stored);
        if (c.timedOperation) window.Timing().BitDelay();
        rig.Stop();
        EXPECT_EQ(Stored(rig, "RETARDO"), c.saved) << c.stored << " " << c.timedOperation;
    }
}

TEST(StartUp, SelectsThe24C128AndSizesImageAndGrid) {
    test::WindowRig rig;
    TVentana& window = rig.Start();
    EXPECT_EQ(window.eepromPage.cbChip->currentText(), "24C128 -16 kb");
    EXPECT_EQ(window.Workspace().ChipSize, 16384);
    EXPECT_EQ(window.eepromPage.SG->model()->rowCount(), 2048);
    const auto& image = window.Workspace().MemoryImage;
    EXPECT_EQ(std::count(image.begin(), image.begin() + 16384, 0xFF), 16384);
    EXPECT_EQ(image[16384], 0x00);  // the slack above the chip is left alone
    EXPECT_EQ(window.PageControl1->currentWidget(), window.avrPage.TabSheet2);
}

TEST(StartUp, BoardThatCouldNotBeOpenedIsReportedOnceTheLoopRuns) {
    test::WindowRig rig;
    TVentana& window = rig.Start("Placa: /dev/parport0", "No se puede abrir /dev/parport0: permiso denegado");
    EXPECT_TRUE(rig.runner.boxes.empty());
    QCoreApplication::processEvents();
    ASSERT_EQ(rig.runner.boxes.size(), 1u);
    EXPECT_EQ(rig.runner.boxes[0].caption, "ERROR");
    EXPECT_EQ(rig.runner.boxes[0].text, "No se puede abrir /dev/parport0: permiso denegado");
    EXPECT_TRUE(window.lbPlaca->text().contains("Placa: /dev/parport0"));
    EXPECT_TRUE(window.lbPlaca->text().contains("permiso denegado"));

    test::WindowRig working;
    TVentana& fine = working.Start("Placa: simulada");
    QCoreApplication::processEvents();
    EXPECT_TRUE(working.runner.boxes.empty());
    EXPECT_EQ(fine.lbPlaca->text(), "Placa: simulada");
}

// Runs the message loop until something ends it; a guard ends a loop that nothing ended.
bool LoopEndsAfter(const std::function<void()>& act) {
    bool guardFired = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        guardFired = true;
        QCoreApplication::exit(1);
    });
    guard.start(10'000);
    QTimer::singleShot(0, act);
    QApplication::exec();
    return !guardFired;
}

TEST(ShutDown, SalirTheCloseBoxAndTerminationSignalsAllSwitchOffAndSave) {
    const std::vector<std::pair<const char*, std::function<void(TVentana&)>>> ways = {
        {"&Salir", [](TVentana& w) { w.menu.Salir1->trigger(); }},
        {"close box", [](TVentana& w) { w.close(); }},
        {"SIGTERM", [](TVentana&) { std::raise(SIGTERM); }},
        {"SIGINT", [](TVentana&) { std::raise(SIGINT); }},
        {"SIGHUP", [](TVentana&) { std::raise(SIGHUP); }},
        {"SIGQUIT", [](TVentana&) { std::raise(SIGQUIT); }},
    };
    for (const auto& entry : ways) {
        const char* name = entry.first;
        const std::function<void(TVentana&)>& way = entry.second;
        test::WindowRig rig;
        TVentana& window = rig.Start();
        window.Timing().DelayFactor = 9;
        QuitSignals quitSignals;
        QObject::connect(&quitSignals, &QuitSignals::QuitRequested, &window, &TVentana::Salir1Click);
        window.show();
        EXPECT_TRUE(LoopEndsAfter([&] { way(window); })) << name;
        rig.Stop();
        ASSERT_FALSE(rig.port.writes.empty()) << name;
        EXPECT_EQ(rig.port.Last(), 0x00) << name;
        EXPECT_EQ(Stored(rig, "RETARDO"), "9") << name;
    }
}

}  // namespace
}  // namespace tarpel::ui
