#include "avr/FileImage.h"

#include <filesystem>
#include <span>

#include "avr/CommandFrame.h"
#include "files/BinaryFile.h"
#include "files/FileKind.h"
#include "files/HexRead.h"
#include "files/ImageFileMessages.h"
#include "shell/Translate.h"

namespace tarpel::avr {

FileImage LoadFileImage(const std::string& fileName, const ImageLimits& limits) {
    FileImage image;
    image.bytes.assign(limits.capacity, 0xFF);
    std::span<std::uint8_t> buffer(image.bytes);
    if (fileName.empty()) return image;  // no file chosen yet: nothing to open
    const files::FileKind kind = files::FileKindOf(fileName);
    switch (kind) {
    case files::FileKind::Binary: {
        const auto read = files::ReadBinaryFile(fileName, buffer.first(limits.binaryBytes));
        image.read.opened = read.opened;
        image.read.hasData = read.count > 0;
        // Only the first bytes are taken, but the size error names the whole file.
        std::error_code error;
        const auto size = std::filesystem::file_size(fileName, error);
        image.read.dataEnd = std::max<std::uint64_t>(read.count, error ? 0 : size);
        break;
    }
    case files::FileKind::Hex:
        image.read = files::HexRead(fileName, limits.hexLimit, buffer, limits.hexOrigin);
        break;
    case files::FileKind::Other:
        image.load = ImageLoad::UnknownKind;
        return image;
    }
    if (!image.read.opened) image.load = ImageLoad::Unreadable;
    else if (kind == files::FileKind::Hex && !image.read.hasData) image.load = ImageLoad::NoHexData;
    else image.load = ImageLoad::Loaded;
    return image;
}

void ReportUnloadable(shell::Shell& shell, ImageLoad load) {
    // Programming an all-0xFF image in place of a file that gave none would report success
    // for nothing done, and overwrite the EEPROM's contents with 0xFF.
    switch (load) {
    case ImageLoad::Loaded:
        break;
    case ImageLoad::Unreadable:
        shell.MessageBox(files::UnreadableFileText, ErrorCaption);
        break;
    case ImageLoad::UnknownKind:
        shell.MessageBox(files::UnknownKindText, ErrorCaption);
        break;
    case ImageLoad::NoHexData:
        shell.MessageBox(files::NoHexDataText, ErrorCaption);
        break;
    }
}

namespace {

bool Fits(const FileImage& image, int memorySize) {
    return image.read.dataEnd <= static_cast<std::uint64_t>(memorySize);
}

void ReportTooMuchData(shell::Shell& shell, const FileImage& image, const ImageLimits& limits, int memorySize) {
    shell.MessageBox(Tr("El fichero llega hasta el byte ") + std::to_string(image.read.dataEnd) + Tr(" y ") +
                         TrText(limits.memoryName) + Tr(" del micro solo tiene ") + std::to_string(memorySize) +
                         Tr(" bytes!!"),
                     ErrorCaption);
}

}  // namespace

bool ReportFileImage(shell::Shell& shell, const FileImage& image, const ImageLimits& limits) {
    if (image.load != ImageLoad::Loaded) {
        ReportUnloadable(shell, image.load);
        return false;
    }
    if (image.read.wrongLines > 0) shell.MessageBox(files::WrongLinesText(image.read), files::WarningCaption);
    if (Fits(image, limits.largestSize)) return true;
    ReportTooMuchData(shell, image, limits, limits.largestSize);
    return false;
}

bool CheckImageFits(CommandFrame& frame, const FileImage& image, const ImageLimits& limits, int memorySize) {
    if (Fits(image, memorySize)) return true;
    frame.StopCommand();
    ReportTooMuchData(frame.Shell(), image, limits, memorySize);
    return false;
}

}  // namespace tarpel::avr
