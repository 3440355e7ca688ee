// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The 24Cxx chip catalogue: one row per chip of the "Tipo de memoria:" list.
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tarpel::eeprom {

struct ChipType {
    std::string_view itemText;  // as the drop-down list shows it
    std::string_view name;      // the part's own name, for files and the console
    std::int32_t size;          // bytes, ChipSize when selected: 128 x 2^(index + 2)
    int wordAddressBytes;       // 1 for the 24C04/08/16, which carry A8..A10 in the control byte
    int pageSize;               // bytes of the chip's page buffer
};

inline constexpr std::array<ChipType, 8> ChipCatalogue{{
    {"24C04 - 0.5kb", "24C04", 512, 1, 16},
    {"24C08 - 1 kb", "24C08", 1024, 1, 16},
    {"24C16 - 2 kb", "24C16", 2048, 1, 16},
    {"24C32 - 4 kb", "24C32", 4096, 2, 32},
    {"24C64 - 8 kb", "24C64", 8192, 2, 32},
    {"24C128 -16 kb", "24C128", 16384, 2, 64},
    {"24C256 - 32 kb", "24C256", 32768, 2, 64},
    {"24C512 - 64 kb", "24C512", 65536, 2, 128},
}};

inline constexpr int DefaultChipIndex = 5;  // "24C128 -16 kb"

// The catalogue index of the chip of that name, its letters in either case ("24c512" as well as
// "24C512"), as the console's --chip and the window's stored choice give it; none for no chip.
constexpr std::optional<int> ChipIndexOf(std::string_view name) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    for (std::size_t index = 0; index < ChipCatalogue.size(); ++index)
        if (std::ranges::equal(ChipCatalogue[index].name, name, {}, upper, upper)) return static_cast<int>(index);
    return std::nullopt;
}

}  // namespace tarpel::eeprom
