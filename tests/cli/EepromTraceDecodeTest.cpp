// SPDX-License-Identifier: GPL-2.0-or-later
// The 24Cxx commands' waveforms as a third party reads them: a line trace of the simulated board
// decoded by sigrok's I2C and 24xx EEPROM decoders.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ExternalTool.h"
#include "RecordingShell.h"
#include "TempFolder.h"
#include "board/Board.h"
#include "eeprom/ChipCommands.h"
#include "sim/ChipStore.h"
#include "sim/SimulatedBoard.h"

namespace tarpel::test {
namespace {

// The board's port accesses are 1 us apart at least: a 1 us sample grid keeps every edge and
// spares sigrok billions of 1 ns samples.
std::string Sigrok(const std::string& trace) { return "sigrok-cli -I vcd:downsample=1000 -i '" + trace + "' "; }

constexpr const char* I2cEvents = "start:repeat-start:stop:ack:nack:address-read:address-write:data-read:data-write";

// The decoder's lines without their "i2c-1: " prefix.
std::string Strip(const std::string& output) {
    std::string text;
    std::size_t at = 0;
    while (at < output.size()) {
        auto end = output.find('\n', at);
        if (end == std::string::npos) end = output.size();
        auto line = output.substr(at, end - at);
        if (line.starts_with("i2c-1: ")) line.erase(0, 7);
        text += line + "\n";
        at = end + 1;
    }
    return text;
}

std::string HexList(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    char digits[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(digits, sizeof digits, "%s%02X", i ? " " : "", bytes[i]);
        text += digits;
    }
    return text;
}

// Runs one command on a traced simulated board holding `chip` with `contents`, in the standard or
// the fast timing; the trace's path.
std::string Traced(const TempFolder& folder, const char* chip, int index, const std::vector<std::uint8_t>& contents,
                   const std::vector<std::uint8_t>& image, shell::CommandOutcome (*command)(eeprom::CommandFrame&),
                   bool fast) {
    sim::ChipStore(folder.Path("chips")).Save(std::string(chip) + ".bin", contents);
    board::BoardOptions options;
    options.board = "sim";
    options.simDir = folder.Path("chips");
    options.simEeprom = chip;
    options.simAvr = "none";
    options.traceFile = folder.Path(std::string(chip) + (fast ? "-fast" : "") + ".vcd");
    {
        board::Board board = board::OpenBoard(options);
        EXPECT_TRUE(board.Usable()) << board.error;
        link::BoardLines lines(*board.port);
        link::BitTiming timing(*board.clock);
        timing.CalibrateBitDelay();
        timing.FastTiming = fast;
        RecordingShell shell;
        eeprom::EepromWorkspace workspace;
        workspace.cbChipChange(index);
        std::copy(image.begin(), image.end(), workspace.MemoryImage.begin());
        eeprom::CommandFrame frame(workspace, lines, timing, shell);
        EXPECT_EQ(command(frame), shell::CommandOutcome::Done);
        EXPECT_TRUE(board.simulation->Eeprom()->Violations().Empty()) << chip << (fast ? " fast" : "");
    }
    return options.traceFile;
}

TEST(EepromTraceDecode, SigrokReadsTheWholeChipReadAndEveryPageWriteInBothTimings) {
    TARPEL_REQUIRE_TOOL("sigrok-cli");
    TempFolder folder;
    for (const bool fast : {false, true}) {
        SCOPED_TRACE(fast ? "fast timing" : "standard timing");

        // "Leer chip" on a 24C04: one sequential read of all 512 bytes from address 0, each byte
        // acknowledged but the last. Without that not-acknowledge the chip would drive the first bit
        // of the next byte and could hold back the stop.
        std::vector<std::uint8_t> contents(512);
        for (std::size_t i = 0; i < contents.size(); ++i) contents[i] = static_cast<std::uint8_t>(i * 11 + 5);
        const auto readTrace = Traced(folder, "24C04", 2, contents, {}, eeprom::ReadChip, fast);
        const auto read = CommandOutput(Sigrok(readTrace) + "-P i2c:scl=SCL:sda=SDA -A i2c=" + I2cEvents + " 2>&1");
        std::string expected =
            "Start\nWrite\nAddress write: 50\nACK\nData write: 00\nACK\nStart repeat\nRead\nAddress read: 50\nACK\n";
        for (auto byte : contents) expected += "Data read: " + HexList(&byte, 1) + "\nACK\n";
        expected.replace(expected.size() - 4, 4, "NACK\nStop\n");
        EXPECT_EQ(Strip(read), expected);

        // "Programar chip" on a 24C32: 128 page writes of 32 bytes with two address bytes each; with
        // the fast timing each is followed by acknowledge polls, which write nothing.
        std::vector<std::uint8_t> image(4096);
        for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
        const auto writeTrace =
            Traced(folder, "24C32", 5, std::vector<std::uint8_t>(4096, 0xFF), image, eeprom::ProgramChip, fast);
        const auto written =
            CommandOutput(Sigrok(writeTrace) + "-P i2c:scl=SCL:sda=SDA,eeprom24xx:chip=onsemi_cat24c256 -A eeprom24xx 2>&1");
        for (std::size_t page = 0; page < 4096; page += 32) {
            char head[64];
            std::snprintf(head, sizeof head, "Page write (addr=%04zX, 32 bytes): ", page);
            EXPECT_NE(written.find(head + HexList(&image[page], 32) + "\n"), std::string::npos) << head;
        }
        // "Programar chip" on a 24C02: one address byte, no block bits, 8-byte pages.
        const auto smallTrace = Traced(folder, "24C02", 1, std::vector<std::uint8_t>(256, 0xFF), image,
                                       eeprom::ProgramChip, fast);
        const auto small = CommandOutput(Sigrok(smallTrace) + "-P i2c:scl=SCL:sda=SDA,eeprom24xx:chip=generic -A eeprom24xx 2>&1");
        for (std::size_t page = 0; page < 256; page += 8) {
            char head[64];
            std::snprintf(head, sizeof head, "Page write (addr=%02zX, 8 bytes): ", page);
            EXPECT_NE(small.find(head + HexList(&image[page], 8) + "\n"), std::string::npos) << head;
        }
        std::size_t pageWrites = 0;
        for (auto at = written.find("Page write"); at != std::string::npos; at = written.find("Page write", at + 1))
            ++pageWrites;
        EXPECT_EQ(pageWrites, 4096u / 32) << "no other write, and no poll taken for one";
    }

    // "Programar chip" on a 24C1024, in one timing (its trace alone is 128 KiB of writes): address
    // bit 16 rides in the control byte, which the CAT24M01 decoder names its "Address bit 0".
    std::vector<std::uint8_t> image(0x20000);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 13 + (i >> 9));
    const auto largeTrace =
        Traced(folder, "24C1024", 10, std::vector<std::uint8_t>(image.size(), 0xFF), image, eeprom::ProgramChip, true);
    const auto large = CommandOutput(Sigrok(largeTrace) +
                                     "-P i2c:scl=SCL:sda=SDA,eeprom24xx:chip=onsemi_cat24m01 -A "
                                     "eeprom24xx=address-pin:page-write 2>&1");
    std::vector<std::string> decoded;
    std::string line, highBit = "?";
    for (std::istringstream lines(large); std::getline(lines, line);) {
        if (line.starts_with("eeprom24xx-1: Address bit 0: ")) highBit = line.substr(29);
        if (line.starts_with("eeprom24xx-1: Page write")) decoded.push_back("A16=" + highBit + " " + line.substr(14));
    }
    ASSERT_EQ(decoded.size(), image.size() / 256);
    for (std::size_t page = 0; page < image.size(); page += 256) {
        char head[80];
        std::snprintf(head, sizeof head, "A16=%d Page write (addr=%04zX, 256 bytes): ", page >= 0x10000 ? 1 : 0,
                      page & 0xFFFF);
        ASSERT_EQ(decoded[page / 256], head + HexList(&image[page], 256)) << "the first page decoded otherwise";
    }
}

}  // namespace
}  // namespace tarpel::test
