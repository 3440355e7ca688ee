// SPDX-License-Identifier: GPL-2.0-or-later
// One command at a time: while a chip command runs and lets the message loop run (or shows its
// message), every other command of the window is disabled and the progress dialog's
// "Cancelar..." is not; when it ends, on success or failure, everything is enabled again.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "SimWindowRig.h"
#include "ui/TformProgreso.h"

namespace tarpel::ui {
namespace {

// What the window looked like at one moment inside a command.
struct Inside {
    bool commandRunning = false;
    QStringList enabled;
    bool progressShown = false;
    bool cancelUsable = false;
};

Inside Look(test::SimWindowRig& rig) {
    const TformProgreso& progress = rig.Progress();
    return {rig.Window().CommandRunning(), rig.EnabledCommandControls(), progress.isVisible(),
            progress.btnCancelar->isVisible() && progress.btnCancelar->isEnabled()};
}

struct Case {
    const char* name;
    test::SimSockets sockets;
    bool eepromPage;
    std::function<QWidget*(TVentana&)> control;
    const char* message;  // the box the command ends with, or "" for none
    bool needsFile = false;
};

TEST(CommandExclusion, EveryOtherCommandIsDisabledWhileOneRunsAndEnabledAfterwards) {
    const test::SimSockets both;
    const test::SimSockets noEeprom = test::SimSockets::WithEeprom("none");
    const test::SimSockets noAvr = test::SimSockets::WithAvr("none");
    const char* noAck = "Sin acuse de recibo por parte del chip!!!\n            (No se ha recibido ACK)";
    const Case cases[] = {
        {"Leer chip", both, true, [](TVentana& w) { return w.eepromPage.ToolButton4; }, ""},
        {"Leer chip, empty socket", noEeprom, true, [](TVentana& w) { return w.eepromPage.ToolButton4; }, noAck},
        {"Programar chip", both, true, [](TVentana& w) { return w.eepromPage.ToolButton5; }, ""},
        {"Programar chip, empty socket", noEeprom, true, [](TVentana& w) { return w.eepromPage.ToolButton5; },
         "Sin acuse de recibo por parte del chip!!!\n(No se ha recibido ACK en byte nº0)"},
        {"Verificar chip", both, true, [](TVentana& w) { return w.eepromPage.ToolButton9; },
         "El contenido del chip se ha verificado correctamente!!!"},
        {"Verificar chip, empty socket", noEeprom, true, [](TVentana& w) { return w.eepromPage.ToolButton9; }, noAck},
        {"Identificar micro", both, false, [](TVentana& w) { return w.avrPage.btnTipo; }, ""},
        {"Identificar micro, empty socket", noAvr, false, [](TVentana& w) { return w.avrPage.btnTipo; },
         "No se ha detectado ningun micro!!!"},
        {"Blank-test", both, false, [](TVentana& w) { return w.avrPage.btnTestBlank; },
         "La flash y la eeprom interna estan vacias"},
        {"Blank-test, empty socket", noAvr, false, [](TVentana& w) { return w.avrPage.btnTestBlank; },
         "No se ha detectado ningun micro!!!"},
        {"Borrar chip", both, false, [](TVentana& w) { return w.avrPage.btnBorrar; }, "Chip borrado !!"},
        {"Leer eeprom interna", both, false, [](TVentana& w) { return w.avrPage.btnLeerEEPInt; }, "", true},
    };
    for (const Case& c : cases) {
        test::SimWindowRig rig;
        TVentana& window = rig.Start(c.sockets);
        if (c.eepromPage) {
            rig.ClickTab(window.eepromPage.ts24CXXX);
            window.eepromPage.cbChip->setCurrentIndex(2);  // the 24C04 of the socket
        }
        if (c.needsFile) rig.runner.recorder.fileAnswers = {QString::fromStdString(rig.folder.Path("eeprom.bin"))};
        std::vector<Inside> seen;
        rig.AtNextPump([&] { seen.push_back(Look(rig)); });
        rig.runner.recorder.onBox = [&] { seen.push_back(Look(rig)); };

        QTest::mouseClick(c.control(window), Qt::LeftButton);

        ASSERT_FALSE(seen.empty()) << c.name << ": neither a message nor a pass of the message loop";
        for (const Inside& inside : seen) {
            EXPECT_TRUE(inside.commandRunning) << c.name;
            EXPECT_TRUE(inside.enabled.isEmpty()) << c.name << ": " << inside.enabled.join(' ').toStdString();
            if (inside.progressShown) {
                EXPECT_TRUE(inside.cancelUsable) << c.name;
            }
        }
        if (c.eepromPage && std::string(c.message).empty()) {
            EXPECT_TRUE(seen.front().progressShown) << c.name << ": the loop ran under the progress dialog";
        }
        if (std::string(c.message).empty()) {
            EXPECT_TRUE(rig.Boxes().empty()) << c.name;
        } else {
            ASSERT_EQ(rig.Boxes().size(), 1u) << c.name;
            EXPECT_EQ(rig.Boxes()[0].text, QString::fromUtf8(c.message)) << c.name;
        }
        EXPECT_FALSE(window.CommandRunning()) << c.name;
        EXPECT_EQ(rig.EnabledCommandControls(), rig.CommandControls()) << c.name;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << c.name;
        EXPECT_EQ(rig.port->last, 0x00) << c.name;
        EXPECT_FALSE(rig.Progress().isVisible()) << c.name;
    }
}

TEST(CommandExclusion, ClicksDuringAReadStartNothingAndChangeNothing) {
    test::SimWindowRig rig;
    rig.PutChipFile("24C04.bin", std::vector<std::uint8_t>(512, 0x42));
    TVentana& window = rig.Start();
    rig.ClickTab(window.eepromPage.ts24CXXX);
    window.eepromPage.cbChip->setCurrentIndex(2);
    QString labelBefore;
    QString labelAfter;
    rig.AtNextPump([&] {
        labelBefore = rig.Progress().lbProg->text();
        // The user tries another command, the other page, another chip and the menu.
        QTest::mouseClick(window.eepromPage.ToolButton5, Qt::LeftButton);
        QTest::mouseClick(window.eepromPage.ToolButton11, Qt::LeftButton);
        rig.ClickTab(window.avrPage.TabSheet2);
        window.eepromPage.cbChip->setFocus();
        QTest::keyClick(window.eepromPage.cbChip, Qt::Key_Down);
        QTest::keyClick(&window, Qt::Key_Escape);
        labelAfter = rig.Progress().lbProg->text();
    });
    QTest::mouseClick(window.eepromPage.ToolButton4, Qt::LeftButton);
    ASSERT_EQ(rig.RanInsideCommand(), true);
    EXPECT_EQ(labelBefore, labelAfter);  // no program command took over the dialog
    EXPECT_EQ(window.PageControl1->currentWidget(), window.eepromPage.ts24CXXX);
    EXPECT_EQ(window.eepromPage.cbChip->currentIndex(), 2);
    EXPECT_EQ(window.Workspace().ChipSize, 512);
    EXPECT_TRUE(rig.runner.ownDialogs.empty());
    EXPECT_TRUE(rig.Boxes().empty());
    EXPECT_EQ(window.Workspace().MemoryImage[511], 0x42);  // the read ran to its end
}

}  // namespace
}  // namespace tarpel::ui
