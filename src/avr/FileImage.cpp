#include "avr/FileImage.h"

#include <span>
#include <string_view>

#include "avr/CommandFrame.h"
#include "files/BinaryFile.h"
#include "files/FileKind.h"
#include "files/HexRead.h"

namespace tarpel::avr {

namespace {

constexpr std::string_view UnreadableMessage = "No se puede abrir el fichero!!";
constexpr std::string_view UnknownKindMessage = "Tipo de fichero desconocido (debe ser .hex o .bin)!!";

}  // namespace

FileImage LoadFileImage(const std::string& fileName, const ImageLimits& limits) {
    FileImage image;
    image.bytes.assign(limits.capacity, 0xFF);
    std::span<std::uint8_t> buffer(image.bytes);
    if (fileName.empty()) return image;  // no file chosen yet: nothing to open
    bool read = false;
    switch (files::FileKindOf(fileName)) {
    case files::FileKind::Binary:
        read = files::ReadBinaryFile(fileName, buffer.first(limits.binaryBytes)).opened;
        break;
    case files::FileKind::Hex:
        read = files::HexRead(fileName, limits.hexLimit, buffer);
        break;
    case files::FileKind::Other:
        image.load = ImageLoad::UnknownKind;
        return image;
    }
    image.load = read ? ImageLoad::Loaded : ImageLoad::Unreadable;
    return image;
}

void ReportUnloadable(shell::Shell& shell, ImageLoad load) {
    // Programming an all-0xFF image in place of a file that gave none would report success
    // for nothing done, and overwrite the EEPROM's contents with 0xFF.
    switch (load) {
    case ImageLoad::Loaded:
        break;
    case ImageLoad::Unreadable:
        shell.MessageBox(UnreadableMessage, ErrorCaption);
        break;
    case ImageLoad::UnknownKind:
        shell.MessageBox(UnknownKindMessage, ErrorCaption);
        break;
    }
}

}  // namespace tarpel::avr
