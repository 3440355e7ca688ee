// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/FolderClaim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <utility>

#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::sim {

FolderClaim FolderClaim::Claim(const std::string& folder, std::string& error) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    // The folder itself is locked, not a file in it: that needs no right to write there.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return {};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return FolderClaim(fd);
    const int cause = errno;
    ::close(fd);
    if (cause == EWOULDBLOCK) {
        error = shell::Fill(Tr("La placa simulada de la carpeta %1 esta en uso por otro programa (tarpel o "
                               "tarpel-cli). Espere a que termine o cierrelo, o use otra carpeta con --sim-dir."),
                            {folder});
    }
    // Any other cause (a file system without locks) leaves the folder unclaimed, as before.
    return {};
}

FolderClaim::~FolderClaim() {
    if (fd_ >= 0) ::close(fd_);
}

FolderClaim& FolderClaim::operator=(FolderClaim&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

}  // namespace tarpel::sim
