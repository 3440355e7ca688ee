// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The fuse panel's three lists and eight check boxes, as data: the window builds its controls
// from these rows and tarpel-cli its options and printout. The clock list groups the sixteen
// CKSEL values into eight items: reading shows a value as the item whose range holds it, writing
// an item sends the one value the table gives for it.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "avr/FuseSettings.h"
#include "shell/Translate.h"

namespace tarpel::avr {

struct ClockOption {
    std::string_view caption;
    std::uint8_t lowestCksel;   // CKSEL values from lowestCksel to highestCksel show as this item
    std::uint8_t highestCksel;
    std::uint8_t writtenCksel;  // what choosing this item writes
    // The chip's oscillator wants a crystal or an RC pair on XTAL1. The board has neither: it
    // drives XTAL1 with a square wave, which the datasheet promises to work only on "External".
    bool needsOscillatorParts;
};

inline constexpr std::array<ClockOption, 8> ClockOptions{{
    {"External", 0, 0, 0, false},
    {"IntRC: 1 Mhz", 1, 1, 1, false},
    {"IntRC: 2 Mhz", 2, 2, 2, false},
    {"IntRC: 4 Mhz", 3, 3, 3, false},
    {"IntRC: 8 Mhz", 4, 4, 4, false},
    {"Ext RC", 5, 8, 5, true},
    {"LowFrecXTL", 9, 9, 9, true},
    {"Extrnal XTAL", 10, 15, 15, true},
}};

inline constexpr std::array<std::string_view, 3> SutCaptions{"0 ms", "4.1 ms", "65 ms"};
inline constexpr std::array<std::string_view, 4> BootSizeCaptions{"1024 w", "512 w", "256 w", "128 w"};

// The clock list's items, in ClockOptions order.
inline constexpr std::array<std::string_view, ClockOptions.size()> ClockCaptions = [] {
    std::array<std::string_view, ClockOptions.size()> captions{};
    for (std::size_t i = 0; i < captions.size(); ++i) captions[i] = ClockOptions[i].caption;
    return captions;
}();

// One list of the panel: its label, its items and the setting that holds the item chosen. Labels
// and captions are texts of the catalogue where they are not the chip's own names: pass them
// through Tr (they end in a NUL) to show them.
struct FusePanelList {
    std::string_view label;
    std::span<const std::string_view> captions;
    int FuseSettings::*index;
};

inline constexpr std::array<FusePanelList, 3> FusePanelLists{{
    {TrNoop("Reloj:"), ClockCaptions, &FuseSettings::xtalIndex},
    {"SUT:", SutCaptions, &FuseSettings::sutIndex},
    {"Boot size:", BootSizeCaptions, &FuseSettings::bootSizeIndex},
}};

// One check box of the panel: its caption and the setting it shows.
struct FusePanelBox {
    std::string_view caption;
    bool FuseSettings::*checked;
};

// In the panel's order: two columns of four, top to bottom.
inline constexpr std::array<FusePanelBox, 8> FusePanelBoxes{{
    {"BOD Enabled", &FuseSettings::boden},
    {"BOD Level", &FuseSettings::bodLevel},
    {"S8515C", &FuseSettings::s8515c},
    {"WDT on", &FuseSettings::wdton},
    {TrNoop("Hab. prog. serie"), &FuseSettings::spien},
    {"CLK Rail-Rail", &FuseSettings::ckopt},
    {"EESAVE", &FuseSettings::eesave},
    {"BOOTRST", &FuseSettings::bootrst},
}};

// The clock item a CKSEL value (0..15) shows as.
constexpr int ClockIndexOfCksel(std::uint8_t cksel) {
    for (std::size_t i = 0; i < ClockOptions.size(); ++i) {
        if (cksel >= ClockOptions[i].lowestCksel && cksel <= ClockOptions[i].highestCksel) return static_cast<int>(i);
    }
    return NoSelection;
}

// True when index names an item of a list of `count` items.
constexpr bool Selected(int index, std::size_t count) { return index >= 0 && static_cast<std::size_t>(index) < count; }

static_assert([] {
    // Every CKSEL value shows as exactly one item, and each item's written value is its own.
    for (int v = 0; v < 16; ++v)
        if (ClockIndexOfCksel(static_cast<std::uint8_t>(v)) == NoSelection) return false;
    for (std::size_t i = 0; i < ClockOptions.size(); ++i)
        if (ClockIndexOfCksel(ClockOptions[i].writtenCksel) != static_cast<int>(i)) return false;
    return true;
}());

}  // namespace tarpel::avr
