// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Contents for the reading, verifying and blank-test tests: recognisable byte patterns and a
// bench whose device is seeded with them before the board is made.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "AvrBench.h"

namespace tarpel::test {

// size bytes that differ from their neighbours and are never 0xFF.
inline std::vector<std::uint8_t> Pattern(std::size_t size, unsigned seed = 0) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>((i * 7 + (i >> 8) + seed) % 0xFF);
    return bytes;
}

// size erased bytes.
inline std::vector<std::uint8_t> Blank(std::size_t size) { return std::vector<std::uint8_t>(size, 0xFF); }

// A bench on the simulated board whose device holds these memories (empty: left erased).
inline std::unique_ptr<AvrBench> SeededBench(const TempFolder& folder, const std::string& model,
                                             const std::vector<std::uint8_t>& flash,
                                             const std::vector<std::uint8_t>& eeprom = {},
                                             std::vector<std::string> faults = {}) {
    if (!flash.empty()) StoreMemory(folder, model, "flash", flash);
    if (!eeprom.empty()) StoreMemory(folder, model, "eeprom", eeprom);
    return std::make_unique<AvrBench>(SimOptions(folder, model, std::move(faults)));
}

}  // namespace tarpel::test
