// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The counter file of a production run: a text file holding the next serial number to hand out,
// a decimal number on one line. Taking a number writes the one after it first, whole and synced,
// so that no number is ever handed out twice, even when the program is killed right after, and
// two programs sharing the file wait for each other.
#include <cstdint>
#include <optional>
#include <string>

namespace tarpel::production {

// The number the file holds, now no longer in it: the file holds the next one. Nothing, with
// `error` saying why, when the file cannot be read or written, holds no number, or holds one
// larger than `largest` (then the file is left as it was).
std::optional<std::uint64_t> TakeSerial(const std::string& path, std::uint64_t largest, std::string& error);

}  // namespace tarpel::production
