#include "files/ImageFileMessages.h"

#include "shell/Translate.h"

namespace tarpel::files {

std::string WrongLinesText(const ImageFileRead& read, std::string_view format) {
    const std::string first = std::to_string(read.firstWrongLine);
    const std::string kind(format);
    if (read.wrongLines == 1)
        return Tr("El fichero tiene 1 linea que no es un registro ") + kind + Tr(" valido (la linea ") + first +
               Tr("): \rse ha cargado tal como esta");
    return Tr("El fichero tiene ") + std::to_string(read.wrongLines) + Tr(" lineas que no son registros ") + kind +
           Tr(" validos (la primera, la linea ") + first + Tr("): \rse han cargado tal como estan");
}

}  // namespace tarpel::files
