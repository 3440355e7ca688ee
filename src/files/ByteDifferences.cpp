// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/ByteDifferences.h"

#include <algorithm>
#include <cstdio>

namespace tarpel::files {

std::vector<ByteDifference> DifferencesBetween(std::span<const std::uint8_t> expected,
                                               std::span<const std::uint8_t> found) {
    std::vector<ByteDifference> differences;
    const std::size_t count = std::min(expected.size(), found.size());
    for (std::size_t address = 0; address < count; ++address) {
        if (expected[address] != found[address])
            differences.push_back({static_cast<std::uint32_t>(address), expected[address], found[address]});
    }
    return differences;
}

std::string AddressText(std::uint32_t address) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(address));
    return digits;
}

namespace {

std::string ByteText(std::uint8_t value) {
    char digits[4];
    std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(value));
    return digits;
}

}  // namespace

std::string DifferenceText(const ByteDifference& difference, const std::string& expectedName,
                           const std::string& foundName) {
    return AddressText(difference.address) + ": " + expectedName + " " + ByteText(difference.expected) + ", " +
           foundName + " " + ByteText(difference.found);
}

}  // namespace tarpel::files
