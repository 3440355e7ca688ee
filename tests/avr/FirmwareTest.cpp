// SPDX-License-Identifier: GPL-2.0-or-later
// Real firmware through the commands: a small C program is built for each device with Debian's
// AVR toolchain at test time; its ELF file itself, and the Intel HEX and S-record images
// avr-objcopy makes of it, are programmed into the virtual device and verified, and what the
// device then holds is read back through the link and compared with avr-objcopy's raw binary
// of the very same program.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>

#include "AvrBench.h"
#include "AvrToolchain.h"
#include "avr/ProgramEeprom.h"
#include "avr/ProgramFlash.h"
#include "avr/VerifyMemory.h"

namespace tarpel::test {
namespace {

using shell::CommandOutcome;

// A program with a table in flash (several pages, values that cannot be polled included) and
// a block of EEPROM data, both read by the code so that nothing is optimised away; its ELF file
// also names the device (.signature) and, on the ATmega8515, the fuses (.fuse).
std::string FirmwareSource() {
    std::ostringstream table;
    std::ostringstream eeprom;
    for (int i = 0; i < 300; ++i) {
        const int value = i % 50 == 0 ? 0x7F : i % 50 == 1 ? 0x80 : i % 50 == 2 ? 0xFF : (i * 37 + 11) & 0xFF;
        table << (i ? ", " : "") << value;
    }
    for (int i = 0; i < 40; ++i) eeprom << (i ? ", " : "") << (i == 3 ? 0xFF : i == 4 ? 0x7F : i == 5 ? 0x80 : i * 5);
    return "#include <avr/io.h>\n"
           "#include <avr/pgmspace.h>\n"
           "#include <avr/eeprom.h>\n"
           "#include <avr/signature.h>\n"
           "#if FUSE_MEMORY_SIZE == 2\n"
           "#include <avr/fuse.h>\n"
           "FUSES = {.low = 0xE4, .high = 0xC9};\n"
           "#endif\n"
           "static const uint8_t table[300] PROGMEM = {" + table.str() + "};\n"
           "uint8_t EEMEM settings[40] = {" + eeprom.str() + "};\n"
           "int main(void) {\n"
           "    DDRB = 0xFF;\n"
           "    for (;;) {\n"
           "        for (uint16_t i = 0; i < sizeof table; ++i)\n"
           "            PORTB = pgm_read_byte(&table[i]) ^ eeprom_read_byte(&settings[i % sizeof settings]);\n"
           "    }\n"
           "}\n";
}

struct Built {
    std::string elf, flashHex, flashSrec, flashBin, eepromHex, eepromSrec, eepromBin;
};

// Builds the firmware for one device into the folder; fails the test on any tool error.
std::optional<Built> BuildFirmware(const TempFolder& folder, const std::string& mcu) {
    const auto tools = FindAvrTools();
    if (!tools) return std::nullopt;
    const std::string source = folder.Write(mcu + ".c", FirmwareSource());
    const std::string elf = folder.Path(mcu + ".elf");
    Built built{elf,
                folder.Path(mcu + "-flash.hex"),
                folder.Path(mcu + "-flash.srec"),
                folder.Path(mcu + "-flash.bin"),
                folder.Path(mcu + "-eeprom.hex"),
                folder.Path(mcu + "-eeprom.s28"),
                folder.Path(mcu + "-eeprom.bin")};
    // Flash is everything but the other memories' sections, as an ISP programmer takes it.
    const std::string flashOnly = " -R .eeprom -R .fuse -R .lock -R .signature ";
    const std::string eepromOnly = " -j .eeprom --change-section-lma .eeprom=0 ";
    if (!RunToolchain(folder, {
                                  tools->gcc + " -mmcu=" + mcu + " -Os -o " + elf + " " + source,
                                  tools->objcopy + flashOnly + "-O ihex " + elf + " " + built.flashHex,
                                  tools->objcopy + flashOnly + "-O srec " + elf + " " + built.flashSrec,
                                  tools->objcopy + flashOnly + "-O binary " + elf + " " + built.flashBin,
                                  tools->objcopy + eepromOnly + "-O ihex " + elf + " " + built.eepromHex,
                                  // At its link address, 0x810000: 24-bit S2 records.
                                  tools->objcopy + " -j .eeprom -O srec " + elf + " " + built.eepromSrec,
                                  tools->objcopy + eepromOnly + "-O binary " + elf + " " + built.eepromBin,
                              })) {
        return std::nullopt;
    }
    return built;
}

TEST(Firmware, CompiledProgramsLandInFlashAndEepromByteForByteFromEveryFileKind) {
    for (const char* mcu : {"atmega8515", "at90s8515", "at90s4414"}) {
        TempFolder folder;
        const auto built = BuildFirmware(folder, mcu);
        TARPEL_SKIP_WITHOUT(built);
        const auto flash = ReadFile(built->flashBin);
        const auto eeprom = ReadFile(built->eepromBin);
        ASSERT_GT(flash.size(), 4u * 64) << mcu << ": the program should span several pages";
        ASSERT_EQ(eeprom.size(), 40u);

        const std::pair<std::string, std::string> files[] = {
            {built->flashHex, built->eepromHex}, {built->flashSrec, built->eepromSrec}, {built->elf, built->elf}};
        for (const auto& [flashFile, eepromFile] : files) {
            const std::string what = std::string(mcu) + " " + flashFile;
            TempFolder chips;
            AvrBench bench(SimOptions(chips, mcu));
            EXPECT_EQ(avr::ProgramFlashFrom(bench.frame, flashFile), CommandOutcome::Done) << what;
            EXPECT_EQ(avr::ProgramEepromFrom(bench.frame, eepromFile), CommandOutcome::Done) << what;
            EXPECT_TRUE(bench.shell.messages.empty()) << what << ": " << bench.shell.messages.front().text;
            EXPECT_EQ(avr::VerifyFlashWith(bench.frame, flashFile), CommandOutcome::Done) << what;
            EXPECT_EQ(avr::VerifyEepromWith(bench.frame, eepromFile), CommandOutcome::Done) << what;
            EXPECT_EQ(bench.MessageTexts(), (std::vector<std::string>{"VERIFICACION: OK !!!!!", "VERIFICACION: OK !!!!!"}))
                << what;

            // Read back through the link, in programming mode, as the device answers.
            link::AvrLink& link = bench.frame.Link();
            ASSERT_TRUE(link.EnterProgrammingMode());
            std::vector<std::uint8_t> flashBack, eepromBack;
            for (std::size_t a = 0; a < flash.size(); ++a) flashBack.push_back(link.ReadFlashByte(static_cast<int>(a)));
            for (std::size_t a = 0; a < eeprom.size(); ++a) eepromBack.push_back(link.ReadEepromByte(static_cast<int>(a)));
            link.AllLinesOff();
            EXPECT_EQ(flashBack, flash) << what;
            EXPECT_EQ(eepromBack, eeprom) << what;

            // Above the program, the flash is still blank; above the data, the EEPROM too.
            const auto& deviceFlash = bench.Device().Flash();
            EXPECT_TRUE(std::all_of(deviceFlash.begin() + static_cast<long>(flash.size()), deviceFlash.end(),
                                    [](auto b) { return b == 0xFF; }))
                << what;
            const auto& deviceEeprom = bench.Device().Eeprom();
            EXPECT_TRUE(std::all_of(deviceEeprom.begin() + 40, deviceEeprom.end(), [](auto b) { return b == 0xFF; }))
                << what;
            EXPECT_TRUE(bench.Violations().empty()) << what << ": " << bench.Violations().front();
        }
    }
}

TEST(Firmware, TheRawBinariesProgramTheSameAsTheHexFiles) {
    TempFolder folder;
    const auto built = BuildFirmware(folder, "atmega8515");
    TARPEL_SKIP_WITHOUT(built);
    TempFolder fromHex;
    TempFolder fromBin;
    AvrBench hexBench(SimOptions(fromHex, "atmega8515"));
    AvrBench binBench(SimOptions(fromBin, "atmega8515"));
    ASSERT_EQ(avr::ProgramFlashFrom(hexBench.frame, built->flashHex), CommandOutcome::Done);
    ASSERT_EQ(avr::ProgramEepromFrom(hexBench.frame, built->eepromHex), CommandOutcome::Done);
    ASSERT_EQ(avr::ProgramFlashFrom(binBench.frame, built->flashBin), CommandOutcome::Done);
    ASSERT_EQ(avr::ProgramEepromFrom(binBench.frame, built->eepromBin), CommandOutcome::Done);
    EXPECT_EQ(hexBench.Device().Flash(), binBench.Device().Flash());
    EXPECT_EQ(hexBench.Device().Eeprom(), binBench.Device().Eeprom());

    // The device's store file holds the program, padded with the erased value.
    hexBench.Device().Persist();
    auto expected = ReadFile(built->flashBin);
    expected.resize(8192, 0xFF);
    EXPECT_EQ(ReadFile(fromHex.Path("atmega8515-flash.bin")), expected);
}

}  // namespace
}  // namespace tarpel::test
