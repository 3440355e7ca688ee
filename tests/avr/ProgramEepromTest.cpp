// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "AvrBench.h"
#include "avr/ProgramEeprom.h"

namespace tarpel::test {
namespace {

using shell::CommandOutcome;

TEST(ProgramEeprom, WritesEveryByteAndWaitsOutWhatEachDeviceCannotPoll) {
    struct Case {
        const char* model;
        int size;
        std::vector<int> slept;  // addresses whose write is waited out with 12 ms
    };
    std::vector<int> megaSlept{0};
    for (int a = 4; a < 512; ++a) megaSlept.push_back(a);
    // An AT90S answers 0x80, then 0x7F while it writes; the ATmega8515 answers 0xFF.
    const Case cases[] = {
        {"at90s8515", 512, {1, 2}},
        {"at90s4414", 256, {1, 2}},
        {"atmega8515", 512, megaSlept},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        StoreMemory(folder, c.model, "eeprom", std::vector<std::uint8_t>(static_cast<std::size_t>(c.size), 0x00));
        AvrBench bench(SimOptions(folder, c.model));
        const std::vector<std::uint8_t> file{0xFF, 0x7F, 0x80, 0x12};
        bench.shell.openChoices.push_back(folder.Write("e.bin", file));

        EXPECT_EQ(avr::ProgramEeprom(bench.frame), CommandOutcome::Done) << c.model;
        std::vector<std::uint8_t> expected = file;
        expected.resize(static_cast<std::size_t>(c.size), 0xFF);
        EXPECT_EQ(bench.Device().Eeprom(), expected) << c.model << ": 0xFF is written like any value";
        EXPECT_EQ(bench.port.CountOpcode(0xC0), c.size) << c.model;

        std::vector<int> slept;
        for (const auto& s : bench.clock.sleeps) {
            if (s.ms != 12) continue;
            const auto& write = bench.port.instructions.at(s.afterInstructions - 1);
            EXPECT_EQ(write.Opcode(), 0xC0) << c.model << ": the sleep follows the write straight away";
            slept.push_back(write.ByteAddress());
        }
        EXPECT_EQ(slept, c.slept) << c.model;
        for (int a = 0; a < 4; ++a) {
            const bool polled = std::find(c.slept.begin(), c.slept.end(), a) == c.slept.end();
            if (polled) EXPECT_GE(bench.port.EepromReadsAt(a), 1) << c.model << " address " << a;
            else EXPECT_EQ(bench.port.EepromReadsAt(a), 1) << c.model << " address " << a << ": one read-back";
        }
        EXPECT_EQ(bench.clock.Count(1), 0) << "EEPROM polls do not sleep";

        EXPECT_EQ(bench.shell.eepromGauges.size(), static_cast<std::size_t>(c.size));
        EXPECT_EQ(bench.shell.eepromGauges.back(), 100) << "the last byte rounds up";
        EXPECT_TRUE(bench.shell.flashGauges.empty());
        EXPECT_TRUE(bench.shell.messages.empty()) << c.model;
        EXPECT_EQ(bench.shell.cursorChanges,
                  (std::vector<shell::CursorShape>{shell::CursorShape::Hourglass, shell::CursorShape::Default}));
        EXPECT_EQ(bench.PortByte(), 0x00);
        EXPECT_TRUE(bench.Violations().empty()) << c.model << ": " << bench.Violations().front();
    }
}

// Lock mode 2 (LB1 programmed): the device still reads, but refuses every write, so a byte that
// differs from what the EEPROM holds never takes. Polled or waited out, it stops the command.
TEST(ProgramEeprom, StopsAtAByteThatDoesNotReadBack) {
    struct Case {
        const char* model;
        std::array<std::uint8_t, 4> lock;  // the lock-bit write that sets mode 2
        std::uint8_t value;               // written at address 2
        int readBacks;                     // at address 2
    };
    const Case cases[] = {
        {"atmega8515", {0xAC, 0xE0, 0x00, 0xFE}, 0x56, 4000},  // polled
        {"atmega8515", {0xAC, 0xE0, 0x00, 0xFE}, 0xFF, 1},     // waited out, then read back
        {"at90s8515", {0xAC, 0xFB, 0x00, 0x00}, 0x7F, 1},
        {"at90s4414", {0xAC, 0xFB, 0x00, 0x00}, 0x80, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " value " + std::to_string(c.value));
        TempFolder folder;
        StoreMemory(folder, c.model, "eeprom", {0x12, 0x34, 0x00});
        AvrBench bench(SimOptions(folder, c.model));
        link::AvrLink& link = bench.frame.Link();
        ASSERT_TRUE(link.EnterProgrammingMode());
        for (std::uint8_t b : c.lock) {
            link.SpiTransfer(b);
            link.ClockXtal(10);
        }
        bench.clock.Sleep(10);
        link.AllLinesOff();
        bench.port.instructions.clear();

        // Bytes 0 and 1 are what the EEPROM holds already: they read back as written.
        const std::vector<std::uint8_t> file{0x12, 0x34, c.value};
        EXPECT_EQ(avr::ProgramEepromFrom(bench.frame, folder.Write("e.hex", HexRecord(0, file) + HexEnd)),
                  CommandOutcome::Failed);
        ASSERT_EQ(bench.shell.messages.size(), 1u);
        EXPECT_EQ(bench.shell.messages[0].text, "Error de comunicacion con Atmel... (direccion $0002)");
        EXPECT_EQ(bench.shell.messages[0].caption, "ERROR");
        EXPECT_EQ(bench.port.EepromReadsAt(2), c.readBacks);
        EXPECT_EQ(bench.port.CountOpcode(0xC0), 3) << "the command ends at that byte";
        EXPECT_EQ(bench.shell.eepromGauges.size(), 2u);
        EXPECT_EQ(bench.shell.cursor, shell::CursorShape::Default);
        EXPECT_EQ(bench.PortByte(), 0x00);
    }
}

TEST(ProgramEeprom, AFileThatGivesNoImageLeavesTheEepromAlone) {
    for (const char* name : {"gone.bin", "gone.hex", "data.dat"}) {
        TempFolder folder;
        const std::vector<std::uint8_t> before(512, 0x5A);
        StoreMemory(folder, "at90s8515", "eeprom", before);
        folder.Write("data.dat", std::string("1234"));
        AvrBench bench(SimOptions(folder, "at90s8515"));
        bench.shell.openChoices.push_back(folder.Path(name));

        EXPECT_EQ(avr::ProgramEeprom(bench.frame), CommandOutcome::Failed) << name;
        ASSERT_EQ(bench.shell.messages.size(), 1u) << name;
        EXPECT_EQ(bench.shell.messages[0].caption, "ERROR");
        EXPECT_EQ(bench.port.writes, 0) << name;
        EXPECT_EQ(bench.Device().Eeprom(), before) << name;
    }
}

// An empty binary file gives the EEPROM nothing, as an empty HEX file does: programming it
// would only fill the EEPROM with 0xFF.
TEST(ProgramEeprom, AnEmptyFileIsRefusedAndLeavesTheEepromAlone) {
    TempFolder folder;
    StoreMemory(folder, "at90s8515", "eeprom", std::vector<std::uint8_t>(512, 0x5A));
    AvrBench bench(SimOptions(folder, "at90s8515"));
    EXPECT_EQ(avr::ProgramEepromFrom(bench.frame, folder.Write("empty.bin", std::string())), CommandOutcome::Failed);
    EXPECT_EQ(bench.Device().Eeprom(), std::vector<std::uint8_t>(512, 0x5A));
    ASSERT_EQ(bench.shell.messages.size(), 1u);
    EXPECT_EQ(bench.shell.messages[0].text, "El fichero no contiene ningun dato!!");
    EXPECT_EQ(bench.port.writes, 0);
}

TEST(ProgramEeprom, NoDeviceStopsBeforeAnyWrite) {
    TempFolder folder;
    AvrBench bench(SimOptions(folder, "atmega8515", {"avr-locked"}));
    EXPECT_EQ(avr::ProgramEepromFrom(bench.frame, folder.Write("e.bin", std::vector<std::uint8_t>{1, 2})),
              CommandOutcome::Failed);
    EXPECT_EQ(bench.MessageTexts(),
              std::vector<std::string>{"El Atmel esta protegido contra lectura/escritura (Recibido ID=00 01 02)"});
    EXPECT_EQ(bench.port.CountOpcode(0xC0), 0);
    EXPECT_EQ(bench.shell.cursor, shell::CursorShape::Default);
    EXPECT_EQ(bench.PortByte(), 0x00);
}

}  // namespace
}  // namespace tarpel::test
