// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The 24Cxx EEPROMs the board's socket can hold, as their datasheets give them: one row per part
// with its size, word address, block-select bits and page buffer. Written apart from the
// program's own chip list on purpose, so that a wrong figure there shows against the chip.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace tarpel::sim {

struct Eeprom24CxxModel {
    std::string_view name;  // as the datasheet spells it; also the name of the chip's file
    std::uint32_t bytes;
    int wordAddressBytes;  // address bytes after the control byte
    int blockBits;         // address bits A8.. carried in control-byte bits b1.. (one-byte parts)
    std::uint32_t pageBytes;
};

inline constexpr std::array<Eeprom24CxxModel, 8> Eeprom24CxxModels{{
    {"24C04", 512, 1, 1, 16},
    {"24C08", 1024, 1, 2, 16},
    {"24C16", 2048, 1, 3, 16},
    {"24C32", 4096, 2, 0, 32},
    {"24C64", 8192, 2, 0, 32},
    {"24C128", 16384, 2, 0, 64},
    {"24C256", 32768, 2, 0, 64},
    {"24C512", 65536, 2, 0, 128},
}};

// tWR: every datasheet of the family gives 5 ms as the longest internal write cycle.
inline constexpr std::uint64_t MaxWriteCycleNs = 5'000'000;

// The row of that name, its letters in either case ("24c32" as well as "24C32", as --sim-eeprom
// takes it); null when the name is none of the rows.
inline const Eeprom24CxxModel* FindEeprom24CxxModel(std::string_view name) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    for (const auto& model : Eeprom24CxxModels)
        if (std::ranges::equal(model.name, name, {}, upper, upper)) return &model;
    return nullptr;
}

}  // namespace tarpel::sim
