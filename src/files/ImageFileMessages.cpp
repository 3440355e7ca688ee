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

std::string LinesAfterEndText(const ImageFileRead& read) {
    if (read.linesAfterEnd == 1)
        return shell::Fill(Tr("El fichero sigue despues de su registro final: la linea %1 \rno se ha cargado"),
                           {read.firstLineAfterEnd});
    return shell::Fill(Tr("El fichero sigue despues de su registro final: %1 lineas desde la linea %2 \rno se han "
                          "cargado"),
                       {read.linesAfterEnd, read.firstLineAfterEnd});
}

std::string NoDataRefusal(const ImageFileRead& read, std::uint64_t memorySize) {
    // Going on would program nothing but 0xFF over what the chip holds, and call it done.
    if (read.dataStart == ImageFileRead::NoData) return Tr("El fichero no contiene ningun dato!!");
    if (read.dataStart < memorySize) return {};
    return shell::Fill(Tr("Ningun dato del fichero cae dentro de los %1 bytes del chip: el primero esta en el byte "
                          "%2!!"),
                       {memorySize, read.dataStart});
}

}  // namespace tarpel::files
