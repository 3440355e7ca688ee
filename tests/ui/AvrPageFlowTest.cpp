// SPDX-License-Identifier: GPL-2.0-or-later
// The AVR page used as a user would on the simulated board: identify each device, read and
// write the ATmega8515's fuses through the fuse panel, Esc on either page, closing the window
// during a long command, what the board reports after a command, and a verification with
// differences: their list, the gauges of that command alone, the status line.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>

#include <filesystem>
#include <string>
#include <vector>

#include "SimWindowRig.h"
#include "avr/ElfRead.h"
#include "ui/DifferenceList.h"
#include "ui/DifferenceListModel.h"
#include "ui/FuseFieldPanel.h"
#include "ui/TGauge.h"
#include "ui/TformProduccion.h"

namespace tarpel::ui {
namespace {

const QString ApplicationTitle = "Tarpel v1.5 ATMega8515   ";

void ExpectBoardOffAndWindowIdle(test::SimWindowRig& rig, const std::string& what) {
    EXPECT_EQ(rig.port->last, 0x00) << what;
    EXPECT_EQ(rig.BoardByte(), 0x00) << what;
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << what;
    EXPECT_EQ(rig.EnabledCommandControls(), rig.CommandControls()) << what;
}

TEST(AvrPageFlow, IdentificarMicroNamesEachDevice) {
    const std::pair<const char*, const char*> devices[] = {{"at90s8515", "AT90S8515 (8kb flash)"},
                                                           {"at90s4414", "AT90S4414 (4kb flash)"},
                                                           {"atmega8515", "ATMEGA 8515 (8kb flash)"}};
    for (const auto& [model, caption] : devices) {
        test::SimWindowRig rig;
        TVentana& window = rig.Start(test::SimSockets::WithAvr(model));
        ASSERT_EQ(window.avrPage.lbTipo->text(), "??");
        for (int click = 0; click < 2; ++click) {
            QString shownDuring;
            rig.AtNextPump([&] { shownDuring = window.avrPage.lbTipo->text(); });
            QTest::mouseClick(window.avrPage.btnTipo, Qt::LeftButton);
            EXPECT_EQ(rig.RanInsideCommand(), true) << model;
            EXPECT_EQ(shownDuring, "??") << model << ": the label is cleared before the board work";
            EXPECT_EQ(window.avrPage.lbTipo->text(), caption) << model;
            EXPECT_TRUE(window.lbEstado->text().startsWith(QStringLiteral("Micro identificado: %1 en ").arg(caption)));
        }
        EXPECT_TRUE(rig.Boxes().empty()) << model;
        ExpectBoardOffAndWindowIdle(rig, model);
    }

    test::SimWindowRig rig;
    TVentana& window = rig.Start(test::SimSockets::WithAvr("none"));
    QTest::mouseClick(window.avrPage.btnTipo, Qt::LeftButton);
    ASSERT_EQ(rig.Boxes().size(), 1u);
    EXPECT_EQ(rig.Boxes()[0].text, "No se ha detectado ningun micro!!!");
    EXPECT_EQ(rig.Boxes()[0].caption, "ERROR");
    EXPECT_EQ(window.avrPage.lbTipo->text(), "??");
    ExpectBoardOffAndWindowIdle(rig, "empty socket");
}

TEST(AvrPageFlow, LeerShowsTheFusesAndGrabarWritesWhatThePanelShows) {
    test::SimWindowRig rig;
    rig.PutChipFile("atmega8515-fuses.bin", {0xE1, 0xD9});
    TVentana& window = rig.Start();

    // No "Identificar micro" first: the fuse command identifies the device itself.
    QTest::mouseClick(window.avrPage.btnLeerFuses, Qt::LeftButton);
    EXPECT_TRUE(rig.Boxes().empty());
    EXPECT_EQ(window.avrPage.lbTipo->text(), "ATMEGA 8515 (8kb flash)");
    EXPECT_EQ(window.avrPage.cbXTAL->currentText(), "IntRC: 1 Mhz");
    EXPECT_EQ(window.avrPage.cbSUT->currentText(), "65 ms");
    EXPECT_EQ(window.avrPage.cbBootSize->currentText(), "1024 w");
    const std::pair<QCheckBox*, bool> checks[] = {{window.avrPage.cbBODEN, false},  {window.avrPage.cbBODLev, true},
                                                  {window.avrPage.cbS8515, false},  {window.avrPage.cbWDTON, false},
                                                  {window.avrPage.cbSPIEN, true},   {window.avrPage.cbCKOPT, false},
                                                  {window.avrPage.cbEESAVE, false}, {window.avrPage.cbBOOTRST, false}};
    for (const auto& [check, ticked] : checks) EXPECT_EQ(check->isChecked(), ticked) << check->text().toStdString();
    ExpectBoardOffAndWindowIdle(rig, "after Leer");

    // The user picks a start-up time of 4.1 ms and ticks EESAVE, then writes.
    window.avrPage.cbSUT->setFocus();
    QTest::keyClick(window.avrPage.cbSUT, Qt::Key_Up);
    ASSERT_EQ(window.avrPage.cbSUT->currentText(), "4.1 ms");
    QTest::mouseClick(window.avrPage.cbEESAVE, Qt::LeftButton);
    ASSERT_TRUE(window.avrPage.cbEESAVE->isChecked());
    QTest::mouseClick(window.avrPage.btnGrabarFuses, Qt::LeftButton);
    ASSERT_EQ(rig.Boxes().size(), 1u);
    EXPECT_EQ(rig.Boxes()[0].text, "Fuses grabados! Leelos para verificarlo");
    EXPECT_EQ(rig.Boxes()[0].caption, ApplicationTitle);
    EXPECT_EQ(rig.Avr().LowFuse(), 0xD1);   // SUT 01 in bits 5..4
    EXPECT_EQ(rig.Avr().HighFuse(), 0xD1);  // EESAVE (bit 3) programmed
    ExpectBoardOffAndWindowIdle(rig, "after Grabar");
}

TEST(AvrPageFlow, AnAtmega162ShowsItsOwnFieldsInThePanelAndGrabarWritesThem) {
    test::SimWindowRig rig;
    TVentana& window = rig.Start(test::SimSockets::WithAvr("atmega162"));
    QTest::mouseClick(window.avrPage.btnLeerFuses, Qt::LeftButton);
    EXPECT_TRUE(rig.Boxes().empty());
    EXPECT_EQ(window.avrPage.lbTipo->text(), "ATMEGA 162 (16kb flash)");
    ASSERT_NE(window.avrPage.FuseFields, nullptr);
    EXPECT_TRUE(window.avrPage.cbXTAL->isHidden());
    const auto check = [&](const char* name) { return window.avrPage.FuseFields->findChild<QCheckBox*>(name); };
    const auto list = [&](const char* name) { return window.avrPage.FuseFields->findChild<QComboBox*>(name); };
    // The factory's 8 MHz RC divided by 8.
    EXPECT_EQ(list("CKSEL3:0")->currentText(), "0010 (IntRC: 8 Mhz)");
    EXPECT_TRUE(check("CKDIV8")->isChecked());
    EXPECT_TRUE(check("SPIEN")->isChecked());
    EXPECT_FALSE(check("SPIEN")->isEnabled());
    EXPECT_EQ(list("BODLEVEL2:0")->currentText(), "111");

    // The full 8 MHz and a brown-out level of 101.
    QTest::mouseClick(check("CKDIV8"), Qt::LeftButton);
    list("BODLEVEL2:0")->setCurrentIndex(5);
    QTest::mouseClick(window.avrPage.btnGrabarFuses, Qt::LeftButton);
    ASSERT_EQ(rig.Boxes().size(), 1u);
    EXPECT_EQ(rig.Boxes()[0].text, "Fuses grabados! Leelos para verificarlo");
    EXPECT_EQ(rig.Avr().LowFuse(), 0xE2);
    EXPECT_EQ(rig.Avr().HighFuse(), 0x99);
    EXPECT_EQ(rig.Avr().ExtendedFuse(), 0xFB);
    ExpectBoardOffAndWindowIdle(rig, "after Grabar");
}

TEST(AvrPageFlow, GrabarAsksBeforeWritingACrystalClockAndWritesItOnlyOnSi) {
    test::SimWindowRig rig;
    rig.PutChipFile("atmega8515-fuses.bin", {0xE1, 0xD9});
    TVentana& window = rig.Start();
    QTest::mouseClick(window.avrPage.btnLeerFuses, Qt::LeftButton);
    window.avrPage.cbXTAL->setFocus();
    QTest::keyClick(window.avrPage.cbXTAL, Qt::Key_End);
    ASSERT_EQ(window.avrPage.cbXTAL->currentText(), "Extrnal XTAL");

    QTest::mouseClick(window.avrPage.btnGrabarFuses, Qt::LeftButton);  // the runner answers "No"
    ASSERT_EQ(rig.Boxes().size(), 1u);
    const test::SeenBox& question = rig.Boxes()[0];
    EXPECT_TRUE(question.asksYesNo);
    EXPECT_EQ(question.buttonCount, 2);
    EXPECT_EQ(question.icon, QMessageBox::NoIcon);
    EXPECT_EQ(question.caption, "AVISO:");
    EXPECT_TRUE(question.text.contains("\"Extrnal XTAL\"")) << question.text.toStdString();
    EXPECT_TRUE(question.text.contains("onda cuadrada")) << question.text.toStdString();
    EXPECT_EQ(rig.Avr().LowFuse(), 0xE1);
    ExpectBoardOffAndWindowIdle(rig, "after No");

    rig.runner.recorder.questionAnswer = QMessageBox::Yes;
    QTest::mouseClick(window.avrPage.btnGrabarFuses, Qt::LeftButton);
    ASSERT_EQ(rig.Boxes().size(), 3u);
    EXPECT_TRUE(rig.Boxes()[1].asksYesNo);
    EXPECT_EQ(rig.Boxes()[2].text, "Fuses grabados! Leelos para verificarlo");
    EXPECT_EQ(rig.Avr().LowFuse(), 0xEF);  // CKSEL 1111
    ExpectBoardOffAndWindowIdle(rig, "after Si");
}

TEST(AvrPageFlow, TheLockBoxWritesTheChosenModeOnlyAfterSi) {
    test::SimWindowRig rig;
    TVentana& window = rig.Start();
    ASSERT_EQ(window.avrPage.cbLock->currentText(), "Modo 1: sin bloqueo");
    window.avrPage.cbLock->setFocus();
    QTest::keyClick(window.avrPage.cbLock, Qt::Key_Down);
    ASSERT_EQ(window.avrPage.cbLock->currentText(), "Modo 2: programacion deshabilitada");

    QTest::mouseClick(window.avrPage.btnGrabarLock, Qt::LeftButton);  // the runner answers "No"
    ASSERT_EQ(rig.Boxes().size(), 1u);
    EXPECT_TRUE(rig.Boxes()[0].asksYesNo);
    EXPECT_EQ(rig.Boxes()[0].caption, "AVISO:");
    EXPECT_TRUE(rig.Boxes()[0].text.contains("no dejara grabar mas la flash")) << rig.Boxes()[0].text.toStdString();
    EXPECT_TRUE(rig.Boxes()[0].text.contains("Solo un borrado del chip")) << rig.Boxes()[0].text.toStdString();
    EXPECT_EQ(rig.Avr().LockBits(), 0xFF);
    ExpectBoardOffAndWindowIdle(rig, "after No");

    rig.runner.recorder.questionAnswer = QMessageBox::Yes;
    QTest::mouseClick(window.avrPage.btnGrabarLock, Qt::LeftButton);
    ASSERT_EQ(rig.Boxes().size(), 3u);
    EXPECT_EQ(rig.Boxes()[2].text, "Bits de bloqueo grabados !!");
    EXPECT_EQ(rig.Avr().LockBits() & 0x03, 0x02);
    ExpectBoardOffAndWindowIdle(rig, "after Si");

    // "Leer" shows what the chip holds.
    window.avrPage.cbLock->setCurrentIndex(0);
    QTest::mouseClick(window.avrPage.btnLeerLock, Qt::LeftButton);
    EXPECT_EQ(window.avrPage.cbLock->currentIndex(), 1);
}

TEST(AvrPageFlow, GrabarRightAfterStartAsksForAClockAndWritesNothing) {
    test::SimWindowRig rig;
    rig.PutChipFile("atmega8515-fuses.bin", {0xE1, 0xD9});
    TVentana& window = rig.Start();
    QTest::mouseClick(window.avrPage.btnGrabarFuses, Qt::LeftButton);
    ASSERT_EQ(rig.Boxes().size(), 1u);
    EXPECT_EQ(rig.Boxes()[0].text, "Debes seleccionar una opcion en Reloj");
    EXPECT_EQ(rig.Boxes()[0].caption, ApplicationTitle);
    EXPECT_EQ(rig.Avr().LowFuse(), 0xE1);
    EXPECT_EQ(rig.Avr().HighFuse(), 0xD9);
    ExpectBoardOffAndWindowIdle(rig, "after Grabar");

    // An AT90S device has no fuses: both buttons say so.
    test::SimWindowRig other;
    TVentana& window8515 = other.Start(test::SimSockets::WithAvr("at90s8515"));
    QTest::mouseClick(window8515.avrPage.btnLeerFuses, Qt::LeftButton);
    QTest::mouseClick(window8515.avrPage.btnGrabarFuses, Qt::LeftButton);
    ASSERT_EQ(other.Boxes().size(), 2u);
    for (const test::SeenBox& box : other.Boxes()) {
        EXPECT_EQ(box.text, "Solo para ATMEGA90S8515 !");
        EXPECT_EQ(box.caption, ApplicationTitle);
    }
    EXPECT_EQ(window8515.avrPage.lbTipo->text(), "AT90S8515 (8kb flash)");
    ExpectBoardOffAndWindowIdle(other, "AT90S8515");
}

TEST(AvrPageFlow, EscRunsTheBlankTestOnTheAvrPageAndNothingOnThe24CxxxPage) {
    test::SimWindowRig rig;
    TVentana& window = rig.Start();
    window.avrPage.btnLeerFlash->setFocus();  // a button has the focus; the key reaches the window
    QTest::keyClick(window.avrPage.btnLeerFlash, Qt::Key_Escape);
    ASSERT_EQ(rig.Boxes().size(), 1u);
    EXPECT_EQ(rig.Boxes()[0].text, "La flash y la eeprom interna estan vacias");
    EXPECT_EQ(rig.Boxes()[0].caption, "BLANK-TEST");
    EXPECT_EQ(window.avrPage.prFlash->Progress(), 100);
    EXPECT_EQ(window.avrPage.prEEPInt->Progress(), 100);
    EXPECT_EQ(window.avrPage.lbTipo->text(), "ATMEGA 8515 (8kb flash)");
    ExpectBoardOffAndWindowIdle(rig, "after the blank test");

    rig.ClickTab(window.eepromPage.ts24CXXX);
    const std::size_t writes = rig.port->dataWrites;
    window.eepromPage.SG->setFocus();
    QTest::keyClick(window.eepromPage.SG, Qt::Key_Escape);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(rig.Boxes().size(), 1u);
    EXPECT_EQ(rig.port->dataWrites, writes);
}

TEST(AvrPageFlow, AVerifyWithDifferencesListsThemAndMovesOnlyItsOwnGauge) {
    test::SimWindowRig rig;
    TVentana& window = rig.Start();
    QTest::mouseClick(window.avrPage.btnTestBlank, Qt::LeftButton);
    ASSERT_EQ(window.avrPage.prEEPInt->Progress(), 100);

    std::vector<std::uint8_t> file(8192, 0xFF);
    file[0x1A3] = 0x00;
    file[0x1FFF] = 0x12;
    rig.runner.recorder.fileAnswers = {QString::fromStdString(rig.folder.Write("flash.bin", file))};
    QTest::mouseClick(window.avrPage.btnFLashVerif, Qt::LeftButton);
    ASSERT_EQ(rig.Boxes().size(), 2u);
    EXPECT_EQ(rig.Boxes()[1].text, "VERIFICACION: ERRONEA (Diferencias en byte: $01A3)");
    // The EEPROM gauge does not show the blank test's full bar beside this command.
    EXPECT_EQ(window.avrPage.prFlash->Progress(), 100);
    EXPECT_EQ(window.avrPage.prEEPInt->Progress(), 0);
    const QRegularExpression status("^Comprobada la flash: 2 bytes distintos del fichero en \\d+,\\d s$");
    EXPECT_TRUE(status.match(window.lbEstado->text()).hasMatch()) << window.lbEstado->text().toStdString();

    ASSERT_TRUE(window.formDiferencias->isVisible());
    EXPECT_EQ(window.formDiferencias->windowTitle(), "Diferencias: la flash y el fichero");
    const DifferenceListModel& rows = *window.formDiferencias->Model();
    ASSERT_EQ(rows.rowCount(), 2);
    EXPECT_EQ(rows.headerData(1, Qt::Horizontal).toString(), "Fichero");
    const QStringList first = {rows.index(0, 0).data().toString(), rows.index(0, 1).data().toString(),
                               rows.index(0, 2).data().toString()};
    EXPECT_EQ(first, QStringList({"01A3", "00", "FF"}));
    EXPECT_EQ(rows.index(1, 0).data().toString(), "1FFF");
    // A flash address is no place in the 24Cxx image: a double click does not go there.
    emit window.formDiferencias->lvDiferencias->activated(rows.index(1, 0));
    EXPECT_EQ(window.PageControl1->currentWidget(), window.avrPage.TabSheet2);
    ExpectBoardOffAndWindowIdle(rig, "after the verification");
}

TEST(AvrPageFlow, CopiaDeSeguridadSavesTheChipAndRestaurarCopiaPutsItBackOnceAsked) {
    test::SimWindowRig rig;
    std::vector<std::uint8_t> flash(8192, 0xFF);
    flash[0x100] = 0x5A;
    rig.PutChipFile("atmega8515-flash.bin", flash);
    TVentana& window = rig.Start();
    const QString copy = QString::fromStdString(rig.folder.Path("chip.elf"));
    rig.runner.recorder.fileAnswers = {copy};
    QTest::mouseClick(window.avrPage.btnCopiaSeguridad, Qt::LeftButton);
    EXPECT_TRUE(rig.Boxes().empty());
    ASSERT_EQ(rig.runner.recorder.fileDialogs.size(), 1u);
    EXPECT_EQ(rig.runner.recorder.fileDialogs[0].nameFilters, QStringList{"Copias de seguridad ELF (*.elf)"});
    EXPECT_EQ(rig.runner.recorder.fileDialogs[0].defaultSuffix, "elf");
    EXPECT_EQ(avr::ElfRead(copy.toStdString(), avr::ElfMemory::Signature).flash, flash);

    QTest::mouseClick(window.avrPage.btnBorrar, Qt::LeftButton);
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        rig.runner.recorder.questionAnswer = answer;
        rig.runner.recorder.fileAnswers = {copy};
        QTest::mouseClick(window.avrPage.btnRestaurarCopia, Qt::LeftButton);
        EXPECT_EQ(rig.Avr().Flash()[0x100], answer == QMessageBox::Yes ? 0x5A : 0xFF) << "restored only on a yes";
    }
    ASSERT_EQ(rig.Boxes().size(), 4u);
    EXPECT_TRUE(rig.Boxes()[1].asksYesNo && rig.Boxes()[2].asksYesNo);
    EXPECT_EQ(rig.Boxes()[3].text, "Copia restaurada y comprobada !!");
    EXPECT_EQ(rig.Avr().Flash(), flash);
    ExpectBoardOffAndWindowIdle(rig, "after the restore");
}

TEST(AvrPageFlow, ClosingTheWindowAsAnEraseOrAFlashProgramStartsLeavesTheDeviceUntouched) {
    for (const bool erase : {true, false}) {
        test::SimWindowRig rig;
        const std::vector<std::uint8_t> before(8192, 0x5A);
        rig.PutChipFile("atmega8515-flash.bin", before);
        TVentana& window = rig.Start();
        rig.runner.recorder.fileAnswers = {
            QString::fromStdString(rig.folder.Write("flash.bin", std::vector<std::uint8_t>(8192, 0x3C)))};
        // The close waits among the window's events from the start: the power-up sees it.
        const bool loopEnded = test::SimWindowRig::LoopEndsAfter([&] {
            rig.AtNextPump([&] { window.close(); });
            QTest::mouseClick(erase ? window.avrPage.btnBorrar : window.avrPage.btnProgFlash, Qt::LeftButton);
        });
        EXPECT_TRUE(loopEnded);
        EXPECT_EQ(rig.RanInsideCommand(), true);
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(rig.Avr().Flash(), before) << (erase ? "erase" : "flash program");
        EXPECT_TRUE(rig.Boxes().empty());
        EXPECT_EQ(rig.BoardByte(), 0x00);
    }
}

TEST(AvrPageFlow, WhatTheBoardReportsAfterACommandComesInAnErrorBox) {
    test::SimWindowRig rig;
    // Where the device's EEPROM contents should be saved stands a folder: they cannot be.
    const std::filesystem::path blocked = std::filesystem::path(rig.SimFolder()) / "atmega8515-eeprom.bin";
    std::filesystem::create_directories(blocked);
    TVentana& window = rig.Start();
    rig.runner.recorder.fileAnswers = {
        QString::fromStdString(rig.folder.Write("eeprom.bin", std::vector<std::uint8_t>{0x11, 0x22}))};
    QTest::mouseClick(window.avrPage.BitBtn1, Qt::LeftButton);
    ASSERT_EQ(rig.Boxes().size(), 1u);
    EXPECT_EQ(rig.Boxes()[0].caption, "ERROR");
    EXPECT_TRUE(rig.Boxes()[0].text.startsWith("No se puede guardar el chip simulado atmega8515-eeprom.bin"))
        << rig.Boxes()[0].text.toStdString();
    ExpectBoardOffAndWindowIdle(rig, "after the failed save");

    // Once the folder takes the file, the next command saves it and reports nothing.
    std::filesystem::remove(blocked);
    QTest::mouseClick(window.avrPage.btnTipo, Qt::LeftButton);
    EXPECT_EQ(rig.Boxes().size(), 1u);
    EXPECT_EQ(rig.Avr().Eeprom()[1], 0x22);
    EXPECT_TRUE(std::filesystem::is_regular_file(blocked));
}

TEST(AvrPageFlow, ProduccionNumbersEachChipLogsItAndShowsItsVerdictLarge) {
    test::SimWindowRig rig;
    test::SimSockets sockets;
    sockets.faults = {"2:avr-flash-stuck:0x20"};
    TVentana& window = rig.Start(sockets);
    const QString program = QString::fromStdString(rig.folder.Write("p.hex", ":0400200012345678C8\r\n:00000001FF\r\n"));
    const QString counter = QString::fromStdString(rig.folder.Write("serie.txt", "100\n"));
    const QString log = QString::fromStdString(rig.folder.Path("registro.csv"));
    struct Shown {
        QString verdict, good, failed;
        QColor colour;
    };
    std::vector<Shown> shown;
    rig.runner.whileOpen = [&](QDialog& dialog) {
        auto& production = dynamic_cast<TformProduccion&>(dialog);
        EXPECT_TRUE(production.lbVeredicto->text().isEmpty());
        production.edFichero->setText(program);
        production.cbSerie->setChecked(true);
        production.edSitio->setText("eeprom:16");
        production.edContador->setText(counter);
        production.edRegistro->setText(log);
        for (int chip = 0; chip < 2; ++chip) {
            QTest::keyClick(production.edSitio, Qt::Key_Return);
            shown.push_back({production.lbVeredicto->text(), production.lbBuenos->text(),
                             production.lbFallidos->text(),
                             production.lbVeredicto->palette().color(QPalette::WindowText)});
        }
        production.btnCerrar->click();
    };
    QTest::mouseClick(window.avrPage.btnProduccion, Qt::LeftButton);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].verdict, "OK");
    EXPECT_EQ(shown[0].colour, QColor(Qt::darkGreen));
    EXPECT_EQ(shown[0].good, "Buenos: 1");
    EXPECT_EQ(shown[1].verdict, "FALLO");
    EXPECT_EQ(shown[1].colour, QColor(Qt::red));
    EXPECT_EQ(shown[1].good, "Buenos: 1");
    EXPECT_EQ(shown[1].failed, "Fallidos: 1");
    ASSERT_EQ(rig.Boxes().size(), 1u) << "the failed chip's own box";
    EXPECT_EQ(rig.Boxes()[0].text, "Error programando flash! (direccion $0020)");
    EXPECT_EQ(QString::fromStdString(rig.folder.ReadText("serie.txt")).trimmed(), "102");
    const auto eeprom = rig.folder.ReadBytes("sim/atmega8515-eeprom.bin");
    ASSERT_GE(eeprom.size(), 20u);
    EXPECT_EQ(std::vector<std::uint8_t>(eeprom.begin() + 16, eeprom.begin() + 20),
              (std::vector<std::uint8_t>{100, 0, 0, 0}));
    const QStringList lines = QString::fromStdString(rig.folder.ReadText("registro.csv")).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].endsWith(",OK")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(",FALLO")) << lines[2].toStdString();
    ExpectBoardOffAndWindowIdle(rig, "after the run");

    // Opened again, the dialog shows what was used last.
    rig.runner.whileOpen = [&](QDialog& dialog) {
        auto& production = dynamic_cast<TformProduccion&>(dialog);
        EXPECT_EQ(production.edFichero->text(), program);
        EXPECT_TRUE(production.cbSerie->isChecked());
        EXPECT_EQ(production.edSitio->text(), "eeprom:16");
        EXPECT_EQ(production.edRegistro->text(), log);
        dialog.reject();
    };
    QTest::mouseClick(window.avrPage.btnProduccion, Qt::LeftButton);
}

// Answers the question of a file dropped on the AVR page (or chosen from its recent files) with
// the button of that caption; an empty caption leaves it unanswered.
void AnswerFileUse(test::SimWindowRig& rig, const QString& caption, QStringList* offered = nullptr) {
    rig.runner.recorder.onBox = [&rig, caption, offered] {
        auto* box = rig.Window().findChild<QMessageBox*>("UsoFichero");
        if (!box) return;
        for (QAbstractButton* button : box->buttons()) {
            if (offered) *offered << button->text();
            if (button->text() == caption) button->click();
        }
    };
}

TEST(AvrPageFlow, ADroppedFileIsProgrammedOrVerifiedAsChosenAndComesBackFromTheRecentFiles) {
    test::SimWindowRig rig;
    TVentana& window = rig.Start();
    std::vector<std::uint8_t> program(300);
    for (std::size_t i = 0; i < program.size(); ++i) program[i] = static_cast<std::uint8_t>(i * 7 + 1);
    const QString file = QString::fromStdString(rig.folder.Write("prog.bin", program));

    rig.ClickTab(window.eepromPage.ts24CXXX);
    window.OpenStartFiles({}, file);
    EXPECT_EQ(window.PageControl1->currentWidget(), window.avrPage.TabSheet2);
    EXPECT_EQ(window.OD.FileName, file);

    QStringList offered;
    AnswerFileUse(rig, "Programar flash...", &offered);
    EXPECT_TRUE(rig.DropFiles({file}));
    ASSERT_EQ(offered.size(), 5);  // and the box's own cancel button
    EXPECT_EQ(offered.mid(0, 4), QStringList({"Programar flash...", "Programar eeprom int...", "Verificar flash...",
                                              "Verificar eeprom interna..."}));
    ASSERT_EQ(rig.Boxes().size(), 1u);
    EXPECT_EQ(rig.Boxes()[0].caption, "Usar fichero");
    program.resize(8192, 0xFF);
    EXPECT_EQ(rig.Avr().Flash(), program);
    EXPECT_TRUE(window.lbEstado->text().startsWith("Flash programada y comprobada: ")) << window.lbEstado->text().toStdString();

    AnswerFileUse(rig, "Verificar flash...");
    emit window.menu.RecientesAvr1->aboutToShow();
    window.menu.RecientesAvr1->actions().front()->trigger();  // the file just programmed
    ASSERT_EQ(rig.Boxes().size(), 3u);
    EXPECT_EQ(rig.Boxes()[2].text, "VERIFICACION: OK !!!!!");
    // Unanswered, nothing runs; a drop while a command runs is refused.
    AnswerFileUse(rig, {});
    EXPECT_TRUE(rig.DropFiles({file}));
    EXPECT_EQ(rig.Boxes().size(), 4u);
    std::optional<bool> refused;
    rig.AtNextPump([&] { refused = !rig.DropFiles({file}); });
    QTest::mouseClick(window.avrPage.btnTestBlank, Qt::LeftButton);
    EXPECT_EQ(refused, true);
    EXPECT_EQ(rig.Boxes().back().caption, "NO BLANK");
    EXPECT_EQ(rig.Stored("RECIENTES_AVR1"), file);
    ExpectBoardOffAndWindowIdle(rig, "after the drops");
}

}  // namespace
}  // namespace tarpel::ui
