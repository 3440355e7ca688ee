// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/OutputFile.h"

#include <sys/stat.h>

#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::files {

std::string OutputRefusal(const std::string& fileName) {
    struct stat found {};
    // A name that leads nowhere yet (a new file, a dangling link) takes the output where it
    // leads; one that cannot be looked at is left to the write, which reports it.
    if (::stat(fileName.c_str(), &found) != 0 || S_ISREG(found.st_mode)) return {};
    return shell::Fill(Tr("%1 no es un fichero normal (es un dispositivo, una FIFO o una carpeta): no se ha tocado. "
                          "Elija otro nombre!!"),
                       {fileName});
}

}  // namespace tarpel::files
