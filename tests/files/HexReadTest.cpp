// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <random>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "files/HexDigits.h"
#include "files/HexRead.h"
#include "files/HexWrite.h"

namespace tarpel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Reads text as a HEX file into a 0xFF-filled buffer of size bytes.
Bytes ReadHexText(const std::string& text, std::int32_t limit, std::size_t size = 1024) {
    TempFolder folder;
    Bytes buffer(size, 0xFF);
    EXPECT_TRUE(files::HexRead(folder.Write("in.hex", text), limit, buffer).opened);
    return buffer;
}

TEST(HexDigits, ReadsBothCasesAndEverythingElseAsZero) {
    EXPECT_EQ(files::HexDigitValue('0'), 0);
    EXPECT_EQ(files::HexDigitValue('9'), 9);
    EXPECT_EQ(files::HexDigitValue('A'), 10);
    EXPECT_EQ(files::HexDigitValue('F'), 15);
    EXPECT_EQ(files::HexDigitValue('a'), 10);
    EXPECT_EQ(files::HexDigitValue('f'), 15);
    for (const char other : {'G', 'g', ':', ' ', '/', '@', '`', '\r', '\0'}) EXPECT_EQ(files::HexDigitValue(other), 0) << other;
    EXPECT_EQ(files::HexByteValue("3a"), 0x3A);
    EXPECT_EQ(files::HexByteValue("E7"), 0xE7);
    EXPECT_EQ(files::HexByteValue("x5"), 0x05);
}

TEST(HexRead, PlacesDataRecordsAndLeavesEveryOtherPositionAlone) {
    const Bytes buffer = ReadHexText(":10000000000102030405060708090A0B0C0D0E0F78\r\n:00000001FF\r\n", 512);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(buffer[i], i);
    for (std::size_t i = 16; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xFF) << i;
}

TEST(HexRead, StoresRecordsAtTheLimitWholeAndDropsThoseAbove) {
    // The 255-byte record at the limit reaches limit + 254, the most a caller must make room for.
    std::string full = ":FF020000";
    for (int k = 0; k < 255; ++k) full += "A5";
    full += "00\n";
    const Bytes buffer = ReadHexText(full + ":020201001122C8\n:00000001FF\n", 0x200, 0x200 + 255 + 8);
    EXPECT_EQ(buffer[0x1FF], 0xFF);
    for (int i = 0x200; i <= 0x200 + 254; ++i) ASSERT_EQ(buffer[i], 0xA5) << i;
    EXPECT_EQ(buffer[0x200 + 255], 0xFF);
    EXPECT_EQ(buffer[0x201], 0xA5) << "the record at limit + 1 must be dropped, not stored";
}

TEST(HexRead, ReadsWithoutEndRecordAndStopsAtTheEndRecord) {
    Bytes buffer = ReadHexText(":0100000011EE\n:0100010022DC", 100);
    EXPECT_EQ(buffer[0], 0x11);
    EXPECT_EQ(buffer[1], 0x22) << "the last line has no line end and must still be read";

    buffer = ReadHexText(":0100000011EE\n:00000001FF\n\n:0100010022DC\n", 100);
    EXPECT_EQ(buffer[0], 0x11);
    EXPECT_EQ(buffer[1], 0xFF) << "nothing after the end record is read";
}

TEST(HexRead, PlacesDataByItsFullAddressAndReportsHowFarItReached) {
    TempFolder folder;
    Bytes buffer(0x20100, 0xFF);
    const auto read = files::HexRead(folder.Write("in.hex",
                                                  ":0200100033440000\n"        // wrong checksum: loaded all the same
                                                  ":020000040001F9\n"          // extended linear address 0x10000
                                                  ":02000200AABB97\n"
                                                  ":020000021000EC\n"          // extended segment address 0x10000
                                                  ":04FFFE0001020304F5\n"      // wraps within its segment
                                                  ":0400000300001234B3\n"      // start segment address: no effect
                                                  ":020000040002F8\n"
                                                  ":0100000077??\n"            // 0x20000: above the limit, dropped
                                                  ":00000001FF\n"),
                                     0x1FFFF, buffer);
    EXPECT_TRUE(read.opened);
    EXPECT_EQ(buffer[0x10], 0x33);
    EXPECT_EQ(buffer[0x11], 0x44);
    EXPECT_EQ(buffer[0x10002], 0xAA);
    EXPECT_EQ(buffer[0x10003], 0xBB);
    EXPECT_EQ(buffer[2], 0xFF) << "an extended address is no longer ignored";
    EXPECT_EQ(buffer[0x1FFFE], 0x01);
    EXPECT_EQ(buffer[0x1FFFF], 0x02);
    EXPECT_EQ(buffer[0x10000], 0x03);
    EXPECT_EQ(buffer[0x10001], 0x04);
    EXPECT_EQ(buffer[0x20000], 0xFF);
    EXPECT_EQ(read.dataEnd, 0x20001u) << "the dropped record still counts as data";

    // The AVR toolchain's EEPROM section sits at 0x810000 and is meant for address 0.
    Bytes eeprom(600, 0xFF);
    const auto toolchain = files::HexRead(
        folder.Write("e.hex", ":02000004008179\n:0300010011223396\n:00000001FF\n"), 592, eeprom, 0x810000);
    EXPECT_EQ(Bytes(eeprom.begin(), eeprom.begin() + 4), (Bytes{0xFF, 0x11, 0x22, 0x33}));
    EXPECT_EQ(toolchain.dataEnd, 4u);
}

TEST(HexRead, CountsTheLinesThatAreNoValidRecordAndTellsAFileWithoutData) {
    struct Case {
        const char* name;
        std::string text;
        bool hasData;
        int wrongLines;
        int firstWrongLine;
    };
    const Case cases[] = {
        {"valid, blank lines and lower case", ":0100000011EE\r\n\r\n:01000100bb43\n:00000001FF\n", true, 0, 0},
        {"bad checksum, wrong length, stray characters",
         ":0100000011EE\n:0100010022DD\n:0200020033CB\n:01000300 44B8\n:0100040055A6x\n:00000001FF\n", true, 4, 2},
        {"another mark", ":0100000011EE\n;0100010022DC\n", true, 1, 2},
        {"empty", "", false, 0, 0},
        {"end record only", ":00000001FF\n", false, 0, 0},
        {"NUL bytes", std::string(300, '\0'), false, 1, 1},
        {"binary garbage", "\x7F" "ELF\x02\x01\x01\n\x89PNG\r\n\x1A\n", false, 2, 1},
        {"Motorola S-records", "S00F000068656C6C6F202020202000003C\nS11F00007C0802A6900100049421FFF07C6C1B787C8C23783C6000003863000026\n"
                               "S5030001FB\nS9030000FC\n", false, 4, 1},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        Bytes buffer(1024, 0xFF);
        const auto read = files::HexRead(folder.Write("in.hex", c.text), 1000, buffer);
        EXPECT_TRUE(read.opened) << c.name;
        EXPECT_EQ(read.hasData, c.hasData) << c.name;
        EXPECT_EQ(read.wrongLines, c.wrongLines) << c.name;
        EXPECT_EQ(read.firstWrongLine, c.firstWrongLine) << c.name;
    }
    // Wrong lines still load as they always did.
    const Bytes buffer = ReadHexText(":0100000011EE\n:0100010022DD\n:0200020033CB\n", 100);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 4), (Bytes{0x11, 0x22, 0x33, 0xCB}));
}

TEST(HexRead, TakesCountBytesWhateverTheLineHolds) {
    // Count below the data: only count bytes. Count one above: the checksum becomes data.
    // Count far above: positions without characters stay untouched.
    const Bytes buffer = ReadHexText(
        ":01000000AABB99\n"
        ":03001000010215\n"
        ":0800200055\n",
        100);
    EXPECT_EQ(buffer[0], 0xAA);
    EXPECT_EQ(buffer[1], 0xFF);
    EXPECT_EQ(buffer[0x10], 0x01);
    EXPECT_EQ(buffer[0x11], 0x02);
    EXPECT_EQ(buffer[0x12], 0x15);
    EXPECT_EQ(buffer[0x20], 0x55);
    EXPECT_EQ(buffer[0x21], 0xFF);
}

TEST(HexRead, HonoursLineEndsLowerCaseAndCtrlZ) {
    // A lone CR does not end a line: the second record is text of the first and is not stored.
    Bytes buffer = ReadHexText(":01000000AA55\r:01000100BB43\r\n:01000200cc31\n", 100);
    EXPECT_EQ(buffer[0], 0xAA);
    EXPECT_EQ(buffer[1], 0xFF);
    EXPECT_EQ(buffer[2], 0xCC) << "lower-case digits read like upper case";

    // An odd data text: after CR LF the lone last digit stores nothing, but a CR that ends no
    // line pairs with it like any other character (and reads as 0).
    buffer = ReadHexText(":02000300ABC\r\n:02000500ABC\r", 100);
    EXPECT_EQ(buffer[3], 0xAB);
    EXPECT_EQ(buffer[4], 0xFF);
    EXPECT_EQ(buffer[5], 0xAB);
    EXPECT_EQ(buffer[6], 0xC0);

    buffer = ReadHexText(":0200000011\x1A" "22CB\n:0100010033CB\n", 100);
    EXPECT_EQ(buffer[0], 0x11) << "the text before Ctrl-Z still counts";
    EXPECT_EQ(buffer[1], 0xFF) << "Ctrl-Z ends the input, mid-line or not";
}

TEST(HexRead, TreatsShortLinesAsRecordsWithoutData) {
    for (const std::string shortLine : {"", ":", ":1", ":10000", ":1000000", ":0000000", "\r"}) {
        const Bytes buffer = ReadHexText(":0100000011EE\n" + shortLine + "\n:0100010022DC\n" + shortLine, 100);
        EXPECT_EQ(buffer[0], 0x11) << shortLine;
        EXPECT_EQ(buffer[1], 0x22) << "a short line must neither stop nor disturb the reading: " << shortLine;
    }
    EXPECT_EQ(ReadHexText(":00000001\n:0100010022DC\n", 100)[1], 0xFF) << "an end record without checksum still ends";
}

TEST(HexRead, NeverWritesOutsideTheBuffer) {
    // The buffer is smaller than limit + 255: the bytes past its end are dropped.
    TempFolder folder;
    Bytes memory(64, 0x5A);
    const auto buffer = std::span(memory).subspan(16, 8);
    std::fill(buffer.begin(), buffer.end(), std::uint8_t{0xFF});
    const auto name = folder.Write("in.hex", ":1000040000112233445566778899AABBCCDDEEFF74\n:02FFFF00123488\n");
    EXPECT_TRUE(files::HexRead(name, 0xFFFF, buffer).opened);
    EXPECT_EQ(buffer[3], 0xFF);
    EXPECT_EQ(buffer[4], 0x00);
    EXPECT_EQ(buffer[7], 0x33);
    for (std::size_t i = 0; i < memory.size(); ++i) {
        if (i < 16 || i >= 24) {
            ASSERT_EQ(memory[i], 0x5A) << i;
        }
    }
}

TEST(HexRead, ReadsAPipeWholeThoughItsLengthIsNotKnownBeforehand) {
    // A FIFO has no size to go by, and the text, nearly three times the reader's first
    // allocation, arrives in small pieces.
    TempFolder folder;
    const std::string name = folder.Path("pipe.hex");
    ASSERT_EQ(::mkfifo(name.c_str(), 0600), 0);
    Bytes bytes(65536);
    std::mt19937 generator(5);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(generator());
    const std::string text = files::HexText(bytes);
    // A reader that stops early must fail the test, not hang it or kill it with SIGPIPE: a read
    // end held open here lets the write end open at once, and closing it once the reader is done
    // makes every further write fail. It reads nothing itself.
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    const int keeper = ::open(name.c_str(), O_RDONLY | O_NONBLOCK);
    const int fd = ::open(name.c_str(), O_WRONLY);
    ASSERT_GE(keeper, 0);
    ASSERT_GE(fd, 0);
    std::thread writer([&] {
        for (std::size_t done = 0; done < text.size();) {
            const ssize_t n = ::write(fd, text.data() + done, std::min<std::size_t>(4000, text.size() - done));
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::close(fd);
    });
    Bytes buffer(65536 + 255, 0xFF);
    const auto read = files::HexRead(name, 65535, buffer);
    ::close(keeper);
    writer.join();
    std::signal(SIGPIPE, previous);
    EXPECT_TRUE(read.opened);
    EXPECT_EQ(read.wrongLines, 0);
    buffer.resize(65536);
    EXPECT_EQ(buffer, bytes);
}

TEST(HexRead, ReportsFilesThatCannotBeReadAndLeavesTheBuffer) {
    TempFolder folder;
    Bytes buffer(32, 0x77);
    EXPECT_FALSE(files::HexRead(folder.Path("missing.hex"), 100, buffer).opened);
    EXPECT_FALSE(files::HexRead(folder.Path(""), 100, buffer).opened) << "a folder is no file";
    EXPECT_EQ(buffer, Bytes(32, 0x77));
    EXPECT_TRUE(files::HexRead(folder.Write("empty.hex", ""), 100, buffer).opened);
    EXPECT_EQ(buffer, Bytes(32, 0x77));
}

}  // namespace
}  // namespace tarpel::test
