// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/BinaryFile.h"

#include <fstream>

#include "files/AtomicFile.h"

namespace tarpel::files {

BinaryReadResult ReadBinaryFile(const std::string& fileName, std::span<std::uint8_t> buffer) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file.is_open()) return {};
    file.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
    const auto count = static_cast<std::size_t>(file.gcount());
    // A folder opens like a file on this system and only fails when read.
    return {!file.bad(), count};
}

bool WriteBinaryFile(const std::string& fileName, std::span<const std::uint8_t> bytes) {
    return WriteFileAtomically(fileName, bytes);
}

}  // namespace tarpel::files
