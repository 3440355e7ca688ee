// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Every byte in which two images of the same memory differ, with both values: what a
// verification or a comparison found, for the difference list of the window and the lines
// tarpel-cli prints. Pure computation; nothing here reads a chip or a file.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tarpel::files {

struct ByteDifference {
    std::uint32_t address = 0;
    std::uint8_t expected = 0;  // what the file or the image holds
    std::uint8_t found = 0;     // what the chip (or the other file) holds

    bool operator==(const ByteDifference&) const = default;
};

// Every address below the shorter length where the two differ, in rising order.
std::vector<ByteDifference> DifferencesBetween(std::span<const std::uint8_t> expected,
                                               std::span<const std::uint8_t> found);

// An address as the grid shows it: at least four upper-case hexadecimal digits ("00A0", "1FFFF").
std::string AddressText(std::uint32_t address);
// "0010: fichero 41, chip FF", the two names given by the caller.
std::string DifferenceText(const ByteDifference& difference, const std::string& expectedName,
                           const std::string& foundName);

}  // namespace tarpel::files
