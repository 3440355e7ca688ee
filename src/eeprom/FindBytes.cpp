// SPDX-License-Identifier: GPL-2.0-or-later
#include "eeprom/FindBytes.h"

#include <algorithm>
#include <array>

namespace tarpel::eeprom {

namespace {

bool MatchesAt(std::span<const std::uint8_t> image, std::span<const std::uint8_t> pattern, std::int32_t address) {
    return std::equal(pattern.begin(), pattern.end(), image.begin() + address);
}

// Windows-1252 bytes 0x80-0x9F: the characters the code page gives them, 0 where it gives none.
constexpr std::array<char16_t, 32> HighControlRange = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::optional<std::uint8_t> Windows1252Byte(char16_t code) {
    // The gaps of the table (0 there) never match: no character at or above 0x80 is 0.
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<std::uint8_t>(code);
    const auto found = std::find(HighControlRange.begin(), HighControlRange.end(), code);
    if (found == HighControlRange.end()) return std::nullopt;
    return static_cast<std::uint8_t>(0x80 + (found - HighControlRange.begin()));
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<FoundBytes> FindBytes(std::span<const std::uint8_t> image, std::span<const std::uint8_t> pattern,
                                    std::int32_t from, FindDirection direction) {
    const auto size = static_cast<std::int32_t>(image.size());
    const auto length = static_cast<std::int32_t>(pattern.size());
    if (length == 0 || length > size) return std::nullopt;
    const std::int32_t last = size - length;  // the last address a match can start at
    if (direction == FindDirection::Forward) {
        const std::int32_t start = std::clamp(from, 0, last + 1);
        for (std::int32_t a = start; a <= last; ++a)
            if (MatchesAt(image, pattern, a)) return FoundBytes{a, false};
        for (std::int32_t a = 0; a < std::min(start, last + 1); ++a)
            if (MatchesAt(image, pattern, a)) return FoundBytes{a, true};
        return std::nullopt;
    }
    const std::int32_t start = std::clamp(from, -1, last);
    for (std::int32_t a = start; a >= 0; --a)
        if (MatchesAt(image, pattern, a)) return FoundBytes{a, false};
    for (std::int32_t a = last; a > start; --a)
        if (MatchesAt(image, pattern, a)) return FoundBytes{a, true};
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) return std::nullopt;
        const int high = HexValue(text[i]);
        const int low = HexValue(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
        i += 2;
    }
    if (bytes.empty()) return std::nullopt;
    return bytes;
}

std::optional<std::vector<std::uint8_t>> Windows1252Bytes(std::u16string_view text) {
    if (text.empty()) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (const char16_t code : text) {
        const auto byte = Windows1252Byte(code);
        if (!byte) return std::nullopt;
        bytes.push_back(*byte);
    }
    return bytes;
}

}  // namespace tarpel::eeprom
