// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "TempFolder.h"
#include "files/SrecRead.h"

namespace tarpel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// One S-record of the given type with a correct count and checksum, without line end.
std::string Record(int type, std::uint32_t address, const Bytes& data) {
    const int addressBytes = type == 0 || type == 1 || type == 5 || type == 9 ? 2 : type == 2 || type == 6 || type == 8 ? 3 : 4;
    Bytes bytes{static_cast<std::uint8_t>(addressBytes + data.size() + 1)};
    for (int i = addressBytes - 1; i >= 0; --i) bytes.push_back(static_cast<std::uint8_t>(address >> (8 * i)));
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (const auto b : bytes) sum += b;
    bytes.push_back(static_cast<std::uint8_t>(~sum));
    std::string line = "S" + std::to_string(type);
    char pair[3];
    for (const auto b : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        line += pair;
    }
    return line;
}

struct Read {
    files::SrecReadResult result;
    Bytes buffer;
};

// Reads text as an S-record file into a 0xFF-filled buffer of size bytes.
Read ReadSrecText(const std::string& text, std::size_t size = 64, std::uint32_t origin = 0) {
    TempFolder folder;
    Read read{{}, Bytes(size, 0xFF)};
    read.result = files::SrecRead(folder.Write("in.srec", text), read.buffer, origin);
    EXPECT_TRUE(read.result.opened);
    return read;
}

TEST(SrecRead, PlacesRecordsOfEveryAddressWidthAndTellsHowFarTheDataReached) {
    // Lines as avr-objcopy writes an EEPROM section: a 24-bit address from 0x810000.
    Read read = ReadSrecText("S0090000652E73726563B6\nS209810000010203040566\nS804000000FB\n", 16, 0x810000);
    EXPECT_EQ(read.buffer, (Bytes{1, 2, 3, 4, 5, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_TRUE(read.result.hasData);
    EXPECT_EQ(read.result.dataEnd, 5u);
    EXPECT_EQ(read.result.wrongLines, 0);

    read = ReadSrecText(Record(0, 0, {'h', 'i'}) + "\r\n" +
                        Record(1, 0x0002, {0x11, 0x22}) + "\r\n" +
                        Record(2, 0x000010, {0x33}) + "\r\n" +
                        Record(3, 0x0000001E, {0x44, 0x55, 0x66}) + "\r\n" +  // its last byte is past the end
                        Record(1, 0x0003, {0x77}) + "\r\n" +                   // a later record overwrites
                        Record(5, 4, {}) + "\r\n" + Record(9, 0, {}) + "\r\n",
                        32);
    EXPECT_EQ(read.result.wrongLines, 0);
    EXPECT_EQ(read.result.dataEnd, 0x21u) << "the byte past the buffer counts, though left out";
    Bytes expected(32, 0xFF);
    expected[2] = 0x11;
    expected[3] = 0x77;
    expected[0x10] = 0x33;
    expected[0x1E] = 0x44;
    expected[0x1F] = 0x55;
    EXPECT_EQ(read.buffer, expected);
    read = ReadSrecText(Record(1, 0, {1}) + "\n" + Record(3, 0xFFFFFFFF, {2, 3}) + "\n", 32);
    EXPECT_EQ(read.result.dataEnd, 0x100000001u) << "an address at the top of the range must not wrap to 0";
    EXPECT_EQ(read.buffer[0], 1);
    EXPECT_EQ(read.buffer[1], 0xFF);
    // With an origin, files that count from 0 load as before.
    read = ReadSrecText(Record(1, 0x10, {9}) + "\n", 32, 0x810000);
    EXPECT_EQ(read.buffer[0x10], 9);
    EXPECT_EQ(read.result.dataEnd, 0x11u);
}

TEST(SrecRead, CountsWrongLinesAndTakesOnlyThoseThatAreWholeRecords) {
    const std::string wrongChecksum = "S1050004AABB00";
    const Read read = ReadSrecText(Record(0, 0, {}) + "\n" +
                                   "\n   \n" +                         // blank lines are no records
                                   wrongChecksum + "\n" +              // line 4: stored all the same
                                   "S40500000000FA\n" +                // S4 does not exist
                                   "S1050008AAB?00\n" +                // a stray character
                                   "S1050008AABB0\n" +                 // an odd number of digits
                                   "S1060008AABB93\n" +                // the count promises more
                                   "X1050008AABB93\n" +                // no S
                                   "S1" + "\n" +
                                   Record(1, 0x000A, {0xcd}).replace(8, 2, "cd") + "\n" +  // lower case is fine
                                   Record(5, 1, {}) + "\n" +           // two data records arrived, not one
                                   Record(5, 2, {}) + "\n" + Record(9, 0, {}) + "\n");
    EXPECT_EQ(read.buffer[4], 0xAA);
    EXPECT_EQ(read.buffer[5], 0xBB);
    EXPECT_EQ(read.buffer[8], 0xFF) << "a broken line stores nothing";
    EXPECT_EQ(read.buffer[9], 0xFF);
    EXPECT_EQ(read.buffer[0x0A], 0xCD);
    EXPECT_EQ(read.result.wrongLines, 8);
    EXPECT_EQ(read.result.firstWrongLine, 4);
    EXPECT_TRUE(read.result.hasData);
}

TEST(SrecRead, StopsAtTheEndRecordOrCtrlZAndFindsNoDataInFilesWithoutData) {
    Read read = ReadSrecText(Record(1, 0, {1}) + "\n" + Record(9, 0, {}) + "\n" + Record(1, 1, {2}) + "\nrubbish\n");
    EXPECT_EQ(read.buffer[1], 0xFF) << "nothing after the end record is read";
    EXPECT_EQ(read.result.wrongLines, 0);
    read = ReadSrecText(Record(1, 0, {1}) + "\n" + Record(1, 1, {2}) + "\x1A" + Record(1, 2, {3}) + "\n");
    EXPECT_EQ(read.buffer[1], 2) << "the text before Ctrl-Z still counts";
    EXPECT_EQ(read.buffer[2], 0xFF);
    read = ReadSrecText(Record(1, 0, {1}) + "\r\n" + Record(1, 1, {2}));
    EXPECT_EQ(read.buffer[1], 2) << "the last line needs no line end";

    // Headers, empty data records and end records alone are no data; neither are garbage and
    // an Intel HEX file, which are wrong from their first line.
    EXPECT_FALSE(ReadSrecText(Record(0, 0, {'x'}) + "\n" + Record(1, 0, {}) + "\n" + Record(9, 0, {}) + "\n").result.hasData);
    for (const std::string& text : {std::string(), std::string(300, '\0'), std::string(":0100000011EE\n:00000001FF\n")}) {
        read = ReadSrecText(text);
        EXPECT_FALSE(read.result.hasData);
        EXPECT_EQ(read.result.firstWrongLine, text.empty() ? 0 : 1);
        EXPECT_EQ(read.buffer, Bytes(64, 0xFF));
    }

    TempFolder folder;
    Bytes buffer(8, 0x77);
    EXPECT_FALSE(files::SrecRead(folder.Path("missing.srec"), buffer).opened);
    EXPECT_FALSE(files::SrecRead(folder.Path(""), buffer).opened) << "a folder is no file";
    EXPECT_EQ(buffer, Bytes(8, 0x77));
}

}  // namespace
}  // namespace tarpel::test
