// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// How an image byte reads as text, as the 24CXXX page's grid shows it: Windows-1252, whose
// printable characters from 0x20 to 0x7E and from 0xA0 to 0xFF are the Unicode code points of
// the same numbers. The control ranges and DEL have no character, and the soft hyphen 0xAD,
// which text layout draws as nothing, shows as a hyphen so that it is not taken for a blank.
#include <cstdint>

namespace tarpel::eeprom {

// The byte's character as a Unicode code point, or 0 when it has none to show.
constexpr char32_t ImageCharacter(std::uint8_t value) {
    if (value < 0x20 || (value >= 0x7F && value < 0xA0)) return 0;
    if (value == 0xAD) return U'-';
    return value;
}

}  // namespace tarpel::eeprom
