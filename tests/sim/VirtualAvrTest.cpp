// SPDX-License-Identifier: GPL-2.0-or-later
// The virtual AVRs' serial interface against the datasheets: power-up and programming mode, the
// echo, the bit frame and its recovery, SCK phases, and the protocol violations the socket logs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "VirtualAvrTestMaster.h"

namespace tarpel::sim {
namespace {

using test::AvrRig;

struct DatasheetPart {
    const char* model;
    std::array<std::uint8_t, 3> signature;
    std::optional<std::uint8_t> lowFuse;
};

// The factory low fuse with CKSEL 0000, "External": the ATmega8515 runs from XTAL1 alone.
constexpr std::uint8_t ExternalClock = 0xE0;

// Signatures as the datasheets give them. Every part here is clocked by XTAL1 alone.
const DatasheetPart Parts[] = {
    {"at90s8515", {0x1E, 0x93, 0x01}, std::nullopt},
    {"at90s4414", {0x1E, 0x92, 0x01}, std::nullopt},
    {"atmega8515", {0x1E, 0x93, 0x06}, ExternalClock},
};

struct PartRig : AvrRig {
    explicit PartRig(const DatasheetPart& part) : AvrRig(part.model, {}, part.lowFuse) {}
};

bool Logged(const VirtualAvr& avr, const std::string& words) {
    const auto& entries = avr.Violations().Entries();
    return std::any_of(entries.begin(), entries.end(),
                       [&](const ProtocolViolation& v) { return v.description.find(words) != std::string::npos; });
}

class VirtualAvrPartTest : public ::testing::TestWithParam<DatasheetPart> {};

INSTANTIATE_TEST_SUITE_P(AllParts, VirtualAvrPartTest, ::testing::ValuesIn(Parts),
                         [](const auto& part) { return std::string(part.param.model); });

TEST_P(VirtualAvrPartTest, EntersProgrammingModeEchoesAndAnswersItsSignature) {
    PartRig rig(GetParam());
    rig.master.PowerUp();
    const auto enable = rig.master.Send(0xAC, 0x53, 0x12, 0x34);
    EXPECT_EQ(enable[1], 0xAC);
    EXPECT_EQ(enable[2], 0x53);
    EXPECT_EQ(enable[3], 0x12);
    EXPECT_TRUE(rig.avr.ProgrammingEnabled());

    // Byte n-1 comes back during byte n, across instructions too; the answer fills byte 4.
    const auto first = rig.master.Send(0x30, 0x00, 0x00, 0x00);
    EXPECT_EQ(first[0], 0x34);
    EXPECT_EQ(first[1], 0x30);
    EXPECT_EQ(first[2], 0x00);
    EXPECT_EQ(first[3], GetParam().signature[0]);
    EXPECT_EQ(rig.master.Signature(), GetParam().signature);
    EXPECT_TRUE(rig.avr.Violations().Empty());
}

TEST_P(VirtualAvrPartTest, StaysOutOfProgrammingModeWithResetHighOrWithoutClockOrStartUp) {
    {
        PartRig rig(GetParam());
        rig.master.PowerUp(/*resetLow=*/false);
        EXPECT_FALSE(rig.master.Chip().Miso(rig.master.nowNs).has_value());
        EXPECT_FALSE(rig.master.Enable());
        EXPECT_FALSE(rig.avr.ProgrammingEnabled());
        // RESET taken low later (the device was running) opens the interface after all.
        rig.master.SetReset(false);
        EXPECT_TRUE(rig.master.Enable());
    }
    {
        // Without XTAL1 edges the device stands still, however long it is powered.
        PartRig rig(GetParam());
        rig.master.Lines(true, false, false, false, false);
        rig.master.WaitMs(50);
        rig.master.lowCycles = rig.master.highCycles = 0;
        EXPECT_FALSE(rig.master.Enable());
        EXPECT_FALSE(rig.avr.ProgrammingEnabled());
        EXPECT_FALSE(rig.master.Chip().Miso(rig.master.nowNs).has_value());
        rig.master.lowCycles = rig.master.highCycles = 2;
        rig.master.Cycles(VirtualAvr::StartUpCycles);
        EXPECT_TRUE(rig.master.Enable());
    }
    {
        // Plenty of clock but no wait after power-up: still starting.
        PartRig rig(GetParam());
        rig.master.Lines(true, false, false, false, false);
        rig.master.Cycles(1001);
        EXPECT_FALSE(rig.master.Enable());
        EXPECT_FALSE(rig.avr.ProgrammingEnabled());
        rig.master.WaitMs(10);
        EXPECT_TRUE(rig.master.Enable());
    }
}

TEST_P(VirtualAvrPartTest, OneLostBitIsRecoveredByOneExtraSckPulse) {
    PartRig rig(GetParam());
    rig.master.PowerUp();
    // The first rising edge lasts one XTAL1 cycle: the chip misses that bit.
    rig.master.SetMosi(true);
    rig.master.Cycles(2);
    rig.master.SetSck(true);
    rig.master.Cycles(1);
    rig.master.SetSck(false);
    rig.master.Transfer(0xAC, 7);  // the remaining seven bits of 0xAC
    rig.master.Transfer(0x53);
    EXPECT_NE(rig.master.Transfer(0x00), 0x53);
    rig.master.Transfer(0x00);
    EXPECT_FALSE(rig.avr.ProgrammingEnabled());
    EXPECT_TRUE(Logged(rig.avr, "SCK"));

    // The frame now ends one bit after the master's: one pulse puts them back in step.
    rig.master.SckPulse();
    EXPECT_TRUE(rig.master.Enable());
    EXPECT_EQ(rig.master.Signature(), GetParam().signature);
}

TEST_P(VirtualAvrPartTest, AStrayPulseIsFoundWithinThirtyTwoAttempts) {
    PartRig rig(GetParam());
    rig.master.PowerUp();
    rig.master.Cycles(2);   // the chip's interface comes alive on its first clock after start-up
    rig.master.SckPulse();  // and is now one bit ahead of the master
    int attempts = 1;
    while (!rig.master.Enable() && attempts < 40) {
        rig.master.SckPulse();
        ++attempts;
    }
    // Each retry moves the frame by one bit: the 31 pulses bring it round to the master's.
    EXPECT_EQ(attempts, 32);
    EXPECT_EQ(rig.master.Signature(), GetParam().signature);
    EXPECT_TRUE(rig.avr.Violations().Empty());
}

TEST_P(VirtualAvrPartTest, SckHighAtPowerUpCountsAsABitUntilARESETPulse) {
    PartRig rig(GetParam());
    rig.master.Lines(true, true, false, false, false);
    rig.master.Cycles(100);
    rig.master.WaitMs(20);
    rig.master.Cycles(2);
    rig.master.SetSck(false);
    EXPECT_FALSE(rig.master.Enable());
    // With SCK low, a RESET pulse restarts the frame (the ATmega8515 datasheet's advice).
    rig.master.SetReset(true);
    rig.master.Cycles(2);
    rig.master.SetReset(false);
    EXPECT_TRUE(rig.master.Enable());
    EXPECT_TRUE(rig.avr.Violations().Empty());
}

TEST_P(VirtualAvrPartTest, SckPhasesOfOneXtalCycleGarbleTheTransfer) {
    PartRig rig(GetParam());
    rig.Program();
    rig.master.lowCycles = 1;
    EXPECT_NE(rig.master.Signature(), GetParam().signature);
    EXPECT_TRUE(Logged(rig.avr, "SCK"));
    rig.avr.ClearViolations();

    PartRig fresh(GetParam());
    fresh.Program();
    fresh.master.highCycles = 1;
    EXPECT_NE(fresh.master.Signature(), GetParam().signature);
    EXPECT_TRUE(Logged(fresh.avr, "SCK"));
}

TEST(VirtualAvrTest, MisoChangesOnlyAfterTheFallingEdgeHasBeenSeenByTwoXtalCycles) {
    AvrRig rig("atmega8515", {}, ExternalClock);
    rig.Program();
    auto& m = rig.master;
    // Read EEPROM 0xA0 = 1010 0000: during the next byte its bits come back 1, 0, 1, 0.
    m.Transfer(0xA0);
    EXPECT_FALSE(m.ReadMiso());  // still the last bit of the byte before
    m.Cycles(1);
    EXPECT_FALSE(m.ReadMiso());
    m.Cycles(1);
    EXPECT_TRUE(m.ReadMiso());
    m.SetMosi(false);
    m.SetSck(true);
    m.Cycles(5);
    EXPECT_TRUE(m.ReadMiso());  // the rising edge samples MOSI and leaves MISO alone
    m.SetSck(false);
    EXPECT_TRUE(m.ReadMiso());
    m.Cycles(2);
    EXPECT_FALSE(m.ReadMiso());
    // Finish the byte (seven more bits) and the instruction, in step.
    for (int bit = 0; bit < 7; ++bit) m.SckPulse();
    m.Transfer(0x00);
    m.Transfer(0x00);
    EXPECT_EQ(m.Signature()[0], 0x1E);
    EXPECT_TRUE(rig.avr.Violations().Empty());
}

TEST(VirtualAvrTest, RecordsLineChangesWhileUnpoweredOncePerUnpoweredSpell) {
    AvrRig rig("at90s8515");
    rig.master.SetSck(true);
    rig.master.SetMosi(true);
    ASSERT_EQ(rig.avr.Violations().Entries().size(), 1u);
    EXPECT_TRUE(Logged(rig.avr, "sin alimentacion"));
    // Switching everything on at once, and off again at once, is clean.
    rig.master.Off();
    rig.avr.ClearViolations();
    rig.master.Lines(true, false, true, true, true);
    rig.master.Off();
    EXPECT_TRUE(rig.avr.Violations().Empty());
}

TEST(VirtualAvrTest, ResetHighInProgrammingModeIsRecordedUnlessPowerOffOrAfterAChipErase) {
    {
        AvrRig rig("atmega8515");
        rig.Program();
        rig.master.SetReset(true);
        rig.master.Cycles(10);
        rig.master.SetReset(false);
        EXPECT_FALSE(rig.avr.ProgrammingEnabled());
        EXPECT_TRUE(Logged(rig.avr, "RESET"));
    }
    {
        // The datasheet's power-off sequence: XTAL1 low, RESET high, VCC off.
        AvrRig rig("at90s8515");
        rig.Program();
        rig.master.SetReset(true);
        rig.master.Off();
        EXPECT_TRUE(rig.avr.Violations().Empty());
    }
    {
        // AT90S: after a chip erase, wait and give RESET a positive pulse, then enable again.
        AvrRig rig("at90s4414");
        rig.Program();
        rig.master.ChipErase();
        rig.master.WaitMs(20);
        rig.master.SetReset(true);
        rig.master.Cycles(4);
        rig.master.SetReset(false);
        rig.master.WaitMs(20);
        EXPECT_TRUE(rig.master.Enable());
        EXPECT_TRUE(rig.avr.Violations().Empty());
    }
    {
        AvrRig rig("at90s8515");
        rig.Program();
        rig.master.WriteEeprom(3, 0x55);
        rig.master.SetReset(true);
        EXPECT_TRUE(Logged(rig.avr, "durante una escritura"));
    }
}

TEST(VirtualAvrTest, InstructionsDuringAWriteAreIgnoredAndRecordedButPollingIsNot) {
    AvrRig rig("at90s8515");
    rig.Program();
    rig.master.WriteEeprom(0x10, 0x42);
    EXPECT_EQ(rig.master.ReadEeprom(0x10), 0x80);  // polling the byte being written: fine
    EXPECT_TRUE(rig.avr.Violations().Empty());
    EXPECT_EQ(rig.master.ReadEeprom(0x11), 0x11);  // another byte: ignored, byte 3 echoes
    rig.master.WriteEeprom(0x12, 0x99);
    EXPECT_EQ(rig.avr.Violations().Entries().size(), 2u);
    EXPECT_TRUE(Logged(rig.avr, "C0 00 12 99 durante una escritura"));
    rig.master.WaitMs(10);
    EXPECT_EQ(rig.master.ReadEeprom(0x12), 0xFF);
    EXPECT_EQ(rig.master.ReadEeprom(0x10), 0x42);
}

TEST(VirtualAvrTest, PowerRemovedDuringAWriteIsRecordedAndLeavesTheByteErased) {
    AvrRig rig("atmega8515");
    rig.Program();
    rig.master.WriteEeprom(7, 0x00);
    rig.master.WaitMs(9.5);
    rig.master.WriteEeprom(8, 0x00);
    rig.master.Off();
    EXPECT_TRUE(Logged(rig.avr, "alimentacion cortada"));
    EXPECT_EQ(rig.avr.Eeprom()[7], 0x00);
    EXPECT_EQ(rig.avr.Eeprom()[8], 0xFF);
}

TEST(VirtualAvrTest, UnknownInstructionsInProgrammingModeAreRecorded) {
    AvrRig rig("at90s8515");
    rig.Program();
    rig.master.Send(0x50, 0x00, 0x00, 0x00);  // fuse read: the AT90S has none
    EXPECT_TRUE(Logged(rig.avr, "50 00 00 00 desconocida para el AT90S8515"));
}

}  // namespace
}  // namespace tarpel::sim
