// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "RecordingPort.h"
#include "link/BoardLines.h"

namespace tarpel::test {
namespace {

TEST(BoardLines, EachSideComposesItsWholeByteFromItsOwnState) {
    RecordingPort port;
    link::BoardLines lines(port);

    lines.BusPowerUp();
    lines.SetSda(false);
    lines.WriteBusLines(false, false, false);
    // A setter never powers the chip by itself.
    lines.SetScl(true);
    EXPECT_EQ(port.Values(), (std::vector<std::uint8_t>{0x1F, 0x0F, 0x00, 0x08}));

    // The AVR side keeps its own state; a 24Cxx-side write follows the 24Cxx state alone.
    lines.WriteBusLines(false, false, false);
    lines.WriteIspLines(true, true, false, false, false);
    EXPECT_EQ(port.Last(), 0x47);
    lines.SetSda(true);
    EXPECT_EQ(port.Last(), 0x10);

    lines.WriteIspLines(true, false, false, false, false);
    EXPECT_EQ(port.Last(), 0x07);
    lines.SetMosi(true);
    lines.SetSck(true);
    lines.SetXtal(true);
    EXPECT_EQ(port.Last(), 0x6F);
    lines.WriteIspLines(false, false, false, true, false);
    EXPECT_EQ(port.Last(), 0x10);
}

TEST(BoardLines, EverySetterIsExactlyOnePortWriteAndNoRead) {
    RecordingPort port;
    link::BoardLines lines(port);
    lines.SetScl(true);
    lines.SetSda(true);
    lines.BusPowerUp();
    lines.SetXtal(true);
    lines.SetSck(true);
    lines.SetMosi(true);
    lines.IspPause();
    EXPECT_EQ(port.writes.size(), 6u);
    EXPECT_EQ(port.statusReads, 0);
}

TEST(BoardLines, ReturnLinesReadTheirStatusBits) {
    RecordingPort port;
    link::BoardLines lines(port);
    port.status = 0x7F;
    EXPECT_TRUE(lines.ReadSdaIn());  // bit 7 clear: the SDA pin is high
    port.status = 0x80;
    EXPECT_FALSE(lines.ReadSdaIn());
    port.status = 0x40;
    EXPECT_TRUE(lines.ReadMiso());
    port.status = 0xBF;
    EXPECT_FALSE(lines.ReadMiso());
    EXPECT_EQ(port.statusReads, 4);
}

}  // namespace
}  // namespace tarpel::test
