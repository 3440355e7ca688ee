#include "files/ImageFileMessages.h"

namespace tarpel::files {

std::string WrongLinesText(const ImageFileRead& read, std::string_view format) {
    const std::string first = std::to_string(read.firstWrongLine);
    const std::string kind(format);
    if (read.wrongLines == 1)
        return "El fichero tiene 1 linea que no es un registro " + kind + " valido (la linea " + first +
               "): \rse ha cargado tal como esta";
    return "El fichero tiene " + std::to_string(read.wrongLines) + " lineas que no son registros " + kind +
           " validos (la primera, la linea " + first + "): \rse han cargado tal como estan";
}

}  // namespace tarpel::files
