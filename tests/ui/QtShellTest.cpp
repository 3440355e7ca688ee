// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <chrono>
#include <string>
#include <vector>

#include "RecordingModalRunner.h"
#include "TempFolder.h"
#include "WindowRig.h"
#include "shell/Progress.h"
#include "ui/FileDialog.h"
#include "ui/QtShell.h"
#include "ui/TGauge.h"
#include "ui/TformProgreso.h"

namespace tarpel::ui {
namespace {

struct ShellRig {
    QWidget parent;
    test::RecordingModalRunner runner;
    FileDialog od{FileDialog::Mode::Open, "Abrir fichero"};
    FileDialog sd{FileDialog::Mode::Save, "Guardar fichero"};
    QtShell shell{&parent, runner, od, sd};
};

TEST(QtShell, MessageBoxesHaveOneOkButtonNoIconAndTheGivenTexts) {
    ShellRig rig;
    rig.shell.MessageBox("Error en la direccion 0x0010\rfichero: nº 3", "ERROR EN LA COMPROBACION");
    rig.shell.ShowMessage("Programacion terminada");
    ASSERT_EQ(rig.runner.boxes.size(), 2u);
    const test::SeenBox& box = rig.runner.boxes[0];
    EXPECT_EQ(box.caption, "ERROR EN LA COMPROBACION");
    EXPECT_EQ(box.text, QString::fromUtf8("Error en la direccion 0x0010\nfichero: nº 3"));
    EXPECT_EQ(box.icon, QMessageBox::NoIcon);
    EXPECT_EQ(box.buttonCount, 1);
    EXPECT_TRUE(box.hasOk);
    EXPECT_EQ(rig.runner.boxes[1].caption, "Tarpel v1.5 ATMega8515   ");  // the application title
    EXPECT_EQ(rig.runner.boxes[1].text, "Programacion terminada");

    // A short text under a long caption: the box is as wide as the caption in a bold title font
    // with room for the title bar's buttons, so that no window manager cuts it.
    rig.shell.MessageBox("Hay diferencias en el byte nº:16", "ERROR EN LA COMPROBACION");
    QFont title = QApplication::font();
    title.setBold(true);
    EXPECT_GE(rig.runner.boxes[2].minimumWidth,
              QFontMetrics(title).horizontalAdvance("ERROR EN LA COMPROBACION") + 100);
}

TEST(QtShell, CursorIsOneShapeNotAStack) {
    ShellRig rig;
    EXPECT_EQ(rig.shell.Cursor(), shell::CursorShape::Default);
    rig.shell.SetCursor(shell::CursorShape::Hourglass);
    rig.shell.SetCursor(shell::CursorShape::Hourglass);
    EXPECT_EQ(rig.shell.Cursor(), shell::CursorShape::Hourglass);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    rig.shell.SetCursor(shell::CursorShape::Default);
    EXPECT_EQ(rig.shell.Cursor(), shell::CursorShape::Default);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(QtShell, FileDialogsAreSetUpAsTheSharedOpenAndSaveDialogs) {
    ShellRig rig;
    test::TempFolder folder;
    rig.od.InitialDir = QString::fromStdString(folder.Path("."));
    rig.sd.InitialDir = QString::fromStdString(folder.Write("old.hex", ""));  // a file: its folder is used
    EXPECT_FALSE(rig.shell.ChooseOpenFile());
    EXPECT_FALSE(rig.shell.ChooseSaveFile());
    ASSERT_EQ(rig.runner.fileDialogs.size(), 2u);
    // Every format each dialog reads or writes; an ELF program is only ever read.
    const QStringList saveFilters{"Ficheros Intel HEX (*.hex)", "Ficheros binarios (*.bin)",
                                  "Ficheros S-record (*.srec *.s19 *.s28 *.s37 *.mot)"};
    const QStringList openFilters = saveFilters + QStringList{"Programas ELF de avr-gcc (*.elf)"};
    EXPECT_EQ(rig.runner.fileDialogs[0].nameFilters, openFilters);
    EXPECT_EQ(rig.runner.fileDialogs[1].nameFilters, saveFilters);
    const QString folderPath = QDir(QString::fromStdString(folder.Path("."))).absolutePath();
    for (const test::SeenFileDialog& seen : rig.runner.fileDialogs) {
        EXPECT_EQ(seen.selectedNameFilter, saveFilters[0]);
        EXPECT_EQ(seen.defaultSuffix, "hex");
        EXPECT_EQ(QDir(seen.directory).canonicalPath(), QDir(folderPath).canonicalPath());
    }
    EXPECT_EQ(rig.runner.fileDialogs[0].title, "Abrir fichero");
    EXPECT_EQ(rig.runner.fileDialogs[0].acceptMode, QFileDialog::AcceptOpen);
    EXPECT_EQ(rig.runner.fileDialogs[1].title, "Guardar fichero");
    EXPECT_EQ(rig.runner.fileDialogs[1].acceptMode, QFileDialog::AcceptSave);
    EXPECT_TRUE(rig.runner.fileDialogs[1].confirmsOverwrite);
    EXPECT_EQ(rig.od.FileName, "*.hex");  // cancelled: nothing chosen
    EXPECT_EQ(rig.shell.LastOpenFile(), "*.hex");
}

TEST(QtShell, OpenDialogKeepsTheChosenFileAndACaptionOnlyForOneUse) {
    ShellRig rig;
    test::TempFolder folder;
    const std::string first = folder.Write("flash.hex", ":00000001FF\r\n");
    rig.runner.fileAnswers = {QString::fromStdString(first), std::nullopt};
    EXPECT_EQ(rig.shell.ChooseOpenFile("Fichero a comparar con la flash"), first);
    EXPECT_EQ(rig.od.Title, "Abrir fichero");
    EXPECT_EQ(rig.shell.LastOpenFile(), first);

    EXPECT_FALSE(rig.shell.ChooseOpenFile());  // cancelled: the earlier file stays
    EXPECT_EQ(rig.shell.LastOpenFile(), first);
    ASSERT_EQ(rig.runner.fileDialogs.size(), 2u);
    EXPECT_EQ(rig.runner.fileDialogs[0].title, "Fichero a comparar con la flash");
    EXPECT_EQ(rig.runner.fileDialogs[1].title, "Abrir fichero");
    EXPECT_EQ(QDir(rig.runner.fileDialogs[1].directory).canonicalPath(),
              QDir(QString::fromStdString(folder.Path("."))).canonicalPath());
}

TEST(QtShell, DrivesTheProgressDialogAndTheAvrGauges) {
    test::WindowRig rig;
    TVentana& window = rig.Start();
    shell::Shell& shell = window.Shell();
    TformProgreso& dialog = *rig.forms->formProgreso;

    dialog.btnCancelar->click();
    shell.ProgressSetGauge(0);
    shell.ProgressShow();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(shell.ProgressCancelRequested());
    shell.ProgressSetLabel("128 bytes leidos...");
    shell.ProgressSetGauge(57);
    EXPECT_EQ(dialog.lbProg->text(), "128 bytes leidos...");
    EXPECT_EQ(dialog.Progreso->Progress(), 57);
    dialog.btnCancelar->click();
    EXPECT_TRUE(shell.ProgressCancelRequested());
    shell.ProgressClose();
    EXPECT_FALSE(dialog.isVisible());

    shell.SetGauge(shell::Gauge::Flash, 30);
    shell.SetGauge(shell::Gauge::Eeprom, 130);
    EXPECT_EQ(window.avrPage.prFlash->Progress(), 30);
    EXPECT_EQ(window.avrPage.prEEPInt->Progress(), 100);
    EXPECT_EQ(window.avrPage.prFlash->ForeColor(), QColor(Qt::red));
}

// What the progress dialog's label and gauge showed each time they were painted.
class PaintedValues final : public QObject {
public:
    explicit PaintedValues(TformProgreso& dialog) : dialog_(dialog) {
        dialog.lbProg->installEventFilter(this);
        dialog.Progreso->installEventFilter(this);
    }
    std::vector<int> labelCounts;  // the count the label began with
    std::vector<int> gaugeValues;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        if (watched == dialog_.lbProg) labelCounts.push_back(dialog_.lbProg->text().section(' ', 0, 0).toInt());
        if (watched == dialog_.Progreso) gaugeValues.push_back(dialog_.Progreso->Progress());
        return false;
    }

private:
    TformProgreso& dialog_;
};

TEST(QtShell, ProgressRepaintsAtScreenRateTakesEveryValueAndPaintsTheLastOnes) {
    QWidget parent;
    test::RecordingModalRunner runner;
    FileDialog od{FileDialog::Mode::Open, "Abrir fichero"};
    FileDialog sd{FileDialog::Mode::Save, "Guardar fichero"};
    std::chrono::steady_clock::time_point now{};
    QtShell shell(&parent, runner, od, sd, [&now] { return now; });
    TformProgreso dialog;
    shell.AttachProgressDialog(&dialog);
    PaintedValues painted(dialog);

    // A read of 1,010 bytes, one every millisecond, as the commands drive the dialog; the last
    // ten come after the last repaint that falls due.
    constexpr int Bytes = 1010;
    shell.ProgressSetGauge(0);
    shell.ProgressShow();
    bool everyValueSet = true;
    for (int i = 0; i < Bytes; ++i) {
        now += std::chrono::milliseconds(1);
        const std::string label = std::to_string(i) + " bytes leidos...";
        EXPECT_FALSE(shell::ProgressStep(shell, label, i, Bytes));
        everyValueSet = everyValueSet && dialog.lbProg->text() == QString::fromStdString(label) &&
                        dialog.Progreso->Progress() == shell::ProgressPercent(i, Bytes);
    }
    const std::size_t paintsDuringTheRead = painted.labelCounts.size();
    shell.ProgressClose();

    EXPECT_TRUE(everyValueSet);
    // Painted when it appeared, then along the way at most once per 20 ms (here 20 bytes)...
    EXPECT_GE(paintsDuringTheRead, std::size_t{Bytes / 20});
    EXPECT_LE(paintsDuringTheRead, std::size_t{Bytes / 20 + 1});
    for (std::size_t i = 2; i < paintsDuringTheRead; ++i)
        EXPECT_GE(painted.labelCounts[i] - painted.labelCounts[i - 1], 20) << i;
    // ...and the last values were on the screen when the dialog went.
    ASSERT_FALSE(painted.labelCounts.empty());
    ASSERT_FALSE(painted.gaugeValues.empty());
    EXPECT_EQ(painted.labelCounts.back(), Bytes - 1);
    EXPECT_EQ(painted.gaugeValues.back(), 100);
}

TEST(QtShell, ACommandIsToldToStopWhenCancelIsPressedForTheUser) {
    test::WindowRig rig;
    rig.Start();
    TformProgreso& dialog = *rig.forms->formProgreso;
    ShellRig shellRig;
    QtShell& shell = shellRig.shell;
    shell.AttachProgressDialog(&dialog);
    EXPECT_FALSE(shell.ProgressCancelRequested());
    // Pressed for the user while the dialog is hidden, as during an AVR command.
    shell.PressCancel();
    EXPECT_TRUE(shell.ProgressCancelRequested());
    shell.ClearCancel();
    EXPECT_FALSE(shell.ProgressCancelRequested());
}

}  // namespace
}  // namespace tarpel::ui
