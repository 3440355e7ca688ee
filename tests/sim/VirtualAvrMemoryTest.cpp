// SPDX-License-Identifier: GPL-2.0-or-later
// The virtual AVRs' instructions and their effects against the datasheets: flash and EEPROM
// writes with their busy answers and times, chip erase, the ATmega8515 page buffer, fuses and
// lock bits, and the contents kept in the store between runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "VirtualAvrTestMaster.h"

namespace tarpel::sim {
namespace {

using test::AvrRig;

constexpr double At90sWriteMs = 9.0;   // our pick from the AT90S datasheets' 4-9 ms
constexpr double At90sEraseMs = 20.0;  // and their "up to 20 ms"

class At90sTest : public ::testing::TestWithParam<const char*> {};
INSTANTIATE_TEST_SUITE_P(Devices, At90sTest, ::testing::Values("at90s8515", "at90s4414"));

TEST_P(At90sTest, FlashByteWriteAnswers7FUntilDoneAndCanOnlyClearBits) {
    AvrRig rig(GetParam());
    rig.Program();
    auto& m = rig.master;
    m.WriteFlash(0x0123, 0xF0);
    const std::uint64_t written = m.nowNs;
    EXPECT_EQ(m.ReadFlash(0x0123), 0x7F);
    m.nowNs = written + static_cast<std::uint64_t>((At90sWriteMs - 0.5) * 1e6);
    EXPECT_EQ(m.ReadFlash(0x0123), 0x7F);
    m.nowNs = written + static_cast<std::uint64_t>((At90sWriteMs + 0.1) * 1e6);
    EXPECT_EQ(m.ReadFlash(0x0123), 0xF0);
    EXPECT_EQ(m.ReadFlash(0x0122), 0xFF);  // the word's other byte is untouched

    // Over a byte that is not erased the cells only go from 1 to 0: old AND new.
    m.WriteFlash(0x0123, 0x3C);
    m.WaitMs(At90sWriteMs);
    EXPECT_EQ(m.ReadFlash(0x0123), 0x30);
    EXPECT_TRUE(rig.avr.Violations().Empty());

    m.ChipErase();
    m.WaitMs(At90sEraseMs);
    EXPECT_EQ(m.ReadFlash(0x0123), 0xFF);
}

TEST_P(At90sTest, EepromWriteAnswers80ThenThe7FAndOverwritesAnyValue) {
    AvrRig rig(GetParam());
    rig.Program();
    auto& m = rig.master;
    m.WriteEeprom(0x42, 0x00);
    const std::uint64_t written = m.nowNs;
    EXPECT_EQ(m.ReadEeprom(0x42), 0x80);  // auto-erase
    m.nowNs = written + static_cast<std::uint64_t>(At90sWriteMs / 2 * 1e6);
    EXPECT_EQ(m.ReadEeprom(0x42), 0x7F);  // programming
    m.nowNs = written + static_cast<std::uint64_t>((At90sWriteMs + 0.1) * 1e6);
    EXPECT_EQ(m.ReadEeprom(0x42), 0x00);

    m.WriteEeprom(0x42, 0xA5);
    m.WaitMs(At90sWriteMs);
    EXPECT_EQ(m.ReadEeprom(0x42), 0xA5);
    EXPECT_TRUE(rig.avr.Violations().Empty());
}

TEST(At90s4414Test, AddressBitsBeyondTheSmallerMemoriesAreIgnored) {
    AvrRig rig("at90s4414");
    rig.Program();
    rig.master.WriteEeprom(0x105, 0x12);  // 256 bytes: address bit 8 is "x"
    rig.master.WaitMs(At90sWriteMs);
    EXPECT_EQ(rig.master.ReadEeprom(0x05), 0x12);
    rig.master.WriteFlash(0x1001, 0x34);  // 2048 words: word address bit 11 is "x"
    rig.master.WaitMs(At90sWriteMs);
    EXPECT_EQ(rig.master.ReadFlash(0x0001), 0x34);
}

TEST_P(At90sTest, LockModeThreeHidesEverythingUntilAChipErase) {
    AvrRig rig(GetParam());
    rig.Program();
    auto& m = rig.master;
    m.WriteEeprom(1, 0x11);
    m.WaitMs(At90sWriteMs);
    m.Send(0xAC, 0xF9, 0x00, 0x00);  // 111x x21x with both lock bits 0
    m.WaitMs(At90sWriteMs);
    EXPECT_EQ(m.Signature(), (std::array<std::uint8_t, 3>{0x00, 0x01, 0x02}));
    EXPECT_EQ(m.ReadEeprom(1), 0x01);  // refused: byte 3 echoes
    m.WriteFlash(0, 0x00);
    m.WaitMs(At90sWriteMs);
    EXPECT_EQ(rig.avr.Flash()[0], 0xFF);

    m.ChipErase();
    m.WaitMs(At90sEraseMs);
    EXPECT_EQ(m.Signature()[0], 0x1E);
    EXPECT_EQ(m.ReadEeprom(1), 0xFF);
    EXPECT_TRUE(rig.avr.Violations().Empty());
}

TEST_P(At90sTest, LockModeTwoAllowsReadingButNoFurtherProgramming) {
    AvrRig rig(GetParam());
    rig.Program();
    auto& m = rig.master;
    m.WriteFlash(4, 0x5A);
    m.WaitMs(At90sWriteMs);
    m.Send(0xAC, 0xFD, 0x00, 0x00);  // lock bit 1 only
    m.WaitMs(At90sWriteMs);
    EXPECT_EQ(m.ReadFlash(4), 0x5A);
    m.WriteFlash(4, 0x00);
    m.WriteEeprom(4, 0x00);
    m.WaitMs(At90sWriteMs);
    EXPECT_EQ(m.ReadFlash(4), 0x5A);
    EXPECT_EQ(m.ReadEeprom(4), 0xFF);
}

TEST(AtMega8515Test, PageBufferAndPageWriteWithTheDatasheetTimeAndBusyAnswer) {
    AvrRig rig("atmega8515");
    rig.Program();
    auto& m = rig.master;
    // Page 3 = words 0x60..0x7F. Word offsets 0 and 31 are loaded; the rest stays erased.
    m.Send(0x40, 0x00, 0x00, 0x11);
    m.Send(0x48, 0x00, 0x00, 0x22);
    m.Send(0x40, 0x00, 0x1F, 0x33);
    m.Send(0x48, 0x00, 0x3F, 0x44);  // offset bits above the page's five are ignored
    m.Send(0x4C, 0x00, 0x60, 0x00);
    const std::uint64_t written = m.nowNs;
    EXPECT_EQ(m.ReadFlash(0xC0), 0xFF);
    EXPECT_EQ(m.ReadFlash(0xFF), 0xFF);
    EXPECT_TRUE(rig.avr.Violations().Empty());
    m.nowNs = written + 4'000'000;
    EXPECT_EQ(m.ReadFlash(0xC1), 0xFF);
    m.nowNs = written + 4'600'000;  // tWD_FLASH 4.5 ms
    EXPECT_EQ(m.ReadFlash(0xC0), 0x11);
    EXPECT_EQ(m.ReadFlash(0xC1), 0x22);
    EXPECT_EQ(m.ReadFlash(0xC2), 0xFF);
    EXPECT_EQ(m.ReadFlash(0xFE), 0x33);
    EXPECT_EQ(m.ReadFlash(0xFF), 0x44);

    // The buffer is erased by the page write, and flash cells only go from 1 to 0.
    m.Send(0x40, 0x00, 0x01, 0xF0);
    m.Send(0x4C, 0x00, 0x60, 0x00);
    m.WaitMs(4.5);
    EXPECT_EQ(m.ReadFlash(0xC0), 0x11);
    EXPECT_EQ(m.ReadFlash(0xC2), 0xF0);
    m.Send(0x40, 0x00, 0x01, 0x3C);
    m.Send(0x4C, 0x00, 0x7F, 0x00);  // any word of the page names the page
    m.WaitMs(4.5);
    EXPECT_EQ(m.ReadFlash(0xC2), 0x30);
    EXPECT_TRUE(rig.avr.Violations().Empty());

    // A read outside the page being written is not data polling: ignored and recorded.
    m.Send(0x4C, 0x00, 0x60, 0x00);
    EXPECT_EQ(m.ReadFlash(0x00), 0x00);  // byte 3 echoes
    EXPECT_EQ(rig.avr.Violations().Entries().size(), 1u);
}

TEST(AtMega8515Test, EepromAnswersFFForNineMilliseconds) {
    AvrRig rig("atmega8515");
    rig.Program();
    auto& m = rig.master;
    m.WriteEeprom(0x1FF, 0x5A);
    const std::uint64_t written = m.nowNs;
    EXPECT_EQ(m.ReadEeprom(0x1FF), 0xFF);
    m.nowNs = written + 8'500'000;
    EXPECT_EQ(m.ReadEeprom(0x1FF), 0xFF);
    m.nowNs = written + 9'100'000;  // tWD_EEPROM 9.0 ms
    EXPECT_EQ(m.ReadEeprom(0x1FF), 0x5A);
    EXPECT_TRUE(rig.avr.Violations().Empty());
}

TEST(AtMega8515Test, FusesFromTheFactoryWithSpienOutOfReachAndKeptByChipErase) {
    AvrRig rig("atmega8515");
    rig.Program();
    auto& m = rig.master;
    EXPECT_EQ(m.Ask(0x50, 0x00, 0x00), 0xE1);
    EXPECT_EQ(m.Ask(0x58, 0x08, 0x00), 0xD9);

    m.Send(0xAC, 0xA0, 0x00, 0xFF);  // external crystal, slowest start-up
    const std::uint64_t written = m.nowNs;
    m.nowNs = written + 4'600'000;   // tWD_FUSE 4.5 ms
    EXPECT_EQ(m.Ask(0x50, 0x00, 0x00), 0xFF);
    m.Send(0xAC, 0xA8, 0x00, 0xFF);  // asks to unprogram SPIEN among others
    m.WaitMs(4.5);
    EXPECT_EQ(m.Ask(0x58, 0x08, 0x00), 0xDF);
    m.Send(0xAC, 0xA8, 0x00, 0xC1);  // CKOPT, EESAVE, BOOTSZ programmed
    m.WaitMs(4.5);
    EXPECT_EQ(m.Ask(0x58, 0x08, 0x00), 0xC1);
    EXPECT_TRUE(rig.avr.Violations().Empty());

    // EESAVE programmed: the EEPROM survives a chip erase; fuses always do.
    m.WriteEeprom(9, 0x99);
    m.WaitMs(9);
    m.WriteFlash(0, 0x00);
    m.Send(0x4C, 0x00, 0x00, 0x00);
    m.WaitMs(4.5);
    EXPECT_EQ(m.ReadFlash(0), 0x00);
    m.ChipErase();
    m.WaitMs(9);
    EXPECT_EQ(m.ReadFlash(0), 0xFF);
    EXPECT_EQ(m.ReadEeprom(9), 0x99);
    EXPECT_EQ(m.Ask(0x50, 0x00, 0x00), 0xFF);
    m.Send(0xAC, 0xA8, 0x00, 0xD9);
    m.WaitMs(4.5);
    m.ChipErase();
    m.WaitMs(9);
    EXPECT_EQ(m.ReadEeprom(9), 0xFF);
    EXPECT_EQ(rig.avr.HighFuse(), 0xD9);
    EXPECT_TRUE(rig.avr.Violations().Empty());
}

TEST(AtMega8515Test, ChipEraseTakesNineMillisecondsAndIgnoresWhatComesMeanwhile) {
    AvrRig rig("atmega8515");
    rig.Program();
    auto& m = rig.master;
    m.WriteEeprom(0, 0x00);
    m.WaitMs(9);
    m.ChipErase();
    const std::uint64_t erased = m.nowNs;
    EXPECT_EQ(m.Ask(0x30, 0x00, 0x01), 0x01);  // ignored: echo
    EXPECT_EQ(rig.avr.Violations().Entries().size(), 1u);
    m.nowNs = erased + 9'100'000;
    EXPECT_EQ(m.ReadEeprom(0), 0xFF);
    EXPECT_EQ(m.Ask(0x30, 0x00, 0x01), 0x93);
}

TEST(AtMega8515Test, LockBitsReadWriteAndLockModeThree) {
    AvrRig rig("atmega8515");
    rig.Program();
    auto& m = rig.master;
    EXPECT_EQ(m.Ask(0x58, 0x00, 0x00), 0xFF);
    m.Send(0xAC, 0xE0, 0x00, 0xFC);
    m.WaitMs(4.5);
    EXPECT_EQ(m.Ask(0x58, 0x00, 0x00), 0xFC);
    EXPECT_EQ(m.Signature(), (std::array<std::uint8_t, 3>{0x00, 0x01, 0x02}));
    EXPECT_EQ(m.ReadFlash(0x0203), 0x01);  // refused: byte 3 echoes
    m.Send(0xAC, 0xA0, 0x00, 0x00);        // fuses are locked too
    m.WaitMs(4.5);
    EXPECT_EQ(m.Ask(0x50, 0x00, 0x00), 0xE1);  // but still readable
    // Lock bits can only be programmed further, not unprogrammed.
    m.Send(0xAC, 0xE0, 0x00, 0xFF);
    m.WaitMs(4.5);
    EXPECT_EQ(m.Ask(0x58, 0x00, 0x00), 0xFC);
    m.ChipErase();
    m.WaitMs(9);
    EXPECT_EQ(m.Ask(0x58, 0x00, 0x00), 0xFF);
    EXPECT_EQ(m.Signature()[2], 0x06);
    EXPECT_TRUE(rig.avr.Violations().Empty());
}

// Persistence, for every part.
class VirtualAvrStoreTest : public ::testing::TestWithParam<const char*> {};
INSTANTIATE_TEST_SUITE_P(AllParts, VirtualAvrStoreTest, ::testing::Values("at90s8515", "at90s4414", "atmega8515"));

TEST_P(VirtualAvrStoreTest, ContentsAreSavedAtPowerOffAndLoadedByTheNextDevice) {
    const std::string model = GetParam();
    const AvrDeviceModel& row = *FindAvrDeviceModel(model);
    const bool paged = row.pageWords != 0;
    test::TempFolder folder;
    {
        VirtualAvr avr(row, ChipStore(folder.Path("")));
        EXPECT_TRUE(std::all_of(avr.Flash().begin(), avr.Flash().end(), [](auto b) { return b == 0xFF; }));
        EXPECT_TRUE(std::all_of(avr.Eeprom().begin(), avr.Eeprom().end(), [](auto b) { return b == 0xFF; }));
        test::AvrTestMaster m(avr);
        m.PowerUp();
        ASSERT_TRUE(m.Enable());
        m.Off();
        EXPECT_TRUE(folder.Names().empty());  // nothing changed, nothing written

        m.PowerUp();
        ASSERT_TRUE(m.Enable());
        m.WriteFlash(3, 0x12);
        if (paged) m.Send(0x4C, 0x00, 0x00, 0x00);
        m.WaitMs(9);
        m.WriteEeprom(5, 0x34);
        m.WaitMs(9);
        if (row.hasFuses) {
            m.Send(0xAC, 0xA0, 0x00, 0xE4);
            m.WaitMs(4.5);
        }
        m.Off();
    }
    const auto flash = folder.ReadBytes(model + "-flash.bin");
    const auto eeprom = folder.ReadBytes(model + "-eeprom.bin");
    ASSERT_EQ(flash.size(), row.flashBytes);
    ASSERT_EQ(eeprom.size(), row.eepromBytes);
    EXPECT_EQ(flash[3], 0x12);
    EXPECT_EQ(eeprom[5], 0x34);
    if (row.hasFuses) {
        EXPECT_EQ(folder.ReadBytes(model + "-fuses.bin"), (std::vector<std::uint8_t>{0xE4, 0xD9}));
    }
    EXPECT_EQ(folder.Names().size(), row.hasFuses ? 3u : 2u);

    VirtualAvr again(row, ChipStore(folder.Path("")));
    test::AvrTestMaster m(again);
    m.PowerUp();
    ASSERT_TRUE(m.Enable());
    EXPECT_EQ(m.ReadFlash(3), 0x12);
    EXPECT_EQ(m.ReadEeprom(5), 0x34);
    if (row.hasFuses) {
        EXPECT_EQ(m.Ask(0x50, 0x00, 0x00), 0xE4);
    }
}

TEST(VirtualAvrStoreTest, TheDestructorSavesWhatAStillPoweredDeviceWasWriting) {
    test::TempFolder folder;
    {
        VirtualAvr avr(*FindAvrDeviceModel("at90s8515"), ChipStore(folder.Path("")));
        test::AvrTestMaster m(avr);
        m.PowerUp();
        ASSERT_TRUE(m.Enable());
        m.WriteEeprom(0, 0x77);
    }
    EXPECT_EQ(folder.ReadBytes("at90s8515-eeprom.bin").at(0), 0x77);
}

}  // namespace
}  // namespace tarpel::sim
