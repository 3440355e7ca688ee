// SPDX-License-Identifier: GPL-2.0-or-later
// Finding bytes in the image at its very ends, where a search that starts over must neither miss
// a hit nor find one twice, and what the find dialog's two kinds of input turn into.
#include <gtest/gtest.h>

#include "eeprom/FindBytes.h"

namespace tarpel::eeprom {
namespace {

TEST(FindBytes, FindsHitsAtBothEndsFromAnyStartAndStartsOverOnce) {
    const std::vector<std::uint8_t> image = {0xAA, 0xBB, 0x00, 0x00, 0xAA, 0xBB};
    const std::vector<std::uint8_t> pattern = {0xAA, 0xBB};
    const auto at = [&](std::int32_t from, FindDirection direction) {
        const auto found = FindBytes(image, pattern, from, direction);
        return found ? std::pair(found->address, found->wrapped) : std::pair(-1, false);
    };
    EXPECT_EQ(at(0, FindDirection::Forward), std::pair(0, false));
    EXPECT_EQ(at(1, FindDirection::Forward), std::pair(4, false));
    EXPECT_EQ(at(5, FindDirection::Forward), std::pair(0, true));
    EXPECT_EQ(at(99, FindDirection::Forward), std::pair(0, true));
    EXPECT_EQ(at(3, FindDirection::Backward), std::pair(0, false));
    EXPECT_EQ(at(-1, FindDirection::Backward), std::pair(4, true));
    EXPECT_EQ(at(99, FindDirection::Backward), std::pair(4, false));
    const std::vector<std::uint8_t> once = {0x00, 0xAA, 0xBB};
    EXPECT_EQ(FindBytes(once, pattern, 1, FindDirection::Backward)->address, 1);  // a hit at the start is found
    EXPECT_EQ(FindBytes(once, pattern, 2, FindDirection::Forward)->wrapped, true);
    EXPECT_FALSE(FindBytes(once, std::vector<std::uint8_t>(4, 0), 0, FindDirection::Forward));
}

TEST(FindBytes, ReadsHexBytesAndWindows1252Text) {
    EXPECT_EQ(ParseHexBytes("41 42 0d"), (std::vector<std::uint8_t>{0x41, 0x42, 0x0D}));
    EXPECT_EQ(ParseHexBytes("4142  0D"), (std::vector<std::uint8_t>{0x41, 0x42, 0x0D}));
    for (const char* bad : {"", "  ", "4", "41 4 2", "4G"}) EXPECT_FALSE(ParseHexBytes(bad)) << bad;
    EXPECT_EQ(Windows1252Bytes(u"A\u20AC\u00F1\u0178"), (std::vector<std::uint8_t>{0x41, 0x80, 0xF1, 0x9F}));
    EXPECT_FALSE(Windows1252Bytes(u"\u0100"));
    EXPECT_FALSE(Windows1252Bytes(u"\u0081"));
}

}  // namespace
}  // namespace tarpel::eeprom
