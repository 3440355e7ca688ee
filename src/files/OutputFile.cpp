// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/OutputFile.h"

#include <sys/stat.h>

#include <cerrno>

#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::files {

bool IsFitForOutput(const std::string& fileName) {
    struct stat found {};
    // A link that leads nowhere yet is fit: the file is created where it leads.
    if (::stat(fileName.c_str(), &found) != 0) return errno == ENOENT;
    return S_ISREG(found.st_mode);
}

std::string OutputRefusal(const std::string& fileName) {
    struct stat found {};
    if (::stat(fileName.c_str(), &found) != 0 || S_ISREG(found.st_mode)) return {};
    return shell::Fill(Tr("%1 no es un fichero normal (es un dispositivo, una FIFO o una carpeta): no se ha tocado. "
                          "Elija otro nombre!!"),
                       {fileName});
}

}  // namespace tarpel::files
