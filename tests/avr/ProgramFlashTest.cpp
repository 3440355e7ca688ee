// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "AvrBench.h"
#include "avr/EraseChip.h"
#include "avr/ProgramFlash.h"
#include "avr/ReprogramFlash.h"

namespace tarpel::test {
namespace {

using shell::CommandOutcome;

const std::string ByteModeFailure = "Error de comunicacion con Atmel, o intento de grabar flash sin borrar antes...";
const std::string NoDevice = "No se ha detectado ningun micro!!!";

bool IsFlashWrite(const IspInstruction& i) { return i.Opcode() == 0x40 || i.Opcode() == 0x48; }

std::vector<std::uint8_t> Padded(std::vector<std::uint8_t> bytes, std::size_t size) {
    bytes.resize(size, 0xFF);
    return bytes;
}

TEST(ProgramFlash, ByteModeWaitsOutUnpollableValuesAndPollsTheRest) {
    TempFolder folder;
    AvrBench bench(SimOptions(folder, "at90s8515"));
    const std::vector<std::uint8_t> file{0x7F, 0x80, 0x12, 0xFF, 0x34};
    bench.shell.openChoices.push_back(folder.Write("p.bin", file));

    EXPECT_EQ(avr::ProgramFlash(bench.frame), CommandOutcome::Done);
    EXPECT_EQ(bench.Device().Flash(), Padded(file, 8192));
    // 0xFF is the erased value: no write for it.
    std::vector<int> written;
    for (const auto& i : bench.port.instructions) {
        if (IsFlashWrite(i)) written.push_back(i.ByteAddress());
    }
    EXPECT_EQ(written, (std::vector<int>{0, 1, 2, 4}));
    // 0x7F and 0x80 cannot be polled: each gets a 12 ms sleep straight after its write, then
    // one read-back.
    EXPECT_EQ(bench.port.FlashReadsAt(0), 1);
    EXPECT_EQ(bench.port.FlashReadsAt(1), 1);
    EXPECT_GE(bench.port.FlashReadsAt(2), 1);
    EXPECT_GE(bench.port.FlashReadsAt(4), 1);
    std::vector<std::size_t> twelveMsAfter;
    for (const auto& s : bench.clock.sleeps) {
        if (s.ms == 12) twelveMsAfter.push_back(s.afterInstructions);
    }
    const auto writeOf = [&](int address) {
        return static_cast<std::size_t>(bench.port.Find(
                   [address](const IspInstruction& i) { return IsFlashWrite(i) && i.ByteAddress() == address; })) +
               1;
    };
    EXPECT_EQ(twelveMsAfter, (std::vector<std::size_t>{writeOf(0), writeOf(1)}));
    // The virtual AT90S takes 9 ms per byte: the polls of 0x12 and 0x34 sleep 1 ms per miss.
    EXPECT_GE(bench.clock.Count(1), 2);

    EXPECT_EQ(bench.shell.flashGauges.size(), 8193u);
    EXPECT_EQ(bench.shell.flashGauges.front(), 0);
    EXPECT_EQ(bench.shell.flashGauges[1024], 12);  // 12.5 goes to the even neighbour, as on the 24Cxx page
    EXPECT_EQ(bench.shell.flashGauges[3072], 38);  // 37.5 likewise
    EXPECT_EQ(bench.shell.flashGauges.back(), 100);
    EXPECT_EQ(bench.shell.processMessagesCalls, 8192);
    EXPECT_TRUE(bench.shell.messages.empty());
    EXPECT_EQ(bench.shell.cursorChanges,
              (std::vector<shell::CursorShape>{shell::CursorShape::Hourglass, shell::CursorShape::Default}));
    EXPECT_EQ(bench.view.caption, "AT90S8515 (8kb flash)");
    EXPECT_EQ(bench.PortByte(), 0x00);
    EXPECT_TRUE(bench.Violations().empty()) << bench.Violations().front();
}

TEST(ProgramFlash, ByteModeStopsAtAByteThatNeverReadsBack) {
    TempFolder folder;
    AvrBench bench(SimOptions(folder, "at90s8515", {"avr-flash-stuck:0x10"}));
    std::vector<std::uint8_t> file;
    for (int a = 0; a < 0x20; ++a) file.push_back(static_cast<std::uint8_t>(0x20 + a));

    EXPECT_EQ(avr::ProgramFlashFrom(bench.frame, folder.Write("p.bin", file)), CommandOutcome::Failed);
    ASSERT_EQ(bench.shell.messages.size(), 1u);
    EXPECT_EQ(bench.shell.messages[0].text, ByteModeFailure + " (direccion $0010)");
    EXPECT_EQ(bench.shell.messages[0].caption, "ERROR");
    EXPECT_EQ(bench.port.FlashReadsAt(0x10), 5000);
    const int failedWrite = bench.port.Find([](const IspInstruction& i) { return IsFlashWrite(i) && i.ByteAddress() == 0x10; });
    int sleepsAfter = 0;
    for (const auto& s : bench.clock.sleeps) {
        if (s.afterInstructions > static_cast<std::size_t>(failedWrite)) sleepsAfter += s.ms == 1 ? 1 : 100000;
    }
    EXPECT_EQ(sleepsAfter, 5000) << "one 1 ms sleep after each of the 5000 misses, and nothing else";
    EXPECT_EQ(bench.FlashWritesFrom(0x11), 0) << "the command ends at that byte";
    const auto& flash = bench.Device().Flash();
    EXPECT_EQ(std::vector<std::uint8_t>(flash.begin(), flash.begin() + 0x10),
              std::vector<std::uint8_t>(file.begin(), file.begin() + 0x10))
        << "what was written before stays";
    EXPECT_EQ(flash[0x10], 0xFF);
    EXPECT_EQ(bench.shell.flashGauge, 0);
    EXPECT_EQ(bench.shell.cursor, shell::CursorShape::Default);
    EXPECT_EQ(bench.PortByte(), 0x00);
    EXPECT_TRUE(bench.Violations().empty()) << bench.Violations().front();
}

TEST(ProgramFlash, PageModeSkipsBlankPagesAndWaitsOutPagesStartingWith0xFF) {
    TempFolder folder;
    AvrBench bench(SimOptions(folder, "atmega8515"));
    std::vector<std::uint8_t> image(8192, 0xFF);
    for (int k = 0; k < 64; ++k) image[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(k);  // page 0
    image[2 * 64 + 5] = 0x42;     // page 2: first byte 0xFF, data further in
    image[127 * 64 + 63] = 0x99;  // page 127: its last byte only
    std::string hex;
    for (int p : {0, 2, 127}) {
        for (int line = 0; line < 4; ++line) {
            const auto from = image.begin() + p * 64 + line * 16;
            hex += HexRecord(p * 64 + line * 16, std::vector<std::uint8_t>(from, from + 16));
        }
    }
    EXPECT_EQ(avr::ProgramFlashFrom(bench.frame, folder.Write("p.HEX", hex + HexEnd)), CommandOutcome::Done);
    EXPECT_EQ(bench.Device().Flash(), image);

    std::vector<int> pages;
    for (const auto& i : bench.port.instructions) {
        if (i.Opcode() == 0x4C) pages.push_back(((i.sent[1] << 8) | i.sent[2]) / 32);
    }
    EXPECT_EQ(pages, (std::vector<int>{0, 2, 127}));
    EXPECT_EQ(bench.port.Count(IsFlashWrite), 3 * 64) << "all 64 bytes of a written page, 0xFF included";
    // Page 0 is polled at its first byte, without sleeping; pages 2 and 127 get 8 ms instead.
    // Then each written page is read back whole, once (page 0's first byte by its poll).
    EXPECT_GE(bench.port.FlashReadsAt(0), 1);
    EXPECT_EQ(bench.port.FlashReadsAt(63), 1);
    EXPECT_EQ(bench.port.FlashReadsAt(2 * 64), 1);
    EXPECT_EQ(bench.port.FlashReadsAt(127 * 64), 1);
    EXPECT_EQ(bench.port.FlashReadsAt(127 * 64 + 63), 1);
    EXPECT_EQ(bench.port.FlashReadsAt(64), 0) << "a skipped page is not read";
    EXPECT_EQ(bench.clock.Count(8), 2);
    EXPECT_EQ(bench.clock.Count(1), 0);
    // The gauge moves for every page, skipped or not.
    ASSERT_EQ(bench.shell.flashGauges.size(), 129u);
    EXPECT_EQ(bench.shell.flashGauges[1], 1);
    EXPECT_EQ(bench.shell.flashGauges[64], 50);
    EXPECT_EQ(bench.shell.flashGauges[127], 99);
    EXPECT_EQ(bench.shell.flashGauges.back(), 100);
    EXPECT_EQ(bench.shell.processMessagesCalls, 128);
    EXPECT_TRUE(bench.shell.messages.empty());
    EXPECT_EQ(bench.PortByte(), 0x00);
    EXPECT_TRUE(bench.Violations().empty()) << bench.Violations().front();
}

TEST(ProgramFlash, PageModeReportsAPageThatNeverReadsBack) {
    TempFolder folder;
    AvrBench bench(SimOptions(folder, "atmega8515", {"avr-flash-stuck:0x40"}));
    const std::vector<std::uint8_t> file(3 * 64, 0x5A);

    EXPECT_EQ(avr::ProgramFlashFrom(bench.frame, folder.Write("p.bin", file)), CommandOutcome::Failed);
    ASSERT_EQ(bench.shell.messages.size(), 1u);
    EXPECT_EQ(bench.shell.messages[0].text, "Error programando flash! (direccion $0040)");
    EXPECT_TRUE(bench.shell.messages[0].plain);
    EXPECT_EQ(bench.port.FlashReadsAt(0x40), 4000);
    EXPECT_EQ(bench.clock.Count(1), 0) << "page polls do not sleep";
    EXPECT_EQ(bench.port.CountOpcode(0x4C), 2) << "page 2 is never written";
    const auto& flash = bench.Device().Flash();
    EXPECT_EQ(flash[0x3F], 0x5A);
    EXPECT_EQ(flash[0x41], 0x5A) << "the rest of the failed page was written";
    EXPECT_EQ(flash[0x80], 0xFF);
    EXPECT_EQ(bench.shell.cursor, shell::CursorShape::Default);
    EXPECT_EQ(bench.PortByte(), 0x00);
}

// A byte that does not take, wherever it is and whichever way the device is written, stops the
// command there with its address: a stuck cell, or a flash that was not erased before.
TEST(ProgramFlash, EveryByteWrittenIsReadBack) {
    struct Case {
        const char* model;
        int address;     // the byte that does not take
        bool erased;     // true: the byte is a stuck cell; false: the flash holds 0x00 (not erased)
        std::string message;
    };
    const std::string page = "Error programando flash!";
    const Case cases[] = {
        {"at90s8515", 0x0010, true, ByteModeFailure},
        {"at90s8515", 0x1FFF, true, ByteModeFailure},
        {"at90s4414", 0x0FFF, true, ByteModeFailure},
        {"at90s4414", 0x0021, false, ByteModeFailure},
        {"atmega8515", 0x0010, true, page},   // inside a page whose first byte is polled
        {"atmega8515", 0x1FFF, true, page},   // the last byte of a page that starts with 0xFF
        {"atmega8515", 0x0123, false, page},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " at " + std::to_string(c.address));
        const bool mega = std::string(c.model) == "atmega8515";
        const std::size_t size = std::string(c.model) == "at90s4414" ? 4096 : 8192;
        TempFolder folder;
        std::vector<std::string> faults;
        if (c.erased) {
            faults.push_back("avr-flash-stuck:" + std::to_string(c.address));
        } else {
            StoreMemory(folder, c.model, "flash", std::vector<std::uint8_t>(size, 0x00));
        }
        AvrBench bench(SimOptions(folder, c.model, faults));
        // Data that polls in page 0 (or, over the unerased flash, what it holds already, up to
        // the failing byte's page). The failing byte is 0x7F, which an AT90S cannot poll, or on
        // the unerased ATmega 0xFF, which its page poll never looks at.
        std::vector<std::uint8_t> file(size, 0xFF);
        const int end = c.erased ? 64 : (c.address | 63) + 1;
        for (int a = 0; a < end; ++a)
            file[static_cast<std::size_t>(a)] = c.erased ? static_cast<std::uint8_t>(0x20 + a) : std::uint8_t{0x00};
        file[static_cast<std::size_t>(c.address)] = mega && !c.erased ? 0xFF : 0x7F;
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(c.address));
        const std::string message = c.message + " (direccion $" + digits + ")";

        EXPECT_EQ(avr::ProgramFlashFrom(bench.frame, folder.Write("p.bin", file)), CommandOutcome::Failed);
        EXPECT_EQ(bench.MessageTexts(), std::vector<std::string>{message});
        EXPECT_EQ(bench.FlashWritesFrom((c.address | 63) + 1), 0) << "the command ends there";
        EXPECT_EQ(bench.shell.cursor, shell::CursorShape::Default);
        EXPECT_EQ(bench.PortByte(), 0x00);
        EXPECT_TRUE(bench.Violations().empty()) << bench.Violations().front();
    }
}

TEST(ProgramFlash, AFileThatGivesNoImageLeavesTheDeviceAlone) {
    struct Case {
        const char* name;
        const char* message;
    };
    const Case cases[] = {
        {"missing.hex", "No se puede abrir el fichero!!"},
        {"missing.bin", "No se puede abrir el fichero!!"},
        {"notes.txt", "Tipo de fichero desconocido (debe ser .hex, .bin, .srec, .s19, .s28, .s37, .mot o .elf)!!"},
        {"", "No se puede abrir el fichero!!"},  // no file chosen yet
    };
    for (const auto& c : cases) {
        TempFolder folder;
        const std::vector<std::uint8_t> before(8192, 0x3C);
        StoreMemory(folder, "atmega8515", "flash", before);
        folder.Write("notes.txt", std::string("00112233"));
        AvrBench bench(SimOptions(folder, "atmega8515"));
        const std::string file = c.name[0] ? folder.Path(c.name) : "";

        EXPECT_EQ(avr::ProgramFlashFrom(bench.frame, file), CommandOutcome::Failed) << c.name;
        ASSERT_EQ(bench.shell.messages.size(), 1u) << c.name;
        EXPECT_EQ(bench.shell.messages[0].text, c.message) << c.name;
        EXPECT_EQ(bench.shell.messages[0].caption, "ERROR");
        EXPECT_EQ(bench.port.writes, 0) << c.name << ": the device is not even powered";
        EXPECT_TRUE(bench.shell.cursorChanges.empty()) << c.name;
        EXPECT_EQ(bench.Device().Flash(), before) << c.name;
    }
}

TEST(ProgramFlash, ClosingTheDialogDoesNothing) {
    TempFolder folder;
    AvrBench bench(SimOptions(folder, "atmega8515"));
    bench.shell.openChoices.push_back(std::nullopt);
    EXPECT_EQ(avr::ProgramFlash(bench.frame), CommandOutcome::Cancelled);
    EXPECT_EQ(bench.port.writes, 0);
    EXPECT_TRUE(bench.shell.messages.empty());
    EXPECT_TRUE(bench.shell.cursorChanges.empty());
}

TEST(ProgramFlash, ACommandStartedFromInsideAnotherIsRefused) {
    TempFolder folder;
    AvrBench bench(SimOptions(folder, "atmega8515"));
    std::vector<CommandOutcome> nested;
    bench.shell.onProcessMessages = [&] {
        if (nested.empty()) nested.push_back(avr::EraseChip(bench.frame));
    };
    const std::string file = folder.Write("p.bin", std::vector<std::uint8_t>(64, 0x00));
    EXPECT_EQ(avr::ProgramFlashFrom(bench.frame, file), CommandOutcome::Done);
    EXPECT_EQ(nested, std::vector<CommandOutcome>{CommandOutcome::Failed});
    EXPECT_EQ(bench.port.CountOpcode(0xAC), 1) << "only the programming enable, no erase";
    EXPECT_EQ(bench.Device().Flash()[0], 0x00);
    EXPECT_FALSE(bench.frame.Running());
    EXPECT_TRUE(bench.Violations().empty()) << bench.Violations().front();
}

TEST(ReprogramFlash, ErasesThenProgramsTheLastFile) {
    TempFolder folder;
    StoreMemory(folder, "at90s8515", "flash", std::vector<std::uint8_t>(8192, 0x00));
    AvrBench bench(SimOptions(folder, "at90s8515"));
    bench.shell.lastOpenFile = folder.Write("p.bin", std::vector<std::uint8_t>{0x12, 0x34, 0xFF, 0x56});

    EXPECT_EQ(avr::ReprogramFlash(bench.frame), CommandOutcome::Done);
    EXPECT_EQ(bench.Device().Flash(), Padded({0x12, 0x34, 0xFF, 0x56}, 8192));
    EXPECT_EQ(bench.port.Count([](const IspInstruction& i) { return i.sent[0] == 0xAC && i.sent[1] == 0x80; }), 1);
    EXPECT_EQ(bench.port.powerUps, 2) << "the programming powers up afresh";
    EXPECT_TRUE(bench.shell.messages.empty()) << "no \"Chip borrado !!\" here";
    EXPECT_EQ(bench.shell.flashGauge, 100);
    EXPECT_EQ(bench.PortByte(), 0x00);
    EXPECT_TRUE(bench.Violations().empty()) << bench.Violations().front();
}

TEST(ReprogramFlash, WithoutADeviceSaysSoOnce) {
    TempFolder folder;
    AvrBench bench(SimOptions(folder, "none"));
    bench.shell.lastOpenFile = folder.Write("p.bin", std::vector<std::uint8_t>{0x12});
    EXPECT_EQ(avr::ReprogramFlash(bench.frame), CommandOutcome::Failed);
    EXPECT_EQ(bench.MessageTexts(), std::vector<std::string>{NoDevice});
    EXPECT_EQ(bench.port.powerUps, 3);
    EXPECT_EQ(bench.shell.cursor, shell::CursorShape::Default);
    EXPECT_EQ(bench.PortByte(), 0x00);
}

TEST(ReprogramFlash, AnUnreadableLastFileErasesNothing) {
    TempFolder folder;
    const std::vector<std::uint8_t> before(8192, 0x00);
    StoreMemory(folder, "at90s8515", "flash", before);
    AvrBench bench(SimOptions(folder, "at90s8515"));
    bench.shell.lastOpenFile = folder.Path("gone.hex");
    EXPECT_EQ(avr::ReprogramFlash(bench.frame), CommandOutcome::Failed);
    EXPECT_EQ(bench.MessageTexts(), std::vector<std::string>{"No se puede abrir el fichero!!"});
    EXPECT_EQ(bench.port.writes, 0);
    EXPECT_EQ(bench.Device().Flash(), before);
}

}  // namespace
}  // namespace tarpel::test
