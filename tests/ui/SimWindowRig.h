// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The program's windows on the simulated board, as the program builds them: board::OpenBoard
// with a virtual 24Cxx and AVR whose contents live in a temporary folder, settings in an INI
// file there, and a modal runner that answers boxes and file dialogs and runs the window's own
// dialogs. A tapped port between window and board notes what the board was left with.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "DialogAnsweringRunner.h"
#include "TappedPort.h"
#include "TempFolder.h"
#include "board/Board.h"
#include "sim/SimulatedBoard.h"
#include "sim/Virtual24Cxx.h"
#include "sim/VirtualAvr.h"
#include "ui/Forms.h"
#include "ui/SettingsStore.h"

// Failure messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace tarpel::test {

struct SimSockets {
    std::string eeprom = "24C04";      // or "none"
    std::string avr = "atmega8515";    // or "none"
    std::vector<std::string> faults;

    static SimSockets WithEeprom(std::string chip) {
        SimSockets sockets;
        sockets.eeprom = std::move(chip);
        return sockets;
    }
    static SimSockets WithAvr(std::string device) {
        SimSockets sockets;
        sockets.avr = std::move(device);
        return sockets;
    }
};

class SimWindowRig {
public:
    TempFolder folder;  // first: the virtual chips save into it when the board goes
    board::Board board;
    std::unique_ptr<TappedPort> port;
    ui::SettingsStore settings{QString::fromStdString(folder.Path("TARPEL.ini"))};
    DialogAnsweringRunner runner;
    std::unique_ptr<ui::Forms> forms;  // last: the windows go before the board they switch off

    // Files put here before Start() are what the virtual chips hold ("24C04.bin",
    // "atmega8515-fuses.bin", ...).
    std::string SimFolder() const { return folder.Path("sim"); }
    void PutChipFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        std::filesystem::create_directories(SimFolder());
        folder.Write("sim/" + name, bytes);
    }

    ui::TVentana& Start(const SimSockets& sockets = {},
                        std::chrono::milliseconds aboutTimer = ui::TAboutBox::DefaultTimerInterval) {
        board::BoardOptions options;
        options.board = "sim";
        options.simDir = SimFolder();
        options.simEeprom = sockets.eeprom;
        options.simAvr = sockets.avr;
        options.simFaults = sockets.faults;
        board = board::OpenBoard(options);
        EXPECT_TRUE(board.Usable()) << board.error;
        port = std::make_unique<TappedPort>(*board.port);
        forms = std::make_unique<ui::Forms>(
            ui::TVentana::Dependencies{*port, *board.clock, settings, runner,
                                       QString::fromStdString(board.description), QString::fromStdString(board.error),
                                       board.nextChip},
            aboutTimer);
        Window().show();
        return Window();
    }
    void Stop() { forms.reset(); }

    ui::TVentana& Window() { return *forms->Ventana; }
    ui::TformProgreso& Progress() { return *forms->formProgreso; }
    std::vector<SeenBox>& Boxes() { return runner.recorder.boxes; }
    sim::Virtual24Cxx& Eeprom() { return dynamic_cast<sim::Virtual24Cxx&>(*board.simulation->Eeprom()); }
    sim::VirtualAvr& Avr() { return dynamic_cast<sim::VirtualAvr&>(*board.simulation->Avr()); }
    std::uint8_t BoardByte() const { return board.simulation->DataByte(); }
    QString Stored(const char* name) { return settings.ReadString(QString::fromLatin1(name), "<missing>"); }

    // Every control that starts or steers a command: the buttons of both pages and the
    // toolbar, the fuse check boxes the user may change, the lists, the page tabs, the grid and
    // the menu bar. CommandControls() names them all, EnabledCommandControls() those enabled now.
    QStringList CommandControls(bool enabledOnly = false) {
        ui::TVentana& w = Window();
        const ui::AvrPage& avrPage = w.avrPage;
        const ui::EepromPage& eepromPage = w.eepromPage;
        const std::vector<std::pair<QString, const QWidget*>> controls = {
            {"btnTipo", avrPage.btnTipo}, {"btnBorrar", avrPage.btnBorrar}, {"btnProgFlash", avrPage.btnProgFlash},
            {"BitBtn1", avrPage.BitBtn1}, {"BitBtn2", avrPage.BitBtn2}, {"btnTestBlank", avrPage.btnTestBlank},
            {"btnLeerFlash", avrPage.btnLeerFlash}, {"btnLeerEEPInt", avrPage.btnLeerEEPInt},
            {"btnFLashVerif", avrPage.btnFLashVerif}, {"btnEEPInt", avrPage.btnEEPInt},
            {"btnLeerFuses", avrPage.btnLeerFuses}, {"btnGrabarFuses", avrPage.btnGrabarFuses},
            {"btnProduccion", avrPage.btnProduccion}, {"ToolButtonProduccion", eepromPage.ToolButtonProduccion},
            {"ToolButton1", eepromPage.ToolButton1}, {"ToolButton2", eepromPage.ToolButton2},
            {"ToolButton4", eepromPage.ToolButton4}, {"ToolButton5", eepromPage.ToolButton5},
            {"ToolButton9", eepromPage.ToolButton9}, {"ToolButton11", eepromPage.ToolButton11},
            {"cbBODEN", avrPage.cbBODEN}, {"cbBODLev", avrPage.cbBODLev}, {"cbS8515", avrPage.cbS8515},
            {"cbWDTON", avrPage.cbWDTON}, {"cbCKOPT", avrPage.cbCKOPT}, {"cbEESAVE", avrPage.cbEESAVE},
            {"cbBOOTRST", avrPage.cbBOOTRST}, {"cbChip", eepromPage.cbChip}, {"cbXTAL", avrPage.cbXTAL},
            {"cbSUT", avrPage.cbSUT}, {"cbBootSize", avrPage.cbBootSize}, {"tabs", w.PageControl1->tabBar()},
            {"SG", eepromPage.SG}, {"menu", w.menuBar()}};
        QStringList names;
        for (const auto& [name, control] : controls)
            if (!enabledOnly || control->isEnabled()) names << name;
        return names;
    }
    QStringList EnabledCommandControls() { return CommandControls(true); }

    // Goes to a page by clicking its tab.
    void ClickTab(QWidget* page) {
        QTabBar* tabs = Window().PageControl1->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(Window().PageControl1->indexOf(page)).center());
    }

    // Drops local files on the window, as a file manager would; true when the drop was taken.
    // What it starts runs at the next pass of the message loop, which this runs.
    bool DropFiles(const QStringList& files) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& file : files) urls << QUrl::fromLocalFile(file);
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Window(), &enter);
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Window(), &drop);
        QCoreApplication::processEvents();
        return drop.isAccepted();
    }

    // Runs `inside` at the next pass of the message loop, which for a command that lets the
    // loop run is inside the command. Whether it ran while one did is recorded.
    void AtNextPump(std::function<void()> inside) {
        ranInsideCommand_.reset();
        QTimer::singleShot(0, &Window(), [this, inside = std::move(inside)] {
            ranInsideCommand_ = Window().CommandRunning();
            inside();
        });
    }
    std::optional<bool> RanInsideCommand() const { return ranInsideCommand_; }

    // Runs the program's message loop with `act` as its first event, until something ends the
    // loop; false when a guard had to end it instead.
    static bool LoopEndsAfter(std::function<void()> act) {
        bool guardFired = false;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&guardFired] {
            guardFired = true;
            QCoreApplication::exit(1);
        });
        guard.start(10'000);
        QTimer::singleShot(0, std::move(act));
        QApplication::exec();
        return !guardFired;
    }

private:
    std::optional<bool> ranInsideCommand_;
};

}  // namespace tarpel::test
