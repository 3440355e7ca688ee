// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/FileKind.h"

#include <algorithm>
#include <string_view>

namespace tarpel::files {

namespace {

bool IsUtf8Continuation(char ch) { return (static_cast<unsigned char>(ch) & 0xC0) == 0x80; }

}  // namespace

std::string FileSuffix3(const std::string& fileName) {
    std::size_t start = fileName.size();
    for (int characters = 0; characters < 3 && start > 0; ++characters) {
        --start;
        while (start > 0 && IsUtf8Continuation(fileName[start])) --start;
    }
    return fileName.substr(start);
}

FileKind FileKindOf(const std::string& fileName) {
    // ASCII letters only: the C locale's toupper would keep 'i' under a Turkish locale, and a
    // lower-case ".bin" would then be no known kind at all.
    std::string name = fileName;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch; });
    struct Ending {
        std::string_view text;
        FileKind kind;
    };
    // S19, S28 and S37 name the S-record address width (16, 24, 32 bits); the reader takes all three.
    constexpr Ending Endings[] = {{"BIN", FileKind::Binary}, {"HEX", FileKind::Hex},  {"SREC", FileKind::Srec},
                                  {"S19", FileKind::Srec},   {"S28", FileKind::Srec}, {"S37", FileKind::Srec},
                                  {"MOT", FileKind::Srec},   {"ELF", FileKind::Elf}};
    for (const auto& [text, kind] : Endings) {
        if (name.ends_with(text)) return kind;
    }
    return FileKind::Other;
}

}  // namespace tarpel::files
