// SPDX-License-Identifier: GPL-2.0-or-later
// The fuse bytes to the panel's settings and back, without a device.
#include <gtest/gtest.h>

#include "avr/FuseMapping.h"
#include "avr/FuseMemory.h"

namespace tarpel::avr {
namespace {

// The panel as the factory bytes 0xE1 / 0xD9 show it.
FuseSettings Factory() {
    FuseSettings s;
    s.xtalIndex = 1;
    s.sutIndex = 2;
    s.bootSizeIndex = 0;
    s.bodLevel = true;
    s.spien = true;
    return s;
}

TEST(FuseMapping, EachCheckBoxOwnsOneBitWithItsPolarity) {
    struct Case {
        bool FuseSettings::*box;
        bool high;
        std::uint8_t bit;
        bool checkedMeansProgrammed;
    };
    const Case cases[] = {
        {&FuseSettings::bodLevel, false, 0x80, false}, {&FuseSettings::boden, false, 0x40, true},
        {&FuseSettings::s8515c, true, 0x80, true},     {&FuseSettings::wdton, true, 0x40, true},
        {&FuseSettings::ckopt, true, 0x10, true},      {&FuseSettings::eesave, true, 0x08, true},
        {&FuseSettings::bootrst, true, 0x01, true},
    };
    for (const auto& c : cases) {
        FuseSettings s = Factory();
        for (const bool checked : {false, true}) {
            s.*c.box = checked;
            const std::uint8_t low = *FuseLowFromSettings(s);
            const std::uint8_t high = *FuseHighFromSettings(s);
            const std::uint8_t written = c.high ? high : low;
            const bool bitSet = (written & c.bit) != 0;
            EXPECT_EQ(bitSet, checked != c.checkedMeansProgrammed) << int{c.bit} << (c.high ? " high" : " low");
            // No other bit moves from the factory byte.
            const int factory = c.high ? 0xD9 : 0xE1;
            EXPECT_EQ(written & ~c.bit & 0xFF, factory & ~c.bit & 0xFF);
            // Read back, the box shows as it was.
            const FuseSettings back = SettingsFromFuses(low, high);
            EXPECT_EQ(back.*c.box, checked);
        }
    }
}

TEST(FuseMapping, SpienIsAlwaysWrittenProgrammedAndReadAsItIs) {
    FuseSettings s = Factory();
    s.spien = false;
    EXPECT_EQ(*FuseHighFromSettings(s) & fusebits::Spien, 0);
    EXPECT_FALSE(SettingsFromFuses(0xE1, 0xD9 | fusebits::Spien).spien);
    EXPECT_TRUE(SettingsFromFuses(0xE1, 0xD9).spien);
}

TEST(FuseMapping, TheClockListGroupsCkselValuesAndWritesOnePerItem) {
    const int shownAs[16] = {0, 1, 2, 3, 4, 5, 5, 5, 5, 6, 7, 7, 7, 7, 7, 7};
    const std::uint8_t writtenAs[16] = {0, 1, 2, 3, 4, 5, 5, 5, 5, 9, 15, 15, 15, 15, 15, 15};
    for (std::uint8_t cksel = 0; cksel < 16; ++cksel) {
        const std::uint8_t low = static_cast<std::uint8_t>(0xE0 | cksel);
        const FuseSettings s = SettingsFromFuses(low, 0xD9);
        EXPECT_EQ(s.xtalIndex, shownAs[cksel]) << int{cksel};
        EXPECT_EQ(*FuseLowFromSettings(s), 0xE0 | writtenAs[cksel]) << int{cksel};
        // Told which CKSEL to keep, the byte carries it.
        EXPECT_EQ(*FuseLowFromSettings(s, cksel), low);
    }
}

TEST(FuseMapping, SutAndBootSizeAreTheirTwoBitValues) {
    for (int sut = 0; sut < 3; ++sut) {
        const auto low = static_cast<std::uint8_t>(0xC1 | (sut << 4));
        EXPECT_EQ(SettingsFromFuses(low, 0xD9).sutIndex, sut);
        EXPECT_EQ(*FuseLowFromSettings(SettingsFromFuses(low, 0xD9)), low);
    }
    // SUT 3 has no item among the three: the list shows no selection.
    EXPECT_EQ(SettingsFromFuses(0xF1, 0xD9).sutIndex, NoSelection);
    for (int boot = 0; boot < 4; ++boot) {
        const auto high = static_cast<std::uint8_t>((0xD9 & ~0x06) | (boot << 1));
        EXPECT_EQ(SettingsFromFuses(0xE1, high).bootSizeIndex, boot);
        EXPECT_EQ(*FuseHighFromSettings(SettingsFromFuses(0xE1, high)), high);
    }
}

TEST(FuseMapping, ListsWithoutAChoiceGiveNoByte) {
    FuseSettings s;
    for (const int bad : {NoSelection, 8}) {
        s = Factory();
        s.xtalIndex = bad;
        EXPECT_FALSE(FuseLowFromSettings(s).has_value());
    }
    s = Factory();
    s.sutIndex = 3;
    EXPECT_FALSE(FuseLowFromSettings(s).has_value());
    s = Factory();
    s.bootSizeIndex = NoSelection;
    EXPECT_FALSE(FuseHighFromSettings(s).has_value());
    EXPECT_TRUE(FuseLowFromSettings(s).has_value());
}

TEST(FuseMemory, KeepsTheReadCkselOnlyForTheItemItShowedAsUntilTheUserChooses) {
    FuseMemory memory;
    EXPECT_FALSE(memory.KeptCksel(5).has_value()) << "nothing read yet";
    memory.Remember({0xE7, 0xD9});  // CKSEL 7, shown as "Ext RC" (5)
    EXPECT_EQ(memory.KeptCksel(5), 7);
    EXPECT_FALSE(memory.KeptCksel(7).has_value()) << "another item: the table's value";
    memory.ClockChosen();
    EXPECT_FALSE(memory.KeptCksel(5).has_value()) << "the user's own choice of the same item";
    memory.Remember({0xEC, 0xD9});
    EXPECT_EQ(memory.KeptCksel(7), 12);
    memory.Forget();
    EXPECT_FALSE(memory.KeptCksel(7).has_value());
    EXPECT_FALSE(memory.Known().has_value());
}

}  // namespace
}  // namespace tarpel::avr
