// SPDX-License-Identifier: GPL-2.0-or-later
#include "production/SerialCounter.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <limits>
#include <string_view>

#include "files/AtomicFile.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::production {

namespace {

// Holds an exclusive lock on the file the path names now; the new file written atomically
// replaces it, so a program that waited for the lock on the old one must look again.
class LockedFile {
public:
    explicit LockedFile(const std::string& path) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd_ < 0) return;
            struct stat locked {}, named {};
            if (::flock(fd_, LOCK_EX) == 0 && ::fstat(fd_, &locked) == 0 && ::stat(path.c_str(), &named) == 0 &&
                locked.st_ino == named.st_ino && locked.st_dev == named.st_dev)
                return;
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~LockedFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_ = -1;
};

}  // namespace

std::optional<std::uint64_t> TakeSerial(const std::string& path, std::uint64_t largest, std::string& error) {
    const LockedFile file(path);
    if (file.Fd() < 0) {
        error = shell::Fill(Tr("No se puede abrir el contador %1 (%2)"), {path, std::strerror(errno)});
        return std::nullopt;
    }
    char text[64];
    ssize_t length = 0;
    do length = ::read(file.Fd(), text, sizeof text);
    while (length < 0 && errno == EINTR);
    std::string_view content(text, length > 0 ? static_cast<std::size_t>(length) : 0);
    while (!content.empty() && (content.back() == '\n' || content.back() == '\r' || content.back() == ' '))
        content.remove_suffix(1);
    std::uint64_t number = 0;
    const auto [end, failed] = std::from_chars(content.data(), content.data() + content.size(), number);
    if (content.empty() || failed != std::errc() || end != content.data() + content.size() ||
        length == static_cast<ssize_t>(sizeof text)) {
        error = shell::Fill(Tr("El contador %1 no tiene un numero decimal en una linea"), {path});
        return std::nullopt;
    }
    if (number > largest || number == std::numeric_limits<std::uint64_t>::max()) {
        error = shell::Fill(Tr("El numero de serie %1 del contador %2 no cabe en su sitio (como mucho %3)"),
                            {std::to_string(number), path, std::to_string(largest)});
        return std::nullopt;
    }
    const std::string next = std::to_string(number + 1) + "\n";
    if (!files::WriteFileAtomically(path, std::span(reinterpret_cast<const std::uint8_t*>(next.data()), next.size()))) {
        error = shell::Fill(Tr("No se puede guardar el contador %1 (%2)"), {path, std::strerror(errno)});
        return std::nullopt;
    }
    return number;
}

}  // namespace tarpel::production
