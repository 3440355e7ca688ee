// SPDX-License-Identifier: GPL-2.0-or-later
// "Leer flash..." and "Leer eeprom interna..." on each virtual device.
#include <gtest/gtest.h>

#include <filesystem>

#include "ReadTestData.h"
#include "avr/ReadMemory.h"
#include "files/HexRead.h"

namespace tarpel::test {
namespace {

using shell::CommandOutcome;

struct Device {
    const char* model;
    std::size_t flashSize;
    std::size_t eepromSize;
};

class ReadMemoryTest : public ::testing::TestWithParam<Device> {};

INSTANTIATE_TEST_SUITE_P(EachDevice, ReadMemoryTest,
                         ::testing::Values(Device{"at90s8515", 8192, 512}, Device{"at90s4414", 4096, 256},
                                           Device{"atmega8515", 8192, 512}),
                         [](const ::testing::TestParamInfo<Device>& p) { return std::string(p.param.model); });

TEST_P(ReadMemoryTest, SavesTheWholeMemoryAsBinaryAndAsHex) {
    const Device& d = GetParam();
    TempFolder folder;
    const auto flash = Pattern(d.flashSize, 3);
    const auto eeprom = Pattern(d.eepromSize, 100);
    auto bench = SeededBench(folder, d.model, flash, eeprom);

    bench->shell.saveChoices = {folder.Path("flash.bin"), folder.Path("eeprom.BIN"), folder.Path("flash.Hex")};
    EXPECT_EQ(avr::ReadFlash(bench->frame), CommandOutcome::Done);
    EXPECT_EQ(avr::ReadEeprom(bench->frame), CommandOutcome::Done);
    EXPECT_EQ(avr::ReadFlash(bench->frame), CommandOutcome::Done);

    EXPECT_EQ(folder.ReadBytes("flash.bin"), flash);
    EXPECT_EQ(folder.ReadBytes("eeprom.BIN"), eeprom);
    std::vector<std::uint8_t> fromHex(d.flashSize + 16, 0xFF);
    ASSERT_TRUE(files::HexRead(folder.Path("flash.Hex"), 0xFFFF, fromHex).opened);
    EXPECT_TRUE(std::equal(flash.begin(), flash.end(), fromHex.begin()));
    EXPECT_EQ(fromHex[d.flashSize], 0xFF) << "no more than the device's flash is written";

    EXPECT_TRUE(bench->shell.messages.empty());
    EXPECT_EQ(bench->port.powerUps, 3);
    EXPECT_EQ(bench->port.CountOpcode(0xA0), static_cast<int>(d.eepromSize));
    EXPECT_EQ(bench->port.CountOpcode(0x20) + bench->port.CountOpcode(0x28), static_cast<int>(2 * d.flashSize));
    EXPECT_EQ(bench->shell.flashGauges.back(), 100);
    EXPECT_EQ(bench->shell.eepromGauges.back(), 100);
    EXPECT_EQ(bench->shell.flashGauges.size(), 2 * d.flashSize);
    EXPECT_EQ(bench->shell.processMessagesCalls, static_cast<int>(2 * d.flashSize + d.eepromSize));
    EXPECT_EQ(bench->shell.cursor, shell::CursorShape::Default);
    EXPECT_EQ(bench->PortByte(), 0x00);
    EXPECT_EQ(bench->Violations(), std::vector<std::string>{});
    // Reading changes nothing on the device.
    EXPECT_EQ(bench->Device().Flash(), flash);
    EXPECT_EQ(bench->Device().Eeprom(), eeprom);
}

TEST(ReadMemory, AUnknownEndingIsRefusedBeforeTheDeviceIsRead) {
    TempFolder folder;
    auto bench = SeededBench(folder, "atmega8515", Pattern(8192));
    bench->shell.saveChoices = {folder.Path("flash.dat")};
    EXPECT_EQ(avr::ReadFlash(bench->frame), CommandOutcome::Failed);
    ASSERT_EQ(bench->shell.messages.size(), 1u);
    EXPECT_EQ(bench->shell.messages[0].text, "Tipo de fichero desconocido (debe ser .hex, .bin, .srec, .s19, .s28, .s37 o .mot)!!");
    EXPECT_EQ(bench->shell.messages[0].caption, "ERROR");
    EXPECT_EQ(bench->port.powerUps, 0);
    EXPECT_FALSE(std::filesystem::exists(folder.Path("flash.dat"))) << "nothing saved";
}

TEST(ReadMemory, AFileThatCannotBeWrittenIsReportedForEitherKind) {
    TempFolder folder;
    auto bench = SeededBench(folder, "at90s4414", {}, Pattern(256));
    bench->shell.saveChoices = {folder.Path("missing/eeprom.hex"), folder.Path("missing/eeprom.bin")};
    EXPECT_EQ(avr::ReadEeprom(bench->frame), CommandOutcome::Failed);
    EXPECT_EQ(avr::ReadEeprom(bench->frame), CommandOutcome::Failed);
    ASSERT_EQ(bench->shell.messages.size(), 2u);
    for (const auto& m : bench->shell.messages) {
        EXPECT_EQ(m.text, "No se puede crear fichero!!");
        EXPECT_EQ(m.caption, "ERROR");
    }
    EXPECT_EQ(bench->port.CountOpcode(0xA0), 2 * 256) << "the device was read both times";
    EXPECT_EQ(bench->PortByte(), 0x00);
    EXPECT_EQ(bench->shell.cursor, shell::CursorShape::Default);
}

TEST(ReadMemory, CancelledDialogOrNoDeviceLeavesNoFile) {
    TempFolder folder;
    auto bench = SeededBench(folder, "atmega8515", {}, {}, {"avr-no-answer"});
    bench->shell.saveChoices = {std::nullopt, folder.Path("flash.bin")};
    EXPECT_EQ(avr::ReadFlash(bench->frame), CommandOutcome::Cancelled);
    EXPECT_EQ(bench->port.powerUps, 0);
    EXPECT_EQ(avr::ReadFlash(bench->frame), CommandOutcome::Failed);
    EXPECT_EQ(bench->MessageTexts(), std::vector<std::string>{"No se ha detectado ningun micro!!!"});
    EXPECT_FALSE(std::filesystem::exists(folder.Path("flash.bin")));
    EXPECT_EQ(bench->PortByte(), 0x00);
    EXPECT_EQ(bench->shell.cursor, shell::CursorShape::Default);
}

TEST(ReadMemory, ACommandStartedDuringTheReadDoesNothing) {
    TempFolder folder;
    auto bench = SeededBench(folder, "atmega8515", {}, Pattern(512));
    bench->shell.saveChoices = {folder.Path("a.bin"), folder.Path("b.bin")};
    int nested = 0;
    shell::CommandOutcome nestedOutcome = CommandOutcome::Done;
    bench->shell.onProcessMessages = [&] {
        if (nested++ == 0) nestedOutcome = avr::ReadEeprom(bench->frame);
    };
    EXPECT_EQ(avr::ReadEeprom(bench->frame), CommandOutcome::Done);
    EXPECT_EQ(nestedOutcome, CommandOutcome::Failed);
    EXPECT_EQ(bench->shell.saveChoices.size(), 1u) << "the second command did not even ask for a file";
    EXPECT_EQ(bench->port.powerUps, 1);
    EXPECT_EQ(folder.ReadBytes("a.bin"), Pattern(512));
}

}  // namespace
}  // namespace tarpel::test
