// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The differences a verification or a comparison found, as tarpel-cli prints them on standard
// output after the verdict: one line per byte, "0010: fichero 41, chip FF", the first
// DifferenceLinesShown of them, then one line with how many more there are.
#include <cstdint>
#include <ostream>
#include <span>
#include <string>

#include "files/ByteDifferences.h"

namespace tarpel::cli {

inline constexpr std::size_t DifferenceLinesShown = 100;

void PrintDifferences(std::ostream& out, std::span<const files::ByteDifference> differences,
                      const std::string& expectedName, const std::string& foundName);

}  // namespace tarpel::cli
