// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/TVentana.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include "board/CheckBoard.h"
#include "ui/ImageHistory.h"
#include "ui/SettingsStore.h"
#include "ui/ToolBarIcons.h"
#include "ui/TrQ.h"
#include "ui/WindowParts.h"
#include "ui/WindowTitles.h"

namespace tarpel::ui {

TVentana::TVentana(const Dependencies& dependencies, QWidget* parent)
    : QMainWindow(parent),
      port_(dependencies.port),
      clock_(dependencies.clock),
      settings_(dependencies.settings),
      modalRunner_(dependencies.modalRunner),
      boardDescription_(dependencies.boardDescription),
      boardError_(dependencies.boardError),
      nextChip_(dependencies.nextChip),
      lines_(dependencies.port),
      timing_(dependencies.clock),
      shell_(this, dependencies.modalRunner, OD, SD),
      eepromFrame_(workspace_, lines_, timing_, shell_),
      avrFrame_(lines_, timing_, shell_, *this) {
    setObjectName(QStringLiteral("Ventana"));
    setWindowTitle(MainWindowCaption);
    // Arial where it exists; else a face of the same width, so that the captions fit the
    // fixed panel widths (a wide face such as DejaVu Sans would cut them).
    QFont windowFont;
    windowFont.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                            QStringLiteral("Helvetica"), QStringLiteral("DejaVu Sans Condensed")});
    windowFont.setPixelSize(13);
    setFont(windowFont);
    resize(713, 554);

    IL = PaintToolBarIcons();
    BuildMenu();
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    setCentralWidget(PageControl1);
    BuildAvrPage();
    BuildEepromPage();
    PageControl1->setCurrentWidget(avrPage.TabSheet2);
    BuildStatusBar();
    shell_.AttachGauges(avrPage.prFlash, avrPage.prEEPInt);

    workspace_.RefreshGrid = [this] { RefreshGrid(); };
    workspace_.DifferencesFound = [this](std::span<const files::ByteDifference> differences) {
        ShowImageDifferences(differences);
    };
    FormCreate();
    BuildImageHistory();

    ConnectShellHandlers();
    ConnectDialogHandlers();
    ConnectEepromHandlers();
    ConnectAvrHandlers();
    ConnectProductionHandlers();
    ConnectDoorHandlers();
    ConnectFindHandlers();

    if (!boardError_.isEmpty()) QTimer::singleShot(0, this, &TVentana::ReportBoardError);
}

TVentana::~TVentana() {
    FormDestroy();
    // Before the members it uses go: its stack's last signals still reach the window.
    delete history_;
    history_ = nullptr;
    workspace_.RefreshGrid = nullptr;
    workspace_.DifferencesFound = nullptr;
    shell_.BeforeBox = nullptr;
}

void TVentana::BuildStatusBar() {
    lbPlaca = new QLabel(this);
    lbPlaca->setObjectName(QStringLiteral("lbPlaca"));
    if (boardError_.isEmpty()) lbPlaca->setText(boardDescription_);
    else lbPlaca->setText(TrQ("%1 - sin acceso a la placa: %2").arg(boardDescription_, boardError_));
    lbEstado = new QLabel(this);
    lbEstado->setObjectName(QStringLiteral("lbEstado"));
    statusBar()->addWidget(lbEstado, 1);
    // The fast timing is kept between runs: a user who chose it once should see it is still on.
    lbRapido = new QLabel(TrQ("Modo rapido"), this);
    lbRapido->setObjectName(QStringLiteral("lbRapido"));
    lbRapido->setVisible(false);
    statusBar()->addPermanentWidget(lbRapido);
    statusBar()->addPermanentWidget(lbPlaca);
    shell_.BeforeBox = [this] { ShowStatusBeforeBox(); };
}

void TVentana::FormCreate() {
    // The chip last chosen, by its name; the default chip when none or an unknown one is stored.
    const QString chip = settings_.ReadString(QStringLiteral("CHIP"), QString());
    eepromPage.cbChip->setCurrentIndex(eeprom::ChipIndexOf(chip.toStdString()).value_or(eeprom::DefaultChipIndex));
    cbChipChange();

    OD.InitialDir = settings_.ReadString(QStringLiteral("OPEN_DIR"), QStringLiteral("."));
    SD.InitialDir = settings_.ReadString(QStringLiteral("SAVE_DIR"), QStringLiteral("."));

    // The calibration runs while DelayFactor is still 0, which BitDelay takes as 1: it always
    // measures at factor 1. Only then is the user's factor read.
    timing_.CalibrateBitDelay();
    if (timing_.HasPerformanceCounter) {
        settings_.WriteString(QStringLiteral("RELOJ_TIEMPO_REAL"), QStringLiteral("SI"));
        timing_.DelayFactor = settings_.ReadInteger(QStringLiteral("RETARDO"), 1);
        ReadSwitches();
        return;
    }
    timing_.DelayFactor = settings_.ReadInteger(QStringLiteral("RETARDO"), 1);
    ReadSwitches();
    settings_.WriteInteger(QStringLiteral("BASE_TIEMPO"), timing_.LoopsPerUnit);
    settings_.WriteString(QStringLiteral("DT"), QString::fromStdString(timing_.SecondsPerLoopText()));
    settings_.WriteString(QStringLiteral("RELOJ_TIEMPO_REAL"), QStringLiteral("NO"));
}

void TVentana::ReadSwitches() {
    // Anything but "SI" is the standard timing; anything but "NO" keeps the check, which guards
    // against chips that take a write and keep other bytes.
    SetFastTiming(settings_.ReadString(QStringLiteral("RAPIDO"), QStringLiteral("NO")) == QStringLiteral("SI"));
    eepromFrame_.ReadBackAfterProgramming =
        settings_.ReadString(QStringLiteral("COMPROBAR_AL_PROGRAMAR"), QStringLiteral("SI")) != QStringLiteral("NO");
}

void TVentana::SetFastTiming(bool fast) {
    timing_.FastTiming = fast;
    ShowTimingStatus();
}

void TVentana::FormDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    lines_.WriteBusLines(false, false, false);
    settings_.WriteInteger(QStringLiteral("RETARDO"), timing_.DelayFactor);
    settings_.WriteString(QStringLiteral("RAPIDO"), timing_.FastTiming ? QStringLiteral("SI") : QStringLiteral("NO"));
    settings_.WriteString(QStringLiteral("COMPROBAR_AL_PROGRAMAR"),
                          eepromFrame_.ReadBackAfterProgramming ? QStringLiteral("SI") : QStringLiteral("NO"));
    settings_.WriteString(QStringLiteral("OPEN_DIR"), OD.RememberedName());
    settings_.WriteString(QStringLiteral("SAVE_DIR"), SD.RememberedName());
    settings_.WriteString(QStringLiteral("CHIP"), FromUtf8(workspace_.Chip().name));
}

void TVentana::ReportBoardError() { shell_.MessageBox(boardError_.toStdString(), "ERROR"); }

void TVentana::AttachProgressDialog(TformProgreso& dialog) { shell_.AttachProgressDialog(&dialog); }

void TVentana::ConnectShellHandlers() {
    connect(menu.Salir1, &QAction::triggered, this, &TVentana::Salir1Click);
    connect(menu.Checkearvelcor1, &QAction::triggered, this, &TVentana::Checkearvelcor1Click);
}

void TVentana::Salir1Click() {
    // While a command drives the board (the menu is disabled then, so this is a termination
    // signal) the quit waits for it, as the close box does: quitting at once would close the
    // progress dialog under the running command and take its "Cancelar..." away. A modal dialog
    // of the command (the manual test, a message) is closed so that the command can end.
    if (commandRunning_) {
        CloseAfterCommand();
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        return;
    }
    // Only a termination signal gets here while the question about unsaved bytes is open: the
    // second one ends the program without waiting for an answer that may never come.
    if (askingAboutEdits_) {
        quitWithoutAsking_ = true;
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        return;
    }
    // Through the close handler, which asks about unsaved bytes as the close box does.
    if (close()) QCoreApplication::quit();
}

void TVentana::Checkearvelcor1Click() {
    RunCommand([this] { board::CheckBoard(lines_, shell_); });
}

}  // namespace tarpel::ui
