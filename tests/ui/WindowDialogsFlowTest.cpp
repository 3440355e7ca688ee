// SPDX-License-Identifier: GPL-2.0-or-later
// The window's own dialogs opened from its menu and toolbar on the simulated board, each closed
// every way a user can, and the way out through "&Salir" with what it leaves behind.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <functional>
#include <vector>

#include "SimWindowRig.h"
#include "ui/QuitSignals.h"
#include "ui/TAboutBox.h"
#include "ui/TformConfig.h"
#include "ui/TformManual.h"

namespace tarpel::ui {
namespace {

using namespace std::chrono_literals;

TEST(WindowDialogsFlow, AboutBoxOpenedBeforeItsTimerClosesItselfAndAfterItWaitsForTheUser) {
    test::SimWindowRig rig;
    // A zero interval: the timer fires at the first pass of any message loop, so the box opened
    // straight after start-up is still inside its first two seconds.
    TVentana& window = rig.Start({}, 0ms);
    TAboutBox& about = *rig.forms->AboutBox;
    ASSERT_FALSE(about.OKButton->isVisibleTo(&about));
    window.eepromPage.ToolButton11->click();  // nothing acts inside: only the box's own timer can end it
    ASSERT_EQ(rig.runner.ownDialogs, (std::vector<QString>{"tarpel::ui::TAboutBox"}));
    EXPECT_EQ(rig.runner.results.back(), QDialog::Rejected);
    EXPECT_FALSE(about.isVisible());
    EXPECT_TRUE(about.OKButton->isVisibleTo(&about));

    struct Way {
        const char* name;
        std::function<void()> open;
        std::function<void(TAboutBox&)> close;
        int result;
    };
    const Way ways[] = {
        {"menu, Vale !", [&] { window.menu.Acercade1->trigger(); }, [](TAboutBox& b) { b.OKButton->click(); },
         QDialog::Accepted},
        {"toolbar, Enter", [&] { window.eepromPage.ToolButton11->click(); },
         [](TAboutBox& b) { QTest::keyClick(&b, Qt::Key_Return); }, QDialog::Accepted},
        {"menu, close box", [&] { window.menu.Acercade1->trigger(); }, [](TAboutBox& b) { b.close(); },
         QDialog::Rejected},
    };
    for (const Way& way : ways) {
        bool buttonShown = false;
        bool stillOpenAfterALoopPass = false;
        rig.runner.whileOpen = [&](QDialog& dialog) {
            auto& box = dynamic_cast<TAboutBox&>(dialog);
            buttonShown = box.OKButton->isVisible();
            QCoreApplication::processEvents();
            stillOpenAfterALoopPass = box.isVisible();
            way.close(box);
        };
        way.open();
        EXPECT_TRUE(buttonShown) << way.name;
        EXPECT_TRUE(stillOpenAfterALoopPass) << way.name;
        EXPECT_EQ(rig.runner.results.back(), way.result) << way.name;
        EXPECT_FALSE(about.isVisible()) << way.name;
    }
    EXPECT_EQ(rig.runner.ownDialogs.size(), 4u);
    EXPECT_TRUE(rig.Boxes().empty());
    EXPECT_FALSE(rig.port->last.has_value());  // the About box never touches the board
}

TEST(WindowDialogsFlow, ConfiguracionHandsTheFactorToTheSliderAndTakesTheSliderBack) {
    struct Case {
        const char* name;
        int stored;
        int shown;
        std::function<void(TformConfig&)> act;
        int after;
    };
    const Case cases[] = {
        {"3, ACEPTAR", 3, 3, [](TformConfig& d) { d.BitBtn1->click(); }, 3},
        {"75, ACEPTAR", 75, 50, [](TformConfig& d) { d.BitBtn1->click(); }, 50},
        {"75, slider to 12, close box", 75, 50,
         [](TformConfig& d) {
             QTest::keyClick(d.tb, Qt::Key_Home);
             for (int i = 0; i < 11; ++i) QTest::keyClick(d.tb, Qt::Key_Right);
             d.close();
         },
         12},
    };
    for (const Case& c : cases) {
        test::SimWindowRig rig;
        rig.settings.WriteInteger("RETARDO", c.stored);
        TVentana& window = rig.Start();
        ASSERT_EQ(window.Timing().DelayFactor, c.stored) << c.name;
        int position = 0;
        QString text;
        bool visible = false;
        rig.runner.whileOpen = [&](QDialog& dialog) {
            auto& config = dynamic_cast<TformConfig&>(dialog);
            visible = config.isVisible();
            position = config.tb->value();
            text = config.lbTB->text();
            c.act(config);
        };
        window.menu.Configuracion2->trigger();
        ASSERT_EQ(rig.runner.ownDialogs, (std::vector<QString>{"tarpel::ui::TformConfig"})) << c.name;
        EXPECT_TRUE(visible) << c.name;
        EXPECT_EQ(position, c.shown) << c.name;
        EXPECT_EQ(text, QString::number(c.shown)) << c.name;
        EXPECT_EQ(window.Timing().DelayFactor, c.after) << c.name;
        EXPECT_EQ(rig.Stored("RETARDO"), QString::number(c.stored)) << c.name << ": nothing is stored before exit";
        rig.Stop();
        EXPECT_EQ(rig.Stored("RETARDO"), QString::number(c.after)) << c.name;
    }
}

TEST(WindowDialogsFlow, HiddenManualTestDrivesTheBoardAndEveryCloseSwitchesItOff) {
    const std::vector<std::pair<const char*, std::function<void(TformManual&)>>> closings = {
        {"&Vale", [](TformManual& d) { d.BitBtn1->click(); }},
        {"close box", [](TformManual& d) { d.close(); }},
    };
    for (const auto& [name, closeIt] : closings) {
        test::SimWindowRig rig;
        TVentana& window = rig.Start();
        ASSERT_FALSE(window.menu.Comprobacionmanual1->isVisible());
        std::uint8_t driven = 0xFF;
        QStringList enabledWhileOpen;
        rig.runner.whileOpen = [&](QDialog& dialog) {
            auto& manual = dynamic_cast<TformManual&>(dialog);
            enabledWhileOpen = rig.EnabledCommandControls();
            manual.cbVCC->setChecked(true);
            manual.cbSCK->setChecked(true);
            manual.cbRESET->setChecked(true);
            manual.Timer1Timer();  // the refresh tick
            driven = rig.BoardByte();
            closeIt(manual);
        };
        window.menu.Comprobacionmanual1->trigger();
        ASSERT_EQ(rig.runner.ownDialogs, (std::vector<QString>{"tarpel::ui::TformManual"})) << name;
        EXPECT_EQ(driven, 0x57) << name;
        // The dialog drives the lines itself: no command may start meanwhile.
        EXPECT_TRUE(enabledWhileOpen.isEmpty()) << name << ": " << enabledWhileOpen.join(' ').toStdString();
        EXPECT_EQ(rig.port->last, 0x00) << name;
        EXPECT_EQ(rig.BoardByte(), 0x00) << name;
        EXPECT_FALSE(rig.forms->formManual->Timer1->isActive()) << name;
        EXPECT_EQ(rig.EnabledCommandControls(), rig.CommandControls()) << name;
    }
}

TEST(WindowDialogsFlow, SalirSwitchesTheBoardOffAndStoresFactorAndLastFiles) {
    test::SimWindowRig rig;
    TVentana& window = rig.Start();
    rig.ClickTab(window.eepromPage.ts24CXXX);
    window.eepromPage.cbChip->setCurrentIndex(2);  // the 24C04 in the socket
    const QString opened = QString::fromStdString(rig.folder.Write("image.bin", std::vector<std::uint8_t>(512, 0x5A)));
    const QString saved = QString::fromStdString(rig.folder.Path("copy.hex"));
    rig.runner.recorder.fileAnswers = {opened, saved};
    window.eepromPage.ToolButton1->click();
    window.eepromPage.ToolButton2->click();
    ASSERT_EQ(rig.runner.recorder.fileDialogs.size(), 2u);
    EXPECT_EQ(rig.folder.ReadText("copy.hex").substr(0, 13), ":100000005A5A");
    window.eepromPage.ToolButton5->click();  // program it, so the board has been driven before the exit
    ASSERT_TRUE(rig.Boxes().empty());
    rig.runner.whileOpen = [](QDialog& dialog) {
        auto& config = dynamic_cast<TformConfig&>(dialog);
        config.tb->setValue(4);
        config.BitBtn1->click();
    };
    window.menu.Configuracion2->trigger();
    const std::size_t writesBeforeExit = rig.port->dataWrites;

    EXPECT_TRUE(test::SimWindowRig::LoopEndsAfter([&] { window.menu.Salir1->trigger(); }));
    rig.Stop();
    EXPECT_EQ(rig.port->dataWrites, writesBeforeExit + 1);
    EXPECT_EQ(rig.port->last, 0x00);
    EXPECT_EQ(rig.BoardByte(), 0x00);
    EXPECT_EQ(rig.Stored("RETARDO"), "4");
    EXPECT_EQ(rig.Stored("OPEN_DIR"), opened);
    EXPECT_EQ(rig.Stored("SAVE_DIR"), saved);
    EXPECT_TRUE(std::all_of(rig.Eeprom().Memory().begin(), rig.Eeprom().Memory().end(),
                            [](std::uint8_t b) { return b == 0x5A; }));
}

TEST(WindowDialogsFlow, ModoRapidoComesFromItsSettingAndWritesTheChipInItsOwnPages) {
    test::SimWindowRig rig;
    rig.settings.WriteString("RAPIDO", "SI");
    TVentana& window = rig.Start(test::SimSockets::WithEeprom("24C128"));
    rig.ClickTab(window.eepromPage.ts24CXXX);
    ASSERT_EQ(window.eepromPage.cbChip->currentIndex(), 7);  // the 24C128 in the socket
    EXPECT_FALSE(window.lbRapido->isHidden()) << "the status bar says the fast timing is on";
    window.eepromPage.ToolButton5->click();
    ASSERT_TRUE(rig.Boxes().empty());
    EXPECT_EQ(rig.Eeprom().WriteCycles(), 16384u / 64) << "whole pages of the chip's 64-byte buffer";
    EXPECT_TRUE(rig.Eeprom().Violations().Empty());

    bool shownChecked = false;
    rig.runner.whileOpen = [&](QDialog& dialog) {
        auto& config = dynamic_cast<TformConfig&>(dialog);
        shownChecked = config.cbRapido->isChecked();
        config.cbRapido->setChecked(false);
        config.BitBtn1->click();
    };
    window.menu.Configuracion2->trigger();
    EXPECT_TRUE(shownChecked);
    EXPECT_TRUE(window.lbRapido->isHidden());
    window.eepromPage.ToolButton5->click();
    EXPECT_EQ(rig.Eeprom().WriteCycles(), 16384u / 64 + 16384u / 32) << "the standard timing's 32-byte pages";
    EXPECT_EQ(rig.Stored("RAPIDO"), "SI") << "nothing is stored before exit";
    rig.Stop();
    EXPECT_EQ(rig.Stored("RAPIDO"), "NO");
}

TEST(WindowDialogsFlow, TerminationSignalDuringTheManualTestClosesItAndEndsTheProgram) {
    test::SimWindowRig rig;
    TVentana& window = rig.Start();
    QuitSignals quitSignals;  // wired as the program wires it
    QObject::connect(&quitSignals, &QuitSignals::QuitRequested, &window, &TVentana::Salir1Click);
    std::uint8_t driven = 0;
    rig.runner.whileOpen = [&](QDialog& dialog) {
        auto& manual = dynamic_cast<TformManual&>(dialog);
        manual.cbVCC->setChecked(true);
        manual.Timer1Timer();
        driven = rig.BoardByte();
        std::raise(SIGTERM);  // the dialog is left open: only the signal can end it
    };
    EXPECT_TRUE(test::SimWindowRig::LoopEndsAfter([&] { window.menu.Comprobacionmanual1->trigger(); }));
    EXPECT_EQ(driven, 0x07);
    EXPECT_FALSE(rig.forms->formManual->isVisible());
    EXPECT_EQ(rig.BoardByte(), 0x00);  // closing the dialog switched the lines off
    rig.Stop();
    EXPECT_EQ(rig.port->last, 0x00);
    EXPECT_EQ(rig.Stored("RETARDO"), "1");
}

}  // namespace
}  // namespace tarpel::ui
