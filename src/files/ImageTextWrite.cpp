// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/ImageTextWrite.h"

#include "files/AtomicFile.h"

namespace tarpel::files {

namespace {

constexpr std::int32_t MaxCount = 262144;  // the largest chip, a 24CM02

}  // namespace

bool WriteImageText(const std::string& fileName, std::span<const std::uint8_t> buffer, std::int32_t count,
                    ImageText imageText) {
    if (count < 0 || count > MaxCount || static_cast<std::size_t>(count) > buffer.size()) return false;
    const std::string text = imageText(buffer.first(static_cast<std::size_t>(count)));
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    return WriteFileAtomically(fileName, std::span(bytes, text.size()));
}

}  // namespace tarpel::files
