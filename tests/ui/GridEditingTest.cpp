// SPDX-License-Identifier: GPL-2.0-or-later
// Editing the 24Cxx image in the grid as a user would, on the simulated board: typed bytes,
// "Rellenar...", undo and redo decide what "Programar chip" writes into the virtual 24C04; the
// edited bytes are marked until programmed. Then the window title and the remembered chip.
#include <gtest/gtest.h>

#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QMessageBox>
#include <QToolButton>

#include <csignal>
#include <tuple>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "SimWindowRig.h"
#include "WindowRig.h"
#include "ui/HexFieldsDialog.h"
#include "ui/HexGridModel.h"
#include "ui/ImageHistory.h"
#include "ui/QuitSignals.h"

namespace tarpel::ui {
namespace {

constexpr int ChipBytes = 512;  // the 24C04 in the socket

std::vector<std::uint8_t> ChipStart() {
    std::vector<std::uint8_t> bytes(ChipBytes);
    for (int i = 0; i < ChipBytes; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}

std::vector<std::uint8_t> ChipNow(test::SimWindowRig& rig) {
    const auto memory = rig.Eeprom().Memory();
    return {memory.begin(), memory.end()};
}

QModelIndex Cell(const TVentana& window, int address, bool characters = false) {
    return static_cast<const HexGridModel*>(window.eepromPage.SG->model())->CellOf(address, characters);
}

bool MarkedEdited(const TVentana& window, int address) {
    return Cell(window, address).data(Qt::BackgroundRole).value<QColor>() == HexGridModel::EditedBackground;
}

TEST(GridEditing, TypedFilledAndUndoneBytesAreWhatTheChipIsProgrammedWith) {
    test::SimWindowRig rig;
    rig.PutChipFile("24C04.bin", ChipStart());
    TVentana& window = rig.Start();
    rig.ClickTab(window.eepromPage.ts24CXXX);
    window.eepromPage.cbChip->setCurrentIndex(2);
    QTest::mouseClick(window.eepromPage.ToolButton4, Qt::LeftButton);  // read the chip into the grid
    std::vector<std::uint8_t> expected = ChipStart();

    // Two hex digits make a byte and move on; the next byte's digits follow; Tab goes to the
    // character pane of the byte the cursor is on, where a character is one byte.
    window.eepromPage.SG->setCurrentIndex(Cell(window, 0x10));
    QTest::keyClicks(window.eepromPage.SG, "a5C");
    EXPECT_EQ(window.eepromPage.SG->currentIndex(), Cell(window, 0x11));
    QTest::keyClick(window.eepromPage.SG, Qt::Key_9);
    EXPECT_EQ(window.eepromPage.SG->currentIndex(), Cell(window, 0x12));
    expected[0x10] = 0xA5;
    expected[0x11] = 0xC9;
    QTest::keyClick(window.eepromPage.SG, Qt::Key_Tab);
    EXPECT_EQ(window.eepromPage.SG->currentIndex(), Cell(window, 0x12, true));
    QTest::keyClick(window.eepromPage.SG, 'Z');
    QTest::sendKeyEvent(QTest::Press, window.eepromPage.SG, Qt::Key_Ntilde, QStringLiteral("ñ"), Qt::NoModifier);
    expected[0x12] = 'Z';
    expected[0x13] = 0xF1;  // Windows-1252
    // Left from the start of a row goes to the end of the row above, in the same pane.
    window.eepromPage.SG->setCurrentIndex(Cell(window, 0x18, true));
    QTest::keyClick(window.eepromPage.SG, Qt::Key_Left);
    EXPECT_EQ(window.eepromPage.SG->currentIndex(), Cell(window, 0x17, true));

    // The fill: 0x40 .. 0x4F to 00 through its dialog, the first field typed as a user types:
    // it has the focus, its text selected.
    rig.runner.whileOpen = [](QDialog& dialog) {
        auto& fill = dynamic_cast<HexFieldsDialog&>(dialog);
        ASSERT_EQ(dialog.focusWidget(), fill.Edits[0]);
        EXPECT_EQ(fill.Edits[0]->selectedText(), fill.Edits[0]->text());
        QTest::keyClicks(fill.Edits[0], "40");
        fill.Edits[1]->setText("4f");
        fill.Edits[2]->setText("0");
        fill.btnAceptar->click();
    };
    window.menu.Rellenar1->trigger();
    std::fill(expected.begin() + 0x40, expected.begin() + 0x50, 0x00);
    // The grid shows the range selected, and the status bar says what was done.
    const QItemSelectionModel& selection = *window.eepromPage.SG->selectionModel();
    EXPECT_EQ(selection.selectedIndexes().size(), 16);
    EXPECT_TRUE(selection.isSelected(Cell(window, 0x40)) && selection.isSelected(Cell(window, 0x4F)));
    EXPECT_EQ(window.lbEstado->text(), "Rellenadas 0x0040-0x004F con 00");
    EXPECT_TRUE(MarkedEdited(window, 0x11));
    EXPECT_TRUE(MarkedEdited(window, 0x4F));
    EXPECT_FALSE(MarkedEdited(window, 0x14));

    // Undo takes the fill and then the last character back; redo brings the character again.
    window.menu.Deshacer1->trigger();
    window.menu.Deshacer1->trigger();
    window.menu.Rehacer1->trigger();
    const std::vector<std::uint8_t> start = ChipStart();
    std::copy(start.begin() + 0x40, start.begin() + 0x50, expected.begin() + 0x40);
    EXPECT_FALSE(MarkedEdited(window, 0x40));

    QTest::mouseClick(window.eepromPage.ToolButton5, Qt::LeftButton);
    EXPECT_TRUE(rig.Boxes().empty());
    EXPECT_EQ(ChipNow(rig), expected);
    EXPECT_FALSE(MarkedEdited(window, 0x10)) << "programmed: no longer an edit";

    // Undoing an edit after programming changes the image again, and the next program with it.
    window.menu.Deshacer1->trigger();  // 'ñ'
    window.menu.Deshacer1->trigger();  // 'Z'
    expected[0x12] = start[0x12];
    expected[0x13] = start[0x13];
    EXPECT_TRUE(MarkedEdited(window, 0x12));
    QTest::mouseClick(window.eepromPage.ToolButton5, Qt::LeftButton);
    EXPECT_EQ(ChipNow(rig), expected);

    // Undoing as far as it goes takes back the bytes, the read and the chip change.
    while (window.History().Stack().canUndo()) window.menu.Deshacer1->trigger();
    EXPECT_EQ(window.eepromPage.cbChip->currentIndex(), 7);
    EXPECT_EQ(window.Workspace().ChipSize, 16384);
    EXPECT_TRUE(std::all_of(window.Workspace().MemoryImage.begin(), window.Workspace().MemoryImage.begin() + 16384,
                            [](std::uint8_t byte) { return byte == 0xFF; }));
}

// With typed bytes unsaved, each way the image can go asks first: "Cancelar" keeps everything,
// "No" goes on, "Si" saves and goes on. A second termination signal while it asks just quits.
TEST(GridEditing, UnsavedBytesAreAskedAboutOnEveryPathThatDropsThem) {
    using Rig = test::SimWindowRig;
    const auto quit = [](std::function<void(TVentana&)> act) {  // in the message loop, which a quit ends
        return [act](Rig& rig) {
            Rig::LoopEndsAfter([&] {
                act(rig.Window());
                if (rig.Window().isVisible()) QCoreApplication::exit(1);
            });
        };
    };
    const auto signal = [](TVentana& window) {
        QuitSignals quitSignals;  // wired as the program wires it
        QObject::connect(&quitSignals, &QuitSignals::QuitRequested, &window, &TVentana::Salir1Click);
        std::raise(SIGTERM);
        QCoreApplication::processEvents();
    };
    const auto closed = [](TVentana& window) { return !window.isVisible(); };
    const auto edited = [](Rig& rig) -> TVentana& {
        rig.Start().eepromPage.cbChip->setCurrentIndex(2);
        rig.Window().eepromPage.SG->setCurrentIndex(Cell(rig.Window(), 0));
        QTest::keyClicks(rig.Window().eepromPage.SG, "5a");
        return rig.Window();
    };
    const std::tuple<const char*, std::function<void(Rig&)>, std::function<bool(TVentana&)>> paths[] = {
        {"Salir", quit([](TVentana& window) { window.menu.Salir1->trigger(); }), closed},
        {"close box", quit([](TVentana& window) { window.close(); }), closed},
        {"signal", quit(signal), closed},
        {"open", [](Rig& rig) { rig.runner.recorder.fileAnswers.push_back(QString::fromStdString(
                                    rig.folder.Write("o.bin", std::vector<std::uint8_t>(ChipBytes, 0x11))));
                                rig.Window().menu.Abrir1->trigger(); },
         [](TVentana& window) { return window.Workspace().MemoryImage[0] == 0x11; }},
        {"chip", [](Rig& rig) { rig.Window().eepromPage.cbChip->setCurrentIndex(3); },
         [](TVentana& window) { return window.Workspace().ChipSize == 1024; }}};
    for (const auto& [path, act, wentOn] : paths) {
        for (const auto answer : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Yes}) {
            Rig rig;
            TVentana& window = edited(rig);
            rig.runner.recorder.questionAnswer = answer;
            const QString saved = QString::fromStdString(rig.folder.Path("s.bin"));
            if (answer == QMessageBox::Yes) rig.runner.recorder.fileAnswers = {saved};
            act(rig);
            ASSERT_EQ(rig.Boxes().size(), 1u) << path << answer;
            EXPECT_EQ(rig.Boxes()[0].text, "La imagen tiene cambios sin guardar. Desea guardarlos?");
            EXPECT_EQ(wentOn(window), answer != QMessageBox::Cancel) << path << answer;
            EXPECT_TRUE(answer != QMessageBox::Cancel || (window.isVisible() && MarkedEdited(window, 0) &&
                                                          window.eepromPage.cbChip->currentIndex() == 2));
            EXPECT_EQ(answer == QMessageBox::Yes ? rig.folder.ReadBytes("s.bin").at(0) : 0x5A, 0x5A) << path << answer;
        }
    }
    Rig rig;
    edited(rig);
    rig.runner.recorder.questionAnswer = QMessageBox::Yes;  // and no file: the save would not happen
    rig.runner.recorder.onBox = [] { std::raise(SIGTERM); QCoreApplication::processEvents(); };
    quit(signal)(rig);
    EXPECT_FALSE(rig.Window().isVisible());
}

TEST(GridEditing, TitleNamesTheFileAndMarksUnsavedChangesAndTheChipIsRemembered) {
    test::WindowRig rig;
    TVentana& window = rig.Start();
    const QString caption = "Tarpel v1.5 ATMega8515    ";
    window.eepromPage.cbChip->setCurrentIndex(3);  // 24C08
    EXPECT_EQ(window.windowTitle(), caption) << "a blank image has nothing to save";

    const std::string file = rig.folder.Write("datos.bin", std::vector<std::uint8_t>(1024, 1));
    rig.runner.fileAnswers = {QString::fromStdString(file)};
    window.menu.Abrir1->trigger();
    EXPECT_EQ(window.windowTitle(), "datos.bin - " + caption);
    window.eepromPage.SG->setCurrentIndex(Cell(window, 3));
    QTest::keyClicks(window.eepromPage.SG, "7");
    EXPECT_EQ(window.windowTitle(), "datos.bin* - " + caption);
    window.menu.Deshacer1->trigger();
    EXPECT_EQ(window.windowTitle(), "datos.bin - " + caption) << "back to the file's contents";
    QTest::keyClicks(window.eepromPage.SG, "77");

    rig.runner.fileAnswers = {QString::fromStdString(rig.folder.Path("copia.hex"))};
    window.menu.Guardar1->trigger();
    EXPECT_EQ(window.windowTitle(), "copia.hex - " + caption);
    EXPECT_FALSE(MarkedEdited(window, 3)) << "saved: no longer an edit";

    rig.Stop();
    EXPECT_EQ(rig.settings.ReadString("CHIP", {}), "24C08");
    TVentana& again = rig.Start();
    EXPECT_EQ(again.eepromPage.cbChip->currentIndex(), 3);
    EXPECT_EQ(again.Workspace().ChipSize, 1024);
    EXPECT_EQ(again.eepromPage.SG->model()->rowCount(), 128);
}

}  // namespace
}  // namespace tarpel::ui
