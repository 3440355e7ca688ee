// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/BinaryFile.h"

#include <fcntl.h>
#include <unistd.h>

#include "files/AtomicFile.h"

namespace tarpel::files {

BinaryReadResult ReadBinaryFile(const std::string& fileName, std::span<std::uint8_t> buffer) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    std::size_t count = 0;
    bool failed = false;
    while (count < buffer.size()) {
        // An EINTR is not retried: tarpel-cli's stop signals interrupt a read blocked on a FIFO.
        // A folder opens like a file on this system and only fails when read.
        const ssize_t n = ::read(fd, buffer.data() + count, buffer.size() - count);
        if (n <= 0) {
            failed = n < 0;
            break;
        }
        count += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return {!failed, count};
}

bool WriteBinaryFile(const std::string& fileName, std::span<const std::uint8_t> bytes) {
    return WriteFileAtomically(fileName, bytes);
}

}  // namespace tarpel::files
