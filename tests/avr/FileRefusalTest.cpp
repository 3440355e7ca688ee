// SPDX-License-Identifier: GPL-2.0-or-later
// Files that must not reach the device, refused by every AVR command that takes a file before
// anything is written or compared: a HEX file without data, data beyond the memory, and avr-gcc
// programs for another device, another machine or without the memory asked for.
#include <gtest/gtest.h>

#include "AvrBench.h"
#include "AvrToolchain.h"
#include "avr/ProgramEeprom.h"
#include "avr/ProgramFlash.h"
#include "avr/ReprogramFlash.h"
#include "avr/VerifyMemory.h"

namespace tarpel::test {
namespace {

using shell::CommandOutcome;
using FileCommand = CommandOutcome (*)(avr::CommandFrame&, const std::string&);

struct NamedCommand {
    const char* name;
    FileCommand run;
    bool flash;
};

const NamedCommand FileCommands[] = {
    {"write-flash", avr::ProgramFlashFrom, true},   {"reprogram-flash", avr::ReprogramFlashFrom, true},
    {"verify-flash", avr::VerifyFlashWith, true},   {"write-eeprom", avr::ProgramEepromFrom, false},
    {"verify-eeprom", avr::VerifyEepromWith, false},
};

// A device whose memories hold a pattern, so that any write would show.
struct SeededDevice {
    explicit SeededDevice(const std::string& model, int flashSize, int eepromSize)
        : flash(static_cast<std::size_t>(flashSize), 0x3C), eeprom(static_cast<std::size_t>(eepromSize), 0x5A) {
        StoreMemory(folder, model, "flash", flash);
        StoreMemory(folder, model, "eeprom", eeprom);
        bench = std::make_unique<AvrBench>(SimOptions(folder, model));
        bench->shell.portProbe = [this] { return bench->PortByte(); };
    }
    // Every instruction sent was one of the identification's.
    bool OnlyIdentified() const {
        return bench->port.Count([](const IspInstruction& i) {
                   return !(i.Opcode() == 0x30 || (i.sent[0] == 0xAC && i.sent[1] == 0x53));
               }) == 0;
    }
    TempFolder folder;
    std::vector<std::uint8_t> flash;
    std::vector<std::uint8_t> eeprom;
    std::unique_ptr<AvrBench> bench;
};

TEST(FileRefusal, AHexFileWithoutDataIsRefusedBeforeTheDeviceIsPowered) {
    const std::pair<const char*, std::string> files[] = {
        {"empty.hex", ""},
        {"end-only.hex", HexEnd},
        {"zeros.hex", std::string(100, '\0')},
        {"motorola.hex", "S1130000285F245F2212226A000424290008237C2A\nS9030000FC\n"},
    };
    for (const auto& [name, text] : files) {
        for (const auto& command : FileCommands) {
            SeededDevice device("atmega8515", 8192, 512);
            const std::string what = std::string(command.name) + " " + name;
            EXPECT_EQ(command.run(device.bench->frame, device.folder.Write(name, text)), CommandOutcome::Failed) << what;
            EXPECT_EQ(device.bench->MessageTexts(), std::vector<std::string>{"El fichero no contiene datos HEX validos!!"})
                << what;
            EXPECT_EQ(device.bench->shell.messages.at(0).caption, "ERROR") << what;
            EXPECT_EQ(device.bench->port.writes, 0) << what << ": the device is not even powered";
            EXPECT_EQ(device.bench->Device().Flash(), device.flash) << what;
            EXPECT_EQ(device.bench->Device().Eeprom(), device.eeprom) << what;
        }
    }
}

TEST(FileRefusal, DataBeyondTheMemoryIsRefusedBeforeAnythingIsWrittenOrCompared) {
    struct Case {
        const char* model;
        int flashSize, eepromSize;
        bool flash;  // the file is for the flash commands
        const char* name;
        std::string content;
        std::string message;
        int powerUps;  // 1: only the signature tells the size; 0: no device could hold the file
    };
    const std::vector<std::uint8_t> run16(16, 0x00);
    const Case cases[] = {
        // An ATmega8515 firmware on an AT90S4414.
        {"at90s4414", 4096, 256, true, "mega.bin", std::string(8192, '\0'),
         "El fichero llega hasta el byte 8192 y la flash del micro solo tiene 4096 bytes!!", 1},
        {"at90s8515", 8192, 512, true, "big.bin", std::string(20000, '\0'),
         "El fichero llega hasta el byte 20000 y la flash del micro solo tiene 16384 bytes!!", 0},
        // A record above the reader's limit used to be dropped without a word; 16 KiB fit the ATmega162.
        {"at90s8515", 8192, 512, true, "high.hex", HexRecord(0x0000, {0x11}) + HexRecord(0x4510, {0x55}) + HexEnd,
         "El fichero llega hasta el byte 17681 y la flash del micro solo tiene 16384 bytes!!", 0},
        {"at90s8515", 8192, 512, true, "mid.hex", HexRecord(0x2510, {0x55}) + HexEnd,
         "El fichero llega hasta el byte 9489 y la flash del micro solo tiene 8192 bytes!!", 1},
        {"at90s4414", 4096, 256, false, "e.hex", HexRecord(0x01F0, run16) + HexEnd,
         "El fichero llega hasta el byte 512 y la eeprom interna del micro solo tiene 256 bytes!!", 1},
        {"atmega8515", 8192, 512, false, "e.bin", std::string(600, '\0'),
         "El fichero llega hasta el byte 600 y la eeprom interna del micro solo tiene 512 bytes!!", 0},
    };
    for (const auto& c : cases) {
        for (const auto& command : FileCommands) {
            if (command.flash != c.flash) continue;
            SeededDevice device(c.model, c.flashSize, c.eepromSize);
            const std::string what = std::string(command.name) + " " + c.name + " on " + c.model;
            EXPECT_EQ(command.run(device.bench->frame, device.folder.Write(c.name, c.content)), CommandOutcome::Failed)
                << what;
            EXPECT_EQ(device.bench->MessageTexts(), std::vector<std::string>{c.message}) << what;
            EXPECT_EQ(device.bench->shell.messages.at(0).caption, "ERROR") << what;
            EXPECT_EQ(device.bench->port.powerUps, c.powerUps) << what;
            EXPECT_TRUE(device.OnlyIdentified()) << what << ": nothing erased, written or read";
            EXPECT_EQ(device.bench->Device().Flash(), device.flash) << what;
            EXPECT_EQ(device.bench->Device().Eeprom(), device.eeprom) << what;
            EXPECT_EQ(device.bench->shell.portAtMessages, std::vector<int>{0x00}) << what << ": the box waits unpowered";
            EXPECT_EQ(device.bench->PortByte(), 0x00) << what;
            EXPECT_EQ(device.bench->shell.cursor, shell::CursorShape::Default) << what;
        }
    }
    // What does fit goes through: the flash size of the device in the socket, exactly.
    SeededDevice device("at90s4414", 4096, 256);
    EXPECT_EQ(avr::VerifyFlashWith(device.bench->frame, device.folder.Write("fits.bin", device.flash)),
              CommandOutcome::Done);
    EXPECT_EQ(device.bench->MessageTexts(), std::vector<std::string>{"VERIFICACION: OK !!!!!"});
}

TEST(FileRefusal, AnElfProgramForAnotherDeviceOrWithoutTheMemoryNeverReachesTheDevice) {
    TempFolder built;
    const std::string body = "int main(void) { for (;;) PORTB = EEPROM_BYTE; }\n";
    const auto mega = BuildElf(built, "atmega8515", "mega",
                               "#include <avr/io.h>\n#include <avr/eeprom.h>\n#include <avr/signature.h>\n"
                               "uint8_t EEMEM data[3] = {1, 2, 3};\n#define EEPROM_BYTE eeprom_read_byte(&data[1])\n" +
                                   body);
    TARPEL_SKIP_WITHOUT(mega);
    const auto bare = BuildElf(built, "at90s8515", "bare", "#include <avr/io.h>\n#define EEPROM_BYTE 0\n" + body);
    ASSERT_TRUE(bare);
    std::vector<std::uint8_t> arm = ReadFile(*mega);
    arm[18] = 40;  // e_machine: ARM
    arm[19] = 0;
    const std::string armFile = built.Write("arm.elf", arm);

    struct Case {
        std::string file;
        bool flash, eeprom;  // the commands of which memory refuse it
        std::string message;
        int powerUps;  // 1: the device must be identified to tell
    };
    const Case cases[] = {
        {*mega, true, true,
         "El fichero es para un ATMEGA 8515 (8kb flash) y el micro del zocalo es un AT90S8515 (8kb flash)!!", 1},
        {*bare, false, true, "El fichero ELF no tiene datos para la eeprom interna (seccion .eeprom)!!", 0},
        {armFile, true, true, "El fichero ELF es para otro procesador (ARM), no para AVR!!", 0},
    };
    for (const auto& c : cases) {
        for (const auto& command : FileCommands) {
            if (!(command.flash ? c.flash : c.eeprom)) continue;
            SeededDevice device("at90s8515", 8192, 512);
            const std::string what = std::string(command.name) + " " + c.file;
            EXPECT_EQ(command.run(device.bench->frame, c.file), CommandOutcome::Failed) << what;
            EXPECT_EQ(device.bench->MessageTexts(), std::vector<std::string>{c.message}) << what;
            EXPECT_EQ(device.bench->shell.messages.at(0).caption, "ERROR") << what;
            EXPECT_EQ(device.bench->port.powerUps, c.powerUps) << what;
            EXPECT_TRUE(device.OnlyIdentified()) << what << ": nothing erased, written or read";
            EXPECT_EQ(device.bench->Device().Flash(), device.flash) << what;
            EXPECT_EQ(device.bench->Device().Eeprom(), device.eeprom) << what;
            EXPECT_EQ(device.bench->PortByte(), 0x00) << what;
        }
    }
}

}  // namespace
}  // namespace tarpel::test
