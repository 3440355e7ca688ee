// SPDX-License-Identifier: GPL-2.0-or-later
// "Blank-test" on the virtual devices: flash first, then, after a second power-up, the EEPROM.
#include <gtest/gtest.h>

#include "ReadTestData.h"
#include "avr/BlankTest.h"

namespace tarpel::test {
namespace {

using shell::CommandOutcome;

int FlashReads(const AvrBench& bench) { return bench.port.CountOpcode(0x20) + bench.port.CountOpcode(0x28); }

TEST(BlankTest, AnErasedDeviceIsBlankAfterTwoWholeReads) {
    for (const auto* model : {"at90s4414", "atmega8515"}) {
        TempFolder folder;
        auto bench = SeededBench(folder, model, {});
        EXPECT_EQ(avr::BlankTest(bench->frame), CommandOutcome::Done) << model;
        ASSERT_EQ(bench->shell.messages.size(), 1u);
        EXPECT_EQ(bench->shell.messages[0].text, "La flash y la eeprom interna estan vacias");
        EXPECT_EQ(bench->shell.messages[0].caption, "BLANK-TEST");
        EXPECT_EQ(bench->port.powerUps, 2);
        EXPECT_EQ(FlashReads(*bench), bench->frame.FlashSize());
        EXPECT_EQ(bench->port.CountOpcode(0xA0), bench->frame.EepromSize());
        EXPECT_EQ(bench->shell.flashGauges.back(), 100);
        EXPECT_EQ(bench->shell.eepromGauges.back(), 100);
        EXPECT_EQ(bench->PortByte(), 0x00);
        EXPECT_EQ(bench->shell.cursor, shell::CursorShape::Default);
        EXPECT_EQ(bench->Violations(), std::vector<std::string>{});
    }
}

TEST(BlankTest, BlankFlashButDataInTheEeprom) {
    TempFolder folder;
    auto eeprom = Blank(512);
    eeprom[0x100] = 0x00;
    auto bench = SeededBench(folder, "at90s8515", {}, eeprom);
    EXPECT_EQ(avr::BlankTest(bench->frame), CommandOutcome::Failed);
    ASSERT_EQ(bench->shell.messages.size(), 1u);
    EXPECT_EQ(bench->shell.messages[0].text, "La EEPROM no esta vacia!!!");
    EXPECT_EQ(bench->shell.messages[0].caption, "NO BLANK");
    EXPECT_EQ(bench->port.powerUps, 2);
    EXPECT_EQ(bench->port.CountOpcode(0x30), 6) << "identified twice";
    EXPECT_EQ(bench->port.CountOpcode(0xA0), 512) << "read in full before the scan";
    EXPECT_EQ(bench->PortByte(), 0x00);
    EXPECT_EQ(bench->shell.cursor, shell::CursorShape::Default);
}

TEST(BlankTest, OneByteAtTheLastFlashAddressEndsTheTestBeforeTheEeprom) {
    TempFolder folder;
    auto flash = Blank(8192);
    flash.back() = 0x7E;
    auto bench = SeededBench(folder, "atmega8515", flash, Pattern(512));
    EXPECT_EQ(avr::BlankTest(bench->frame), CommandOutcome::Failed);
    ASSERT_EQ(bench->shell.messages.size(), 1u);
    EXPECT_EQ(bench->shell.messages[0].text, "La flash no esta vacia!!!");
    EXPECT_EQ(bench->shell.messages[0].caption, "NO BLANK");
    EXPECT_EQ(FlashReads(*bench), 8192);
    EXPECT_EQ(bench->port.CountOpcode(0xA0), 0);
    EXPECT_EQ(bench->port.powerUps, 1);
    EXPECT_TRUE(bench->shell.eepromGauges.empty());
    EXPECT_EQ(bench->PortByte(), 0x00);
}

TEST(BlankTest, NoDeviceGivesItsMessageOnly) {
    TempFolder folder;
    auto bench = SeededBench(folder, "atmega8515", {}, {}, {"avr-no-answer"});
    EXPECT_EQ(avr::BlankTest(bench->frame), CommandOutcome::Failed);
    EXPECT_EQ(bench->MessageTexts(), std::vector<std::string>{"No se ha detectado ningun micro!!!"});
    EXPECT_EQ(FlashReads(*bench), 0);
    EXPECT_EQ(bench->PortByte(), 0x00);
    EXPECT_EQ(bench->shell.cursor, shell::CursorShape::Default);
}

}  // namespace
}  // namespace tarpel::test
