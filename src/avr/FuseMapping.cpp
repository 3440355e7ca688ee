// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/FuseMapping.h"

#include "avr/FuseLists.h"

namespace tarpel::avr {

namespace {

// Programmed (checked) is 0, unprogrammed is 1.
std::uint8_t ProgrammedWhen(bool checked, std::uint8_t bit) { return checked ? std::uint8_t{0} : bit; }

}  // namespace

FuseSettings SettingsFromFuses(std::uint8_t fuseLow, std::uint8_t fuseHigh) {
    using namespace fusebits;
    FuseSettings s;
    s.xtalIndex = ClockIndexOfCksel(static_cast<std::uint8_t>(fuseLow & Cksel));
    const int sut = (fuseLow >> SutShift) & 0x03;
    s.sutIndex = Selected(sut, SutCaptions.size()) ? sut : NoSelection;
    s.boden = (fuseLow & Boden) == 0;
    s.bodLevel = (fuseLow & BodLevel) != 0;
    s.s8515c = (fuseHigh & S8515c) == 0;
    s.wdton = (fuseHigh & Wdton) == 0;
    s.spien = (fuseHigh & Spien) == 0;
    s.ckopt = (fuseHigh & Ckopt) == 0;
    s.eesave = (fuseHigh & Eesave) == 0;
    s.bootSizeIndex = (fuseHigh >> BootSizeShift) & 0x03;
    s.bootrst = (fuseHigh & Bootrst) == 0;
    return s;
}

std::optional<std::uint8_t> FuseLowFromSettings(const FuseSettings& settings, std::optional<std::uint8_t> cksel) {
    using namespace fusebits;
    if (!Selected(settings.xtalIndex, ClockOptions.size()) || !Selected(settings.sutIndex, SutCaptions.size())) {
        return std::nullopt;
    }
    const std::uint8_t clock =
        cksel ? *cksel : ClockOptions[static_cast<std::size_t>(settings.xtalIndex)].writtenCksel;
    unsigned low = clock & Cksel;
    low |= static_cast<unsigned>(settings.sutIndex) << SutShift;
    if (settings.bodLevel) low |= BodLevel;
    low |= ProgrammedWhen(settings.boden, Boden);
    return static_cast<std::uint8_t>(low);
}

std::optional<std::uint8_t> FuseHighFromSettings(const FuseSettings& settings) {
    using namespace fusebits;
    if (!Selected(settings.bootSizeIndex, BootSizeCaptions.size())) return std::nullopt;
    unsigned high = static_cast<unsigned>(settings.bootSizeIndex) << BootSizeShift;
    high |= ProgrammedWhen(settings.bootrst, Bootrst);
    high |= ProgrammedWhen(settings.eesave, Eesave);
    high |= ProgrammedWhen(settings.ckopt, Ckopt);
    high |= ProgrammedWhen(settings.wdton, Wdton);
    high |= ProgrammedWhen(settings.s8515c, S8515c);
    return static_cast<std::uint8_t>(high);  // SPIEN (bit 5) stays 0: programmed
}

}  // namespace tarpel::avr
