// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The digit routines of the Intel HEX reader: one hexadecimal character and one two-character
// byte field. They never fail; a character that is no hexadecimal digit counts as 0.
// Inline and table-driven: the reader runs them for every character of a file.
#include <array>
#include <cstdint>
#include <string_view>

namespace tarpel::files {

namespace hexdigits {

inline constexpr std::uint8_t IsDigitFlag = 0x10;

// Per character: its value in the low four bits, and IsDigitFlag for the hexadecimal digits.
// Lower case is what many tools (and hand edits) produce; taking it as 0 would load silently
// corrupted data, so it reads like upper case.
inline constexpr std::array<std::uint8_t, 256> Table = [] {
    std::array<std::uint8_t, 256> table{};
    for (int ch = '0'; ch <= '9'; ++ch) table[ch] = static_cast<std::uint8_t>(IsDigitFlag | (ch - '0'));
    for (int ch = 'A'; ch <= 'F'; ++ch) table[ch] = static_cast<std::uint8_t>(IsDigitFlag | (ch - 'A' + 10));
    for (int ch = 'a'; ch <= 'f'; ++ch) table[ch] = static_cast<std::uint8_t>(IsDigitFlag | (ch - 'a' + 10));
    return table;
}();

}  // namespace hexdigits

// 0..9 for '0'..'9', 10..15 for 'A'..'F' and 'a'..'f', 0 for every other character.
inline int HexDigitValue(char ch) { return hexdigits::Table[static_cast<unsigned char>(ch)] & 0x0F; }

// True for the characters HexDigitValue reads as digits: '0'..'9', 'A'..'F', 'a'..'f'.
inline bool IsHexDigit(char ch) { return (hexdigits::Table[static_cast<unsigned char>(ch)] & hexdigits::IsDigitFlag) != 0; }

// 16 x the first digit + the second. A field shorter than two characters reads its missing
// digits as 0; the reader never passes one.
inline std::uint8_t HexByteValue(std::string_view text) {
    const int high = text.size() > 0 ? HexDigitValue(text[0]) : 0;
    const int low = text.size() > 1 ? HexDigitValue(text[1]) : 0;
    return static_cast<std::uint8_t>(high * 16 + low);
}

}  // namespace tarpel::files
