#pragma once
// The digit routines of the Intel HEX reader: one hexadecimal character and one two-character
// byte field. They never fail; a character that is no hexadecimal digit counts as 0.
#include <cstdint>
#include <string_view>

namespace tarpel::files {

// 0..9 for '0'..'9', 10..15 for 'A'..'F' and 'a'..'f', 0 for every other character.
int HexDigitValue(char ch);

// True for the characters HexDigitValue reads as digits: '0'..'9', 'A'..'F', 'a'..'f'.
bool IsHexDigit(char ch);

// 16 x the first digit + the second. A field shorter than two characters reads its missing
// digits as 0; the reader never passes one.
std::uint8_t HexByteValue(std::string_view text);

}  // namespace tarpel::files
