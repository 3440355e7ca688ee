// SPDX-License-Identifier: GPL-2.0-or-later
// "Verificar flash..." and "Verificar eeprom interna..." on the virtual devices.
#include <gtest/gtest.h>

#include <filesystem>

#include "ReadTestData.h"
#include "avr/VerifyMemory.h"

namespace tarpel::test {
namespace {

using shell::CommandOutcome;

const std::string Verdict = "Fin de verificacion";
const std::string Verified = "VERIFICACION: OK !!!!!";

std::string DifferenceAt(const std::string& digits) {
    return "VERIFICACION: ERRONEA (Diferencias en byte: $" + digits + ")";
}

TEST(VerifyMemory, MatchingFilesVerifyOkWithTheirOwnDialogCaptions) {
    TempFolder folder;
    const auto flash = Pattern(4096);
    const auto eeprom = Pattern(256, 9);
    auto bench = SeededBench(folder, "at90s4414", flash, eeprom);
    std::string hex;
    for (int a = 0; a < 256; a += 16) hex += HexRecord(a, {eeprom.begin() + a, eeprom.begin() + a + 16});
    bench->shell.openChoices = {folder.Write("flash.BIN", flash), folder.Write("eeprom.hex", hex + HexEnd)};

    EXPECT_EQ(avr::VerifyFlash(bench->frame), CommandOutcome::Done);
    EXPECT_EQ(avr::VerifyEeprom(bench->frame), CommandOutcome::Done);

    EXPECT_EQ(bench->shell.openCaptions,
              (std::vector<std::string>{"Selecciona el fichero a comparar con la FLASH",
                                        "Selecciona el fichero a comparar con la EEPROM interna"}));
    ASSERT_EQ(bench->shell.messages.size(), 2u);
    for (const auto& m : bench->shell.messages) {
        EXPECT_EQ(m.text, Verified);
        EXPECT_EQ(m.caption, Verdict);
    }
    EXPECT_EQ(bench->shell.flashGauges.back(), 100);
    EXPECT_EQ(bench->shell.eepromGauges.back(), 100);
    EXPECT_EQ(bench->PortByte(), 0x00);
    EXPECT_EQ(bench->shell.cursor, shell::CursorShape::Default);
    EXPECT_EQ(bench->Violations(), std::vector<std::string>{});
}

TEST(VerifyMemory, ReportsTheFirstDifferenceInFourUpperCaseDigits) {
    TempFolder folder;
    auto flash = Pattern(8192);
    auto bench = SeededBench(folder, "atmega8515", flash);
    auto file = flash;
    file[0x1A3] ^= 0x01;
    file[0x1FFF] ^= 0x01;  // later differences are not reported
    bench->shell.openChoices = {folder.Write("flash.bin", file)};
    EXPECT_EQ(avr::VerifyFlash(bench->frame), CommandOutcome::Failed);
    ASSERT_EQ(bench->shell.messages.size(), 1u);
    EXPECT_EQ(bench->shell.messages[0].text, DifferenceAt("01A3"));
    EXPECT_EQ(bench->shell.messages[0].caption, Verdict);
    EXPECT_EQ(bench->PortByte(), 0x00);
}

TEST(VerifyMemory, TheWholeMemoryIsComparedAndWhatTheFileLeavesOutMustBeErased) {
    TempFolder folder;
    auto flash = Pattern(0x180);  // programmed up to 0x17F, erased above
    auto bench = SeededBench(folder, "at90s8515", flash);
    // A HEX file covering 0 .. 0xFF only.
    std::string hex;
    for (int a = 0; a < 0x100; a += 16) hex += HexRecord(a, {flash.begin() + a, flash.begin() + a + 16});
    // A binary file covering the whole programmed part.
    bench->shell.openChoices = {folder.Write("low.hex", hex + HexEnd), folder.Write("all.bin", flash)};
    EXPECT_EQ(avr::VerifyFlash(bench->frame), CommandOutcome::Failed);
    EXPECT_EQ(avr::VerifyFlash(bench->frame), CommandOutcome::Done);
    EXPECT_EQ(bench->MessageTexts(), (std::vector<std::string>{DifferenceAt("0100"), Verified}));
}

TEST(VerifyMemory, TheDeviceIsReadBeforeTheFileIsLoaded) {
    TempFolder folder;
    const auto eeprom = Pattern(512);
    auto bench = SeededBench(folder, "atmega8515", {}, eeprom);
    const std::string file = folder.Write("eeprom.bin", Blank(512));
    bool rewritten = false;
    bench->shell.onProcessMessages = [&] {
        // While the device is being read, the file gets the device's contents.
        if (!rewritten) folder.Write("eeprom.bin", eeprom);
        rewritten = true;
    };
    EXPECT_EQ(avr::VerifyEepromWith(bench->frame, file), CommandOutcome::Done);
    EXPECT_EQ(bench->MessageTexts(), std::vector<std::string>{Verified});
}

TEST(VerifyMemory, CancellingTheDialogTouchesNothing) {
    TempFolder folder;
    auto bench = SeededBench(folder, "atmega8515", {});
    bench->shell.openChoices = {std::nullopt};
    EXPECT_EQ(avr::VerifyEeprom(bench->frame), CommandOutcome::Cancelled);
    EXPECT_EQ(bench->shell.openCaptions.size(), 1u);
    EXPECT_TRUE(bench->shell.messages.empty());
    EXPECT_TRUE(bench->shell.cursorChanges.empty());
    EXPECT_EQ(bench->port.powerUps, 0);
}

// A blank device used to "verify" against a file that does not exist, or one of no known kind.
TEST(VerifyMemory, AFileThatGivesNoImageGetsAnErrorAndNoVerdict) {
    TempFolder folder;
    auto bench = SeededBench(folder, "atmega8515", {});
    bench->shell.openChoices = {folder.Path("missing.hex"), folder.Path("missing.bin"),
                                folder.Write("flash.txt", Blank(8192)), folder.Path("")};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(avr::VerifyFlash(bench->frame), CommandOutcome::Failed) << i;
    EXPECT_EQ(bench->MessageTexts(),
              (std::vector<std::string>{"No se puede abrir el fichero!!", "No se puede abrir el fichero!!",
                                        "Tipo de fichero desconocido (debe ser .hex, .bin, .srec, .s19, .s28, .s37, .mot o .elf)!!",
                                        "Tipo de fichero desconocido (debe ser .hex, .bin, .srec, .s19, .s28, .s37, .mot o .elf)!!"}));
    for (const auto& m : bench->shell.messages) EXPECT_EQ(m.caption, "ERROR");
    EXPECT_EQ(bench->port.powerUps, 0) << "the file is checked before the device is powered";
}

TEST(VerifyMemory, AFolderNamedLikeAFileIsNotOpened) {
    TempFolder folder;
    auto bench = SeededBench(folder, "atmega8515", {});
    std::filesystem::create_directory(folder.Path("image.hex"));
    EXPECT_EQ(avr::VerifyFlashWith(bench->frame, folder.Path("image.hex")), CommandOutcome::Failed);
    EXPECT_EQ(bench->MessageTexts(), std::vector<std::string>{"No se puede abrir el fichero!!"});
    EXPECT_EQ(bench->port.powerUps, 0);
}

TEST(VerifyMemory, ALockedDeviceStopsWithItsOwnMessageOnly) {
    TempFolder folder;
    auto bench = SeededBench(folder, "at90s8515", {}, {}, {"avr-locked"});
    EXPECT_EQ(avr::VerifyFlashWith(bench->frame, folder.Write("f.bin", Blank(8192))), CommandOutcome::Failed);
    EXPECT_EQ(bench->MessageTexts(),
              std::vector<std::string>{"El Atmel esta protegido contra lectura/escritura (Recibido ID=00 01 02)"});
    EXPECT_EQ(bench->port.CountOpcode(0x20), 0);
    EXPECT_EQ(bench->PortByte(), 0x00);
    EXPECT_EQ(bench->shell.cursor, shell::CursorShape::Default);
}

}  // namespace
}  // namespace tarpel::test
