// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>
#include <vector>

#include "FileSizeLimit.h"
#include "TempFolder.h"
#include "files/HexDigits.h"
#include "files/HexRead.h"
#include "files/HexWrite.h"

namespace tarpel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The file's lines, each checked to end in CR LF.
std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "every line ends in CR LF";
        if (end == std::string::npos) break;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

Bytes RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 generator(seed);
    Bytes bytes(count);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(generator());
    return bytes;
}

TEST(HexWrite, WritesSixteenByteRecordsAndTheEndRecord) {
    TempFolder folder;
    const Bytes erased(512, 0xFF);
    ASSERT_TRUE(files::HexWrite(folder.Path("ff.hex"), erased, 512));
    const auto lines = CrLfLines(folder.ReadText("ff.hex"));
    ASSERT_EQ(lines.size(), 33u);
    const std::string sixteenFF(32, 'F');
    EXPECT_EQ(lines[0], ":10000000" + sixteenFF + "00");
    EXPECT_EQ(lines[1], ":10001000" + sixteenFF + "F0");
    for (int r = 0; r < 32; ++r) {
        char address[5];
        std::snprintf(address, sizeof address, "%04X", r * 16);
        EXPECT_EQ(lines[r].substr(0, 9), std::string(":10") + address + "00") << r;
    }
    EXPECT_EQ(lines[32], ":00000001FF");
}

TEST(HexWrite, EndsWithAShortRecordAndCoversTheWholeAddressRange) {
    TempFolder folder;
    Bytes bytes(65536, 0x00);
    bytes[16] = 0x42;
    ASSERT_TRUE(files::HexWrite(folder.Path("17.hex"), bytes, 17));
    auto lines = CrLfLines(folder.ReadText("17.hex"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], ":0100100042AD");

    ASSERT_TRUE(files::HexWrite(folder.Path("none.hex"), bytes, 0));
    EXPECT_EQ(folder.ReadText("none.hex"), ":00000001FF\r\n");

    ASSERT_TRUE(files::HexWrite(folder.Path("64k.hex"), bytes, 65536));
    lines = CrLfLines(folder.ReadText("64k.hex"));
    ASSERT_EQ(lines.size(), 4097u);
    EXPECT_EQ(lines[4095].substr(0, 9), ":10FFF000");
    EXPECT_EQ(lines[4096], ":00000001FF");
}

TEST(HexWrite, ChecksumsBalanceEachRecordAndTheReaderGetsTheBytesBack) {
    TempFolder folder;
    const Bytes bytes = RandomBytes(1000, 7);
    ASSERT_TRUE(files::HexWrite(folder.Path("r.hex"), bytes, 1000));
    const std::string text = folder.ReadText("r.hex");
    for (const auto& line : CrLfLines(text)) {
        ASSERT_EQ(line.size() % 2, 1u);
        unsigned sum = 0;
        for (std::size_t i = 1; i < line.size(); i += 2) sum += files::HexByteValue(line.substr(i, 2));
        EXPECT_EQ(sum % 256, 0u) << line;
        EXPECT_EQ(line.find_first_of("abcdef"), std::string::npos) << "upper-case digits only";
    }
    Bytes back(1000 + 255, 0xFF);
    ASSERT_TRUE(files::HexRead(folder.Path("r.hex"), 1000, back).opened);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), back.begin()));
    EXPECT_EQ(back[1000], 0xFF);
}

TEST(HexWrite, RefusesCountsItCannotWriteCorrectly) {
    TempFolder folder;
    const Bytes bytes(300000, 0x11);
    EXPECT_FALSE(files::HexWrite(folder.Path("a.hex"), bytes, 262145)) << "more than the largest chip";
    // Past 64 KiB the addresses go on in an extended linear address record.
    EXPECT_TRUE(files::HexText(std::span(bytes).first(65537)).ends_with(":020000040001F9\r\n:0100000011EE\r\n:00000001FF\r\n"));
    EXPECT_FALSE(files::HexWrite(folder.Path("a.hex"), std::span(bytes).first(10), 11)) << "beyond the buffer";
    EXPECT_FALSE(files::HexWrite(folder.Path("a.hex"), bytes, -1));
    EXPECT_TRUE(folder.Names().empty());
}

TEST(HexWrite, FailsWithoutTouchingTheOldFileWhenItCannotWriteWhole) {
    TempFolder folder;
    const Bytes bytes(512, 0xFF);
    EXPECT_FALSE(files::HexWrite(folder.Path("missing/x.hex"), bytes, 512));
    folder.Write("plain", "a file, not a folder");
    EXPECT_FALSE(files::HexWrite(folder.Path("plain/x.hex"), bytes, 512));
    std::filesystem::create_directory(folder.Path("taken.hex"));
    EXPECT_FALSE(files::HexWrite(folder.Path("taken.hex"), bytes, 512));
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path("taken.hex")));

    folder.Write("old.hex", ":0100000011EE\r\n:00000001FF\r\n");
    {
        FileSizeLimit diskFull(200);  // the 512-byte image needs about 1.4 kB of text
        EXPECT_FALSE(files::HexWrite(folder.Path("old.hex"), bytes, 512));
    }
    EXPECT_EQ(folder.ReadText("old.hex"), ":0100000011EE\r\n:00000001FF\r\n");
    auto names = folder.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"old.hex", "plain", "taken.hex"})) << "no temporary left behind";

    ASSERT_TRUE(files::HexWrite(folder.Path("old.hex"), bytes, 0));
    EXPECT_EQ(folder.ReadText("old.hex"), ":00000001FF\r\n") << "a shorter file leaves no stale tail";
}

}  // namespace
}  // namespace tarpel::test
