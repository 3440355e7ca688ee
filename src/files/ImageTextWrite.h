// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the writers of the text image formats (Intel HEX, S-records) share: bytes as two
// upper-case hexadecimal digits, and the checks and the atomic save around the text a format
// makes of an image. The records themselves are each format's own.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tarpel::files {

// Puts value as two upper-case hexadecimal digits at `at` and returns the place after them.
// Inline and into a plain character buffer: it runs once per byte of an image.
inline char* PutHexByte(char* at, std::uint8_t value) {
    constexpr std::string_view digits = "0123456789ABCDEF";
    at[0] = digits[value >> 4];
    at[1] = digits[value & 0x0F];
    return at + 2;
}

// Builds a format's whole text for an image of at most 262,144 bytes.
using ImageText = std::string (*)(std::span<const std::uint8_t> bytes);

// Saves the text imageText makes of bytes 0 .. count - 1 of buffer as fileName, replacing an
// existing file only once the new one is complete. False, with any old file untouched, when
// the file cannot be created or completely written, or when count is negative, above 262,144
// (the largest chip) or beyond buffer.
bool WriteImageText(const std::string& fileName, std::span<const std::uint8_t> buffer, std::int32_t count,
                    ImageText imageText);

}  // namespace tarpel::files
