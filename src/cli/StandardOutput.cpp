// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/StandardOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::cli {

void HoldClosedStandardOutput() {
    if (::fcntl(STDOUT_FILENO, F_GETFD) >= 0 || errno != EBADF) return;
    // Read-only: every write to it fails with EBADF, as it would on the closed descriptor.
    const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (fd >= 0 && fd != STDOUT_FILENO) {
        ::dup2(fd, STDOUT_FILENO);
        ::close(fd);
    }
}

bool StandardOutputDelivered(std::ostream& err) {
    errno = 0;
    std::cout.flush();
    const bool flushed = std::fflush(stdout) == 0;
    const int cause = errno;
    if (std::cout.good() && flushed && !std::ferror(stdout)) return true;
    err << "tarpel-cli: "
        << shell::Fill(Tr("no se ha podido escribir la salida estandar%1: lo que la orden mostraba se ha perdido"),
                       {cause != 0 ? std::string(" (") + std::strerror(cause) + ")" : std::string()})
        << '\n';
    return false;
}

}  // namespace tarpel::cli
