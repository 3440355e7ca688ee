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
    std::int32_t size;          // bytes, ChipSize when selected: 128 x 2^index
    int wordAddressBytes;       // 1 up to the 24C16, which carry A8..A10 in the control byte
    int pageSize;               // bytes of the chip's page buffer
    // The control-byte bit that takes the lowest address bit above the word address bytes (A8 of
    // a one-byte chip, A16 of a 128 KiB one): bit 1 on every chip here. The 24LC1025 would take
    // A16 in bit 3, but it also needs its A2 pin high, which the board ties low.
    int controlAddressBit = 1;
};

// The 24C01 and 24C02 get 8-byte pages: some makers' 24C02 have 16, none fewer than 8.
// The 128 and 256 KiB chips (AT24C1024B, M24M01, AT24CM01; AT24CM02) carry A16 (and A17) in the
// control byte after two address bytes.
inline constexpr std::array<ChipType, 12> ChipCatalogue{{
    {"24C01 -1 kb", "24C01", 128, 1, 8},
    {"24C02 -2 kb", "24C02", 256, 1, 8},
    {"24C04 - 0.5kb", "24C04", 512, 1, 16},
    {"24C08 - 1 kb", "24C08", 1024, 1, 16},
    {"24C16 - 2 kb", "24C16", 2048, 1, 16},
    {"24C32 - 4 kb", "24C32", 4096, 2, 32},
    {"24C64 - 8 kb", "24C64", 8192, 2, 32},
    {"24C128 -16 kb", "24C128", 16384, 2, 64},
    {"24C256 - 32 kb", "24C256", 32768, 2, 64},
    {"24C512 - 64 kb", "24C512", 65536, 2, 128},
    {"24C1024 -128 kb", "24C1024", 131072, 2, 256},
    {"24CM02 -256 kb", "24CM02", 262144, 2, 256},
}};

inline constexpr int DefaultChipIndex = 7;  // "24C128 -16 kb"

// The catalogue index of the chip of that name, its letters in either case ("24c512" as well as
// "24C512"), as the console's --chip and the window's stored choice give it; none for no chip.
constexpr std::optional<int> ChipIndexOf(std::string_view name) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    for (std::size_t index = 0; index < ChipCatalogue.size(); ++index)
        if (std::ranges::equal(ChipCatalogue[index].name, name, {}, upper, upper)) return static_cast<int>(index);
    return std::nullopt;
}

}  // namespace tarpel::eeprom
