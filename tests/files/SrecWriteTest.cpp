// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "TempFolder.h"
#include "files/SrecWrite.h"

namespace tarpel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(SrecWrite, WritesAHeaderSixteenByteS1RecordsAndTheEndWithCrLf) {
    TempFolder folder;
    Bytes bytes(65536, 0x00);
    bytes[16] = 0x42;
    ASSERT_TRUE(files::SrecWrite(folder.Path("17.srec"), bytes, 17));
    EXPECT_EQ(folder.ReadText("17.srec"),
              "S009000074617270656C6E\r\n"
              "S1130000" + std::string(32, '0') + "EC\r\n"
              "S104001042A9\r\n"
              "S9030000FC\r\n");

    ASSERT_TRUE(files::SrecWrite(folder.Path("none.srec"), bytes, 0));
    EXPECT_EQ(folder.ReadText("none.srec"), "S009000074617270656C6E\r\nS9030000FC\r\n");

    ASSERT_TRUE(files::SrecWrite(folder.Path("64k.srec"), bytes, 65536));
    const std::string text = folder.ReadText("64k.srec");
    const std::string lastRecord = "S113FFF0" + std::string(32, '0') + "FD\r\n";
    EXPECT_EQ(text.size(), 24 + 4096 * lastRecord.size() + 12);
    EXPECT_EQ(text.substr(text.size() - 12 - lastRecord.size()), lastRecord + "S9030000FC\r\n");
}

TEST(SrecWrite, RefusesWhatItCannotWriteWhole) {
    TempFolder folder;
    const Bytes bytes(300000, 0x11);
    EXPECT_FALSE(files::SrecWrite(folder.Path("a.srec"), bytes, 262145)) << "more than the largest chip";
    EXPECT_FALSE(files::SrecWrite(folder.Path("a.srec"), std::span(bytes).first(10), 11)) << "beyond the buffer";
    EXPECT_FALSE(files::SrecWrite(folder.Path("a.srec"), bytes, -1));
    EXPECT_FALSE(files::SrecWrite(folder.Path("missing/a.srec"), bytes, 16));
    EXPECT_TRUE(folder.Names().empty());
    // Past 64 KiB every address takes 24 bits, up to the end record.
    ASSERT_TRUE(files::SrecWrite(folder.Path("wide.srec"), bytes, 65537));
    EXPECT_TRUE(folder.ReadText("wide.srec").ends_with("S21400FFF0" + std::string(32, '1') + "EC\r\nS20501000011E8\r\nS804000000FB\r\n"));
}

}  // namespace
}  // namespace tarpel::test
