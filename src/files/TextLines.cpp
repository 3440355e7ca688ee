// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/TextLines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace tarpel::files {

namespace {

constexpr char EndOfInput = '\x1A';
constexpr std::size_t ChunkSize = 64 * 1024;

bool ReadToEnd(int fd, std::string& text) {
    // The size is only a first guess: the file may change while it is read. One byte more than
    // it, so that a file read whole is seen to end without growing the text.
    struct stat status {};
    const bool sized = ::fstat(fd, &status) == 0 && status.st_size > 0 &&
                       static_cast<std::uint64_t>(status.st_size) <= MaxTextFileBytes;
    text.resize(sized ? static_cast<std::size_t>(status.st_size) + 1 : ChunkSize);
    std::size_t used = 0;
    for (;;) {
        if (used > MaxTextFileBytes) return false;
        if (used == text.size()) text.resize(text.size() + ChunkSize);
        // An EINTR is not retried: tarpel-cli's stop signals interrupt a read blocked on a FIFO.
        const ssize_t n = ::read(fd, text.data() + used, std::min(text.size() - used, MaxTextFileBytes + 1 - used));
        if (n <= 0) {
            text.resize(used);
            return n == 0;
        }
        used += static_cast<std::size_t>(n);
    }
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& fileName) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string text;
    const bool read = ReadToEnd(fd, text);
    ::close(fd);
    if (!read) return std::nullopt;
    return text;
}

TextLines::TextLines(std::string_view text) : rest_(text.substr(0, text.find(EndOfInput))) {}

}  // namespace tarpel::files
