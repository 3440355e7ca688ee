// SPDX-License-Identifier: GPL-2.0-or-later
// Where --serial puts a number and the bytes each encoding writes there.
#include <gtest/gtest.h>

#include "production/SerialNumber.h"

namespace tarpel::test {
namespace {

using production::ParseSerialPlace;

TEST(SerialNumber, EachEncodingWritesTheNumberItsWayAndNoneTakesANumberTooLargeForIt) {
    struct Case {
        const char* place;
        std::uint64_t number;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {{"16", 0x01020304, {4, 3, 2, 1}},
                          {"flash:0x100:3:be", 0x010203, {1, 2, 3}},
                          {"eeprom:0:6:ascii", 1234, {'0', '0', '1', '2', '3', '4'}},
                          {"0:3:bcd", 123456, {0x12, 0x34, 0x56}}};
    for (const auto& c : cases) {
        std::string error;
        const auto place = ParseSerialPlace(c.place, error);
        ASSERT_TRUE(place) << c.place << ": " << error;
        EXPECT_EQ(production::EncodeSerial(c.number, *place), c.bytes) << c.place;
        EXPECT_FALSE(production::EncodeSerial(production::LargestSerial(*place) + 1, *place)) << c.place;
    }
    std::string error;
    EXPECT_EQ(ParseSerialPlace("flash:0x100:3:be", error)->memory, production::SerialMemory::Flash);
    for (const char* wrong : {"eeprom:", "16:9", "16:2:xx", "0:21:ascii", "16:4:le:be", "-1"})
        EXPECT_FALSE(ParseSerialPlace(wrong, error)) << wrong;
}

}  // namespace
}  // namespace tarpel::test
