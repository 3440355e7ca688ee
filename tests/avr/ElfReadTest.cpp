// SPDX-License-Identifier: GPL-2.0-or-later
// The ELF reader against the AVR toolchain: programs built with avr-gcc at test time must give
// the very flash, EEPROM, fuse and signature bytes that avr-objcopy takes out of them, and
// broken or foreign files must be refused with their reason, never read past their end.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <optional>
#include <string>

#include "AvrToolchain.h"
#include "avr/ElfRead.h"
#include "avr/ElfWrite.h"

namespace tarpel::test {
namespace {

using avr::ElfMemory;
using avr::ElfRead;
using Bytes = std::vector<std::uint8_t>;
using ::testing::HasSubstr;

// Flash with a gap (a routine placed high by the linker) and .data's initial values after the
// code; EEPROM data; fuses and the signature from avr-libc's headers. Built with -DBARE, the
// program has flash and nothing else.
std::string FirmwareSource(bool hasLowHighFuses) {
    const std::string fuses = hasLowHighFuses ? "FUSES = {.low = 0xE4, .high = 0xC9};\n" : "FUSES = {.byte = 0xDB};\n";
    return "#include <avr/io.h>\n"
           "#include <avr/eeprom.h>\n"
           "#include <avr/fuse.h>\n"
           "#ifndef BARE\n"
           "#include <avr/signature.h>\n"
           "#include <avr/lock.h>\n"
           "LOCKBITS = 0xFE;\n" +
           fuses +
           "uint8_t EEMEM settings[37] = {1, 2, 3, 0xFF, 0x80, 6, 7, 8, 9, 10, 11, 12, 13};\n"
           "uint16_t EEMEM counter = 0x1234;\n"
           "#define EEPROM_BYTE(a) eeprom_read_byte(&settings[a])\n"
           "#else\n"
           "#define EEPROM_BYTE(a) 0\n"
           "#endif\n"
           "volatile uint8_t ram[19] = {0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19};\n"
           "__attribute__((section(\".high\"), noinline)) void High(void) { PORTC = ram[PORTD & 15]; }\n"
           "int main(void) {\n"
           "    for (;;) { PORTB = ram[PORTA & 15] ^ EEPROM_BYTE(PORTA & 31); High(); }\n"
           "}\n";
}

struct Built {
    std::string elf;
    Bytes flash, eeprom, fuses, lock, signature;  // as avr-objcopy extracts them
};

std::optional<Built> BuildFirmware(const TempFolder& folder, const std::string& mcu, const std::string& flags = "") {
    const auto tools = FindAvrTools();
    if (!tools) return std::nullopt;
    const std::string source = folder.Write(mcu + ".c", FirmwareSource(mcu == "atmega8515"));
    const std::string elf = folder.Path(mcu + ".elf");
    const std::string objcopy = tools->objcopy + " -O binary ";
    auto only = [&](const std::string& section) {
        return objcopy + "-j " + section + " --change-section-lma " + section + "=0 " + elf + " " + folder.Path(section);
    };
    if (!RunToolchain(folder, {
                                  tools->gcc + " -mmcu=" + mcu + " -Os " + flags +
                                      " -Wl,--section-start=.high=0x1E00 -o " + elf + " " + source,
                                  objcopy + "--gap-fill 0xFF -R .eeprom -R .fuse -R .lock -R .signature " + elf + " " +
                                      folder.Path("flash"),
                                  only(".eeprom"),
                                  only(".fuse"),
                                  only(".lock"),
                                  only(".signature"),
                              })) {
        return std::nullopt;
    }
    return Built{elf, ReadFile(folder.Path("flash")), ReadFile(folder.Path(".eeprom")), ReadFile(folder.Path(".fuse")),
                 ReadFile(folder.Path(".lock")), ReadFile(folder.Path(".signature"))};
}

void Patch(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t Field(const std::vector<std::uint8_t>& bytes, std::size_t offset, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = value << 8 | bytes[offset + i];
    return value;
}

TEST(ElfRead, TakesWhatAvrObjcopyTakesFromCompiledPrograms) {
    for (const std::string mcu : {"atmega8515", "at90s8515"}) {
        TempFolder folder;
        const auto built = BuildFirmware(folder, mcu);
        TARPEL_SKIP_WITHOUT(built);
        ASSERT_GT(built->flash.size(), 0x1E00u) << mcu << ": the high routine sets where flash ends";
        ASSERT_EQ(built->flash[0x1DFF], 0xFF) << mcu << ": a gap below it";
        ASSERT_EQ(built->eeprom.size(), 39u);

        for (const ElfMemory wanted :
             {ElfMemory::Flash, ElfMemory::Eeprom, ElfMemory::Fuses, ElfMemory::Lock, ElfMemory::Signature}) {
            const auto read = ElfRead(built->elf, wanted);
            EXPECT_EQ(read.error, "") << mcu;
            EXPECT_EQ(read.flash, built->flash) << mcu;
            EXPECT_EQ(read.eeprom, built->eeprom) << mcu;
            EXPECT_EQ(read.fuses, built->fuses) << mcu;
            EXPECT_EQ(read.lock, built->lock) << mcu;
            // avr-libc stores the signature last byte first; it comes back as the device answers it.
            EXPECT_EQ(read.signature, Bytes(built->signature.rbegin(), built->signature.rend())) << mcu;
            EXPECT_EQ(read.signature, mcu == "atmega8515" ? (Bytes{0x1E, 0x93, 0x06}) : (Bytes{0x1E, 0x93, 0x01}));
        }
        // The values the source gave, so that an empty extraction cannot pass for a match.
        EXPECT_EQ(built->fuses, mcu == "atmega8515" ? (Bytes{0xE4, 0xC9}) : (Bytes{0xDB}));
        EXPECT_EQ(built->lock, Bytes{0xFE});
        const Bytes settings{1, 2, 3, 0xFF, 0x80, 6}, counter{0x34, 0x12};
        EXPECT_NE(std::search(built->eeprom.begin(), built->eeprom.end(), settings.begin(), settings.end()), built->eeprom.end());
        EXPECT_NE(std::search(built->eeprom.begin(), built->eeprom.end(), counter.begin(), counter.end()), built->eeprom.end());
    }
}

// The whole-chip copy's writer: a compiled program's memories written again read back as they
// were, and the lock byte, when given, is where avr-objdump and avr-objcopy look for it.
TEST(ElfWrite, WritesWhatTheReaderAndTheToolchainTakeBack) {
    TempFolder folder;
    const auto built = BuildFirmware(folder, "atmega8515");
    TARPEL_SKIP_WITHOUT(built);
    const auto program = ElfRead(built->elf, ElfMemory::Signature);
    const std::string copy = folder.Path("copy.elf");
    ASSERT_TRUE(avr::ElfWrite(copy, {program.flash, program.eeprom, program.fuses, 0xFC, program.signature, 4}));
    const auto read = ElfRead(copy, ElfMemory::Signature);
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(read.flash, built->flash);
    EXPECT_EQ(read.eeprom, built->eeprom);
    EXPECT_EQ(read.fuses, built->fuses);
    EXPECT_EQ(read.signature, program.signature);
    const std::string lock = folder.Path("lock.bin");
    ASSERT_TRUE(RunToolchain(folder, {FindAvrTools()->objcopy + " -O binary -j .lock " + copy + " " + lock}));
    EXPECT_EQ(ReadFile(lock), Bytes{0xFC});
    if (ToolOnPath("avr-objdump")) {
        EXPECT_THAT(CommandOutput("avr-objdump -h " + copy), HasSubstr(".lock         00000001  00830000  00830000"));
    }
}

TEST(ElfRead, RefusesAProgramWithoutTheMemoryAsked) {
    TempFolder folder;
    const auto built = BuildFirmware(folder, "atmega8515", "-DBARE");
    TARPEL_SKIP_WITHOUT(built);
    EXPECT_EQ(ElfRead(built->elf, ElfMemory::Flash).error, "");
    const auto eeprom = ElfRead(built->elf, ElfMemory::Eeprom);
    EXPECT_EQ(eeprom.error, "El fichero ELF no tiene datos para la eeprom interna (seccion .eeprom)!!");
    EXPECT_EQ(eeprom.flash, built->flash) << "what the file has is read all the same";
    EXPECT_EQ(ElfRead(built->elf, ElfMemory::Fuses).error, "El fichero ELF no tiene fuses (seccion .fuse)!!");
    EXPECT_EQ(ElfRead(built->elf, ElfMemory::Lock).error, "El fichero ELF no tiene bits de bloqueo (seccion .lock)!!");
    EXPECT_EQ(ElfRead(built->elf, ElfMemory::Signature).error,
              "El fichero ELF no tiene firma del micro (seccion .signature)!!");
}

TEST(ElfRead, RefusesFilesThatAreNoAvrProgramOrAreBroken) {
    TempFolder folder;
    const auto built = BuildFirmware(folder, "atmega8515");
    TARPEL_SKIP_WITHOUT(built);
    const Bytes good = ReadFile(built->elf);
    const std::string damaged = "El fichero ELF esta incompleto o corrupto!!";
    auto errorOf = [&](const Bytes& bytes) { return ElfRead(folder.Write("x.elf", bytes), ElfMemory::Flash).error; };

    EXPECT_EQ(ElfRead(folder.Path("missing.elf"), ElfMemory::Flash).error, "No se puede abrir el fichero!!");
    EXPECT_EQ(ElfRead(folder.Path(""), ElfMemory::Flash).error, "No se puede abrir el fichero!!");
    EXPECT_EQ(ElfRead(folder.Write("x.hex", ":0100000011EE\n:00000001FF\n"), ElfMemory::Flash).error,
              "El fichero no es un ELF valido!!");
    EXPECT_EQ(errorOf({}), "El fichero no es un ELF valido!!");

    // Another machine: the same file marked for ARM, and a 64-bit program of this computer.
    Bytes arm = good;
    Patch(arm, 18, 40, 2);
    EXPECT_EQ(errorOf(arm), "El fichero ELF es para otro procesador (ARM), no para AVR!!");
    Patch(arm, 18, 4242, 2);
    EXPECT_THAT(errorOf(arm), HasSubstr("(maquina 4242)"));
    Bytes bigEndian = good;
    bigEndian[5] = 2;  // EI_DATA: ELFDATA2MSB
    EXPECT_EQ(errorOf(bigEndian), "El fichero ELF es big-endian: no es un programa para AVR!!");
    EXPECT_EQ(ElfRead("/proc/self/exe", ElfMemory::Flash).error,
              "El fichero ELF es de 64 bits: solo valen los de 32 bits, como los de avr-gcc!!");

    // An object file's sections are not placed yet.
    const auto tools = FindAvrTools();
    ASSERT_TRUE(tools);
    ASSERT_TRUE(RunToolchain(folder, {tools->gcc + " -mmcu=atmega8515 -c -o " + folder.Path("x.o") + " " +
                                      folder.Path("atmega8515.c")}));
    EXPECT_THAT(ElfRead(folder.Path("x.o"), ElfMemory::Flash).error, HasSubstr("no es un programa enlazado"));

    // Cut short: in the identification, in the header, in the segment table, inside the code,
    // and just before the end, where the section table lies.
    const std::size_t codeOffset = Field(good, 28, 4) + 32 * Field(good, 44, 2);
    for (const std::size_t size : {std::size_t{10}, std::size_t{40}, std::size_t{52 + 20}, codeOffset + 50, good.size() - 1}) {
        const std::string error = errorOf(Bytes(good.begin(), good.begin() + static_cast<long>(size)));
        EXPECT_EQ(error, damaged) << size;
    }

    // Damaged: the code section claims more bytes than the file holds, or to start past its end.
    const std::size_t textHeader = Field(good, 32, 4) + 40;  // section 1, .text
    Bytes huge = good;
    Patch(huge, textHeader + 20, 0x100000, 4);
    EXPECT_EQ(errorOf(huge), damaged);
    Bytes away = good;
    Patch(away, textHeader + 16, 0xFFFFFF00, 4);
    EXPECT_EQ(errorOf(away), damaged);
}

}  // namespace
}  // namespace tarpel::test
