// SPDX-License-Identifier: GPL-2.0-or-later
// Making the AVR socket's device from the option names: models, "none" and the "avr-" faults.
#include <gtest/gtest.h>

#include <stdexcept>

#include "TempFolder.h"
#include "VirtualAvrTestMaster.h"
#include "sim/AvrFactory.h"

namespace tarpel::sim {
namespace {

class AvrFactoryTest : public ::testing::Test {
protected:
    std::unique_ptr<AvrSocketChip> Make(const std::string& model, const std::vector<std::string>& faults = {}) {
        return MakeVirtualAvr(model, ChipStore(folder.Path("")), faults);
    }
    test::TempFolder folder;
};

TEST_F(AvrFactoryTest, MakesEachModelAndNothingForNone) {
    for (const char* model : {"at90s8515", "at90s4414", "atmega8515", "atmega162"}) {
        auto chip = Make(model);
        ASSERT_NE(chip, nullptr);
        EXPECT_EQ(dynamic_cast<VirtualAvr&>(*chip).Model().name, model);
    }
    EXPECT_EQ(Make("none"), nullptr);
    EXPECT_EQ(Make("atmega8515", {"avr-absent"}), nullptr);
    EXPECT_NE(Make("ATmega8515"), nullptr);  // as the datasheet spells it
    EXPECT_EQ(Make("NONE"), nullptr);
    EXPECT_THROW(Make("attiny13"), std::invalid_argument);
    EXPECT_THROW(Make("atmega8515", {"avr-broken"}), std::invalid_argument);
    EXPECT_THROW(Make("atmega8515", {"avr-flash-stuck:"}), std::invalid_argument);
    EXPECT_THROW(Make("atmega8515", {"avr-flash-stuck:0x2000"}), std::invalid_argument);
    EXPECT_THROW(Make("atmega8515", {"avr-flash-stuck:12ab"}), std::invalid_argument);
    EXPECT_NE(Make("atmega8515", {"eeprom-no-ack"}), nullptr);  // the other socket's fault
    EXPECT_TRUE(IsAvrFault("avr-locked"));
    EXPECT_FALSE(IsAvrFault("eeprom-no-ack"));
}

TEST_F(AvrFactoryTest, LockedDeviceAnswersTheLockedSignatureUntilErased) {
    auto chip = Make("at90s8515", {"avr-locked"});
    test::AvrTestMaster m(*chip);
    m.PowerUp();
    ASSERT_TRUE(m.Enable());
    EXPECT_EQ(m.Signature(), (std::array<std::uint8_t, 3>{0x00, 0x01, 0x02}));
    m.ChipErase();
    m.WaitMs(20);
    EXPECT_EQ(m.Signature(), (std::array<std::uint8_t, 3>{0x1E, 0x93, 0x01}));
}

TEST_F(AvrFactoryTest, UnknownSignatureAndNoAnswer) {
    auto unknown = Make("atmega8515", {"avr-unknown-signature"});
    test::AvrTestMaster u(*unknown);
    u.PowerUp();
    ASSERT_TRUE(u.Enable());
    const auto signature = u.Signature();
    EXPECT_NE(signature, (std::array<std::uint8_t, 3>{0x1E, 0x93, 0x06}));
    EXPECT_NE(signature, (std::array<std::uint8_t, 3>{0x1E, 0x93, 0x01}));
    EXPECT_NE(signature, (std::array<std::uint8_t, 3>{0x1E, 0x92, 0x01}));

    auto mute = Make("atmega8515", {"avr-no-answer"});
    test::AvrTestMaster n(*mute);
    n.PowerUp();
    for (int attempt = 0; attempt < 32; ++attempt) {
        EXPECT_FALSE(n.Enable());
        n.SckPulse();
    }
    EXPECT_FALSE(mute->Miso(n.nowNs).has_value());
    EXPECT_FALSE(dynamic_cast<VirtualAvr&>(*mute).ProgrammingEnabled());
}

TEST_F(AvrFactoryTest, StuckFlashByteNeverProgramsButItsNeighboursDo) {
    auto chip = Make("at90s8515", {"avr-flash-stuck:0x101"});
    test::AvrTestMaster m(*chip);
    m.PowerUp();
    ASSERT_TRUE(m.Enable());
    m.WriteFlash(0x100, 0x12);
    m.WaitMs(9);
    m.WriteFlash(0x101, 0x34);
    m.WaitMs(9);
    EXPECT_EQ(m.ReadFlash(0x100), 0x12);
    EXPECT_EQ(m.ReadFlash(0x101), 0xFF);

    auto paged = Make("atmega8515", {"avr-flash-stuck:257"});
    test::AvrTestMaster p(*paged);
    p.PowerUp();
    ASSERT_TRUE(p.Enable());
    p.Send(0x40, 0x00, 0x00, 0x12);
    p.Send(0x48, 0x00, 0x00, 0x34);
    p.Send(0x4C, 0x00, 0x80, 0x00);  // words 0x80.. hold bytes 0x100..
    p.WaitMs(4.5);
    EXPECT_EQ(p.ReadFlash(0x100), 0x12);
    EXPECT_EQ(p.ReadFlash(0x101), 0xFF);
}

}  // namespace
}  // namespace tarpel::sim
