// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Finding a run of bytes in the 24Cxx image, from a position, forwards or backwards, starting
// over at the other end once; and the two ways the user writes what to find: hexadecimal bytes
// or Windows-1252 text, as the grid's two panes show the image. No window, no chip.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tarpel::eeprom {

enum class FindDirection { Forward, Backward };

struct FoundBytes {
    std::int32_t address = 0;
    bool wrapped = false;  // found only after starting over at the other end
};

// The first occurrence of `pattern` in `image` at `from` or after it (Forward) or at `from` or
// before it (Backward); failing that, the search starts over at the image's start (Forward) or
// end (Backward) and stops where it began. `from` may lie outside the image: it then starts at
// the nearer end. Nothing for an empty pattern or one longer than the image.
std::optional<FoundBytes> FindBytes(std::span<const std::uint8_t> image, std::span<const std::uint8_t> pattern,
                                    std::int32_t from, FindDirection direction);

// "41 42 0D", "41420d", "4142 0D": pairs of hex digits, blanks between pairs allowed. Nothing when
// the text holds no byte, another character, or a digit without its pair.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text);

// The Windows-1252 bytes of UTF-16 text; nothing when empty or when a character has no byte in that
// code page.
std::optional<std::vector<std::uint8_t>> Windows1252Bytes(std::u16string_view text);

}  // namespace tarpel::eeprom
