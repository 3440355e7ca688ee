// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/FuseChanges.h"

#include "avr/FuseLists.h"
#include "avr/FuseMapping.h"

namespace tarpel::avr {

namespace {

void SetBits(std::uint8_t& byte, unsigned mask, unsigned value) {
    byte = static_cast<std::uint8_t>((byte & ~mask) | (value & mask));
}

// A box ticks its fuse programmed (0), except "BOD Level", whose tick leaves the bit at 1.
void SetBox(std::uint8_t& byte, std::uint8_t bit, const std::optional<bool>& ticked, bool tickedIsOne = false) {
    if (ticked) SetBits(byte, bit, *ticked == tickedIsOne ? bit : 0u);
}

void SetList(std::uint8_t& byte, const std::optional<int>& index, std::size_t items, unsigned mask, int shift) {
    if (index && Selected(*index, items)) SetBits(byte, mask, static_cast<unsigned>(*index) << shift);
}

}  // namespace

FuseBytes ApplyFuseChanges(FuseBytes current, const FuseChanges& changes) {
    using namespace fusebits;
    FuseBytes bytes = current;
    if (changes.xtalIndex && Selected(*changes.xtalIndex, ClockOptions.size()))
        SetBits(bytes.low, Cksel, ClockOptions[static_cast<std::size_t>(*changes.xtalIndex)].writtenCksel);
    SetList(bytes.low, changes.sutIndex, SutCaptions.size(), 0x03u << SutShift, SutShift);
    SetBox(bytes.low, BodLevel, changes.bodLevel, true);
    SetBox(bytes.low, Boden, changes.boden);

    SetList(bytes.high, changes.bootSizeIndex, BootSizeCaptions.size(), 0x03u << BootSizeShift, BootSizeShift);
    SetBox(bytes.high, S8515c, changes.s8515c);
    SetBox(bytes.high, Wdton, changes.wdton);
    SetBox(bytes.high, Ckopt, changes.ckopt);
    SetBox(bytes.high, Eesave, changes.eesave);
    SetBox(bytes.high, Bootrst, changes.bootrst);
    SetBits(bytes.high, Spien, 0);  // the serial interface is never cut off
    return bytes;
}

}  // namespace tarpel::avr
