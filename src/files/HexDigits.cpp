#include "files/HexDigits.h"

namespace tarpel::files {

int HexDigitValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    // Lower case is what many tools (and hand edits) produce; taking it as 0 would load
    // silently corrupted data, so it reads like upper case.
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    return 0;
}

bool IsHexDigit(char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f');
}

std::uint8_t HexByteValue(std::string_view text) {
    const int high = text.size() > 0 ? HexDigitValue(text[0]) : 0;
    const int low = text.size() > 1 ? HexDigitValue(text[1]) : 0;
    return static_cast<std::uint8_t>(high * 16 + low);
}

}  // namespace tarpel::files
