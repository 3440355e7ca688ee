// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/ImageFileMessages.h"

#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::files {

std::string WrongLinesText(const ImageFileRead& read, std::string_view format) {
    if (read.wrongLines == 1)
        return shell::Fill(Tr("El fichero tiene 1 linea que no es un registro %1 valido (la linea %2): \rse ha cargado "
                              "tal como esta"),
                           {format, read.firstWrongLine});
    return shell::Fill(Tr("El fichero tiene %1 lineas que no son registros %2 validos (la primera, la linea %3): \rse "
                          "han cargado tal como estan"),
                       {read.wrongLines, format, read.firstWrongLine});
}

}  // namespace tarpel::files
