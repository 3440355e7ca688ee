// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

namespace tarpel::files {

namespace {

namespace fs = std::filesystem;

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteAndClose(int fd, std::span<const std::uint8_t> bytes) {
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    return written && closed;
}

// For a file the user may write in a folder they may not create files in: no temporary can
// stand beside it, so the file is rewritten where it is, as a plain save would do.
bool WriteInPlace(const fs::path& path, std::span<const std::uint8_t> bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    return fd >= 0 && WriteAndClose(fd, bytes);
}

}  // namespace

bool WriteFileAtomically(const std::string& requested, std::span<const std::uint8_t> bytes) {
    std::error_code error;
    fs::path path(requested);
    // A link stays a link: the file it leads to is the one replaced.
    if (fs::is_symlink(path, error)) {
        path = fs::weakly_canonical(path, error);
        if (error) return false;
    }
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    // Only a regular file is replaced: a device, a FIFO or a folder stays what it is.
    if (exists && !S_ISREG(existing.st_mode)) {
        errno = S_ISDIR(existing.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    // A file the user made read-only is not replaced behind their back.
    if (exists && ::access(path.c_str(), W_OK) != 0) return false;

    // A short name of its own, so that a long file name does not overflow the folder's limit.
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::string temporary = (folder / ".tarpel-XXXXXX").string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return exists && (errno == EACCES || errno == EROFS) && WriteInPlace(path, bytes);

    // mkstemp creates 0600: the new file takes the old one's permissions, or those the umask allows.
    mode_t mode = 0;
    if (exists) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
    if (!WriteAndClose(fd, bytes) || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself reaches the disk with the folder: a counter that handed out a number
    // must not come back with it after a power cut.
    if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace tarpel::files
