// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <filesystem>

#include "AvrBench.h"
#include "ExternalTool.h"
#include "avr/FileImage.h"

namespace tarpel::test {
namespace {

using avr::ImageLoad;

TEST(FileImage, BinaryFilesFillTheImageUpToTheirCommandsLimit) {
    TempFolder folder;
    std::vector<std::uint8_t> file(20000);
    for (std::size_t a = 0; a < file.size(); ++a) file[a] = static_cast<std::uint8_t>(a % 7);
    const std::string name = folder.Write("big.bin", file);

    const auto flash = avr::LoadFileImage(name, avr::FlashImageLimits);
    EXPECT_EQ(flash.load, ImageLoad::Loaded);
    ASSERT_EQ(flash.bytes.size(), 21761u);
    EXPECT_TRUE(std::equal(flash.bytes.begin(), flash.bytes.begin() + 17664, file.begin()));
    EXPECT_TRUE(std::all_of(flash.bytes.begin() + 17664, flash.bytes.end(), [](auto b) { return b == 0xFF; }));

    EXPECT_EQ(flash.read.dataEnd, 20000u) << "the whole file counts for the size check";

    const auto eeprom = avr::LoadFileImage(name, avr::EepromImageLimits);
    ASSERT_EQ(eeprom.bytes.size(), 849u);
    EXPECT_TRUE(std::equal(eeprom.bytes.begin(), eeprom.bytes.begin() + 592, file.begin()));
    EXPECT_EQ(eeprom.bytes[592], 0xFF);
}

TEST(FileImage, HexRecordsAreTakenUpToTheRecordLimit) {
    TempFolder folder;
    const std::vector<std::uint8_t> run(16, 0xA5);
    const std::string name = folder.Write(
        "p.Hex", HexRecord(0x4400, {0x01, 0x02}) + HexRecord(0x4500, run) + HexRecord(0x4510, {0x03}) + HexEnd);
    const auto image = avr::LoadFileImage(name, avr::FlashImageLimits);
    EXPECT_EQ(image.load, ImageLoad::Loaded);
    EXPECT_EQ(image.bytes[0x4400], 0x01);
    EXPECT_EQ(image.bytes[0x4401], 0x02);
    // A record at the limit is stored whole; one above it is dropped.
    EXPECT_EQ(image.bytes[0x450F], 0xA5);
    EXPECT_EQ(image.bytes[0x4510], 0xFF);

    const auto eeprom = avr::LoadFileImage(
        folder.Write("e.hex", HexRecord(0x0250, run) + HexRecord(0x0251, {0x00}) + HexEnd), avr::EepromImageLimits);
    EXPECT_EQ(eeprom.bytes[0x25F], 0xA5);
    EXPECT_EQ(eeprom.bytes[0x251], 0xA5) << "the record at 0x251 is above the limit";
}

TEST(FileImage, TheNamesEndingDecidesTheKind) {
    TempFolder folder;
    const std::string hexText = HexRecord(0, {0x42}) + HexEnd;
    struct Case {
        std::string name;
        ImageLoad load;
        int first;  // image byte 0 afterwards
    };
    const Case cases[] = {
        {folder.Write("a.HEX", hexText), ImageLoad::Loaded, 0x42},
        {folder.Write("b.hEx", hexText), ImageLoad::Loaded, 0x42},
        {folder.Write("cxbin", std::vector<std::uint8_t>{0x17}), ImageLoad::Loaded, 0x17},
        {folder.Write("d.txt", hexText), ImageLoad::UnknownKind, 0xFF},
        {folder.Write("e.hex.bak", hexText), ImageLoad::UnknownKind, 0xFF},
        {folder.Path("missing.hex"), ImageLoad::Unreadable, 0xFF},
        {folder.Path("missing.bin"), ImageLoad::Unreadable, 0xFF},
        {"", ImageLoad::Unreadable, 0xFF},
        {folder.Write("empty.bin", std::string()), ImageLoad::Loaded, 0xFF},
        {folder.Write("empty.hex", std::string()), ImageLoad::NoHexData, 0xFF},
        {folder.Write("end.hex", HexEnd), ImageLoad::NoHexData, 0xFF},
    };
    for (const auto& c : cases) {
        const auto image = avr::LoadFileImage(c.name, avr::EepromImageLimits);
        EXPECT_EQ(image.load, c.load) << c.name;
        EXPECT_EQ(image.bytes.at(0), c.first) << c.name;
    }
    std::filesystem::create_directory(folder.Path("folder.bin"));
    EXPECT_EQ(avr::LoadFileImage(folder.Path("folder.bin"), avr::FlashImageLimits).load, ImageLoad::Unreadable);
}

// The AVR toolchain links an .eeprom section at 0x810000, and avr-objcopy writes it there
// unless told otherwise; it is meant for EEPROM address 0.
TEST(FileImage, TheToolchainsEepromFileLoadsAtEepromAddressZero) {
    TARPEL_REQUIRE_TOOL("avr-as");
    TARPEL_REQUIRE_TOOL("avr-ld");
    TARPEL_REQUIRE_TOOL("avr-objcopy");
    TempFolder folder;
    folder.Write("e.s", ".section .eeprom,\"aw\",@progbits\n.byte 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20\n");
    const std::string in = "cd '" + folder.Path("") + "' && ";
    ASSERT_EQ(std::system((in + "avr-as -mmcu=atmega8515 -o e.o e.s && avr-ld -m avr4 -o e.elf e.o && "
                                "avr-objcopy -j .eeprom --set-section-flags=.eeprom=alloc,load -O ihex e.elf e.hex")
                              .c_str()),
              0);
    ASSERT_NE(folder.ReadText("e.hex").find(":02000004008179"), std::string::npos) << folder.ReadText("e.hex");

    const auto image = avr::LoadFileImage(folder.Path("e.hex"), avr::EepromImageLimits);
    EXPECT_EQ(image.load, ImageLoad::Loaded);
    EXPECT_EQ(image.read.wrongLines, 0);
    EXPECT_EQ(image.read.dataEnd, 20u);
    for (int a = 0; a < 20; ++a) EXPECT_EQ(image.bytes[static_cast<std::size_t>(a)], a + 1) << a;
    EXPECT_EQ(image.bytes[20], 0xFF);
}

}  // namespace
}  // namespace tarpel::test
