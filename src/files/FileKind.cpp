#include "files/FileKind.h"

#include <algorithm>

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
    std::string suffix = FileSuffix3(fileName);
    // ASCII letters only: the C locale's toupper would keep 'i' under a Turkish locale, and a
    // lower-case ".bin" would then be no known kind at all.
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch; });
    if (suffix == "BIN") return FileKind::Binary;
    if (suffix == "HEX") return FileKind::Hex;
    return FileKind::Other;
}

}  // namespace tarpel::files
