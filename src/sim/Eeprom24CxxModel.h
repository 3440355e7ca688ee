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
    // Address bits above the word address bytes (A8.. of one-byte parts, A16.. of the 128 and
    // 256 KiB parts) carried in control-byte bits b1..
    int blockBits;
    std::uint32_t pageBytes;
};

// AT24C01A / 24LC01B and AT24C02 / 24LC02B: 1010 A2 A1 A0 after one address byte, 8-byte pages.
// AT24C1024B, M24M01, AT24CM01: two address bytes, A16 in b1 (P0), A2 A1 on b3 b2, 256-byte
// pages. AT24CM02: A17 A16 in b2 b1, A2 on b3, 256-byte pages.
inline constexpr std::array<Eeprom24CxxModel, 12> Eeprom24CxxModels{{
    {"24C01", 128, 1, 0, 8},
    {"24C02", 256, 1, 0, 8},
    {"24C04", 512, 1, 1, 16},
    {"24C08", 1024, 1, 2, 16},
    {"24C16", 2048, 1, 3, 16},
    {"24C32", 4096, 2, 0, 32},
    {"24C64", 8192, 2, 0, 32},
    {"24C128", 16384, 2, 0, 64},
    {"24C256", 32768, 2, 0, 64},
    {"24C512", 65536, 2, 0, 128},
    {"24C1024", 131072, 2, 1, 256},
    {"24CM02", 262144, 2, 2, 256},
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
