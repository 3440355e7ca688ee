// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Bytes a command puts into a file's image over what the file gives: a production run's serial
// number, at its address in the memory.
#include <cstdint>
#include <vector>

namespace tarpel::files {

struct ImagePatch {
    std::uint32_t address = 0;
    std::vector<std::uint8_t> bytes;
};

}  // namespace tarpel::files
