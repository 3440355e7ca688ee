// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Raw binary image files: the bytes of one memory from address 0, no header, no addresses.
// Reading takes the file's first bytes up to a capacity; writing replaces the whole file.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tarpel::files {

struct BinaryReadResult {
    bool opened = false;     // the file could be opened and read without error
    std::size_t count = 0;   // bytes placed at the start of the buffer
};

// Reads up to buffer.size() bytes of fileName into buffer; the rest of buffer keeps its value.
// A file that cannot be opened reads as no bytes at all.
BinaryReadResult ReadBinaryFile(const std::string& fileName, std::span<std::uint8_t> buffer);

// Writes exactly these bytes as fileName. An existing file is replaced only once the new one
// is complete; false, with any old file untouched, when it cannot be created or written whole.
bool WriteBinaryFile(const std::string& fileName, std::span<const std::uint8_t> bytes);

}  // namespace tarpel::files
