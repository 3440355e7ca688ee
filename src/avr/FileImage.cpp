// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/FileImage.h"

#include <cstdio>
#include <filesystem>
#include <span>

#include "avr/CommandFrame.h"
#include "files/BinaryFile.h"
#include "files/FileKind.h"
#include "files/HexRead.h"
#include "files/ImageFileMessages.h"
#include "files/InputSize.h"
#include "files/SrecRead.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

void LoadElf(const std::string& fileName, const ImageLimits& limits, FileImage& image) {
    ElfReadResult elf = ElfRead(fileName, limits.elfMemory);
    image.read.opened = true;
    image.elfError = std::move(elf.error);
    if (!image.elfError.empty()) return;
    const std::vector<std::uint8_t>& bytes = elf.Memory(limits.elfMemory);
    // What lies past the buffer is no part of any device's memory: the size error names it.
    std::copy_n(bytes.begin(), std::min(bytes.size(), image.bytes.size()), image.bytes.begin());
    image.read.hasData = true;
    image.read.dataEnd = bytes.size();
    if (!bytes.empty()) image.read.dataStart = 0;
    image.signature = std::move(elf.signature);
}

}  // namespace

FileImage LoadFileImage(const std::string& fileName, const ImageLimits& limits) {
    FileImage image;
    image.bytes.assign(limits.capacity, 0xFF);
    std::span<std::uint8_t> buffer(image.bytes);
    if (fileName.empty()) return image;  // no file chosen yet: nothing to open
    const files::FileKind kind = files::FileKindOf(fileName);
    image.kind = kind;
    // A binary file is read only as far as the buffer goes; the others would be read whole.
    if (kind != files::FileKind::Binary && kind != files::FileKind::Other && files::TooLargeInput(fileName)) {
        image.load = ImageLoad::TooLarge;
        return image;
    }
    switch (kind) {
    case files::FileKind::Binary: {
        const auto read = files::ReadBinaryFile(fileName, buffer.first(limits.binaryBytes));
        image.read.opened = read.opened;
        image.read.hasData = read.count > 0;
        if (read.count > 0) image.read.dataStart = 0;
        // Only the first bytes are taken, but the size error names the whole file.
        std::error_code error;
        const auto size = std::filesystem::file_size(fileName, error);
        image.read.dataEnd = std::max<std::uint64_t>(read.count, error ? 0 : size);
        break;
    }
    case files::FileKind::Hex:
        image.read = files::HexRead(fileName, limits.hexLimit, buffer, limits.hexOrigin);
        break;
    case files::FileKind::Srec:
        image.read = files::SrecRead(fileName, buffer, limits.hexOrigin);
        break;
    case files::FileKind::Elf:
        LoadElf(fileName, limits, image);
        break;
    case files::FileKind::Other:
        image.load = ImageLoad::UnknownKind;
        return image;
    }
    if (!image.elfError.empty()) image.load = ImageLoad::ElfRefused;
    else if (!image.read.opened) image.load = ImageLoad::Unreadable;
    else if (kind == files::FileKind::Hex && !image.read.hasData) image.load = ImageLoad::NoHexData;
    else if (kind == files::FileKind::Srec && !image.read.hasData) image.load = ImageLoad::NoSrecData;
    else image.load = ImageLoad::Loaded;
    return image;
}

void ReportUnloadable(shell::Shell& shell, const FileImage& image) {
    // Programming an all-0xFF image in place of a file that gave none would report success
    // for nothing done, and overwrite the EEPROM's contents with 0xFF.
    switch (image.load) {
    case ImageLoad::Loaded:
        break;
    case ImageLoad::Unreadable:
        shell.MessageBox(files::UnreadableFileText, ErrorCaption);
        break;
    case ImageLoad::UnknownKind:
        shell.MessageBox(files::UnknownAvrKindText, ErrorCaption);
        break;
    case ImageLoad::NoHexData:
        shell.MessageBox(files::NoHexDataText, ErrorCaption);
        break;
    case ImageLoad::NoSrecData:
        shell.MessageBox(files::NoSrecDataText, ErrorCaption);
        break;
    case ImageLoad::ElfRefused:
        shell.MessageBox(image.elfError, ErrorCaption);
        break;
    case ImageLoad::TooLarge:
        shell.MessageBox(files::TooLargeText, ErrorCaption);
        break;
    }
}

namespace {

bool Fits(const FileImage& image, int memorySize) {
    return image.read.dataEnd <= static_cast<std::uint64_t>(memorySize);
}

// The device a signature stands for, as the window names it; the bytes for one it does not know.
std::string DeviceName(const std::vector<std::uint8_t>& signature) {
    if (signature.size() == 3) {
        if (const DeviceType* device = FindDevice({signature[0], signature[1], signature[2]}))
            return std::string(device->caption);
    }
    std::string bytes;
    for (const std::uint8_t byte : signature) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X", byte);
        bytes += (bytes.empty() ? "" : " ") + std::string(digits);
    }
    return shell::Fill(Tr("micro de firma %1"), {bytes});
}

void ReportTooMuchData(shell::Shell& shell, const FileImage& image, const ImageLimits& limits, int memorySize) {
    shell.MessageBox(shell::Fill(Tr("El fichero llega hasta el byte %1 y %2 del micro solo tiene %3 bytes!!"),
                                 {image.read.dataEnd, TrText(limits.memoryName), memorySize}),
                     ErrorCaption);
}

}  // namespace

bool ReportFileImage(shell::Shell& shell, const FileImage& image, const ImageLimits& limits) {
    if (image.load != ImageLoad::Loaded) {
        // A read cut short by a stop (tarpel-cli's signal, while it waited on a FIFO) is no fault
        // of the file: the command ends as cancelled, without an error.
        if (shell.ProgressCancelRequested()) return false;
        ReportUnloadable(shell, image);
        return false;
    }
    if (const std::string refusal = files::NoDataRefusal(image.read, static_cast<std::uint64_t>(limits.largestSize));
        !refusal.empty()) {
        shell.MessageBox(refusal, ErrorCaption);
        return false;
    }
    if (image.read.wrongLines > 0) {
        const std::string_view format = image.kind == files::FileKind::Srec ? "S-record" : "HEX";
        shell.MessageBox(files::WrongLinesText(image.read, format), files::WarningCaption);
    }
    if (image.read.linesAfterEnd > 0) shell.MessageBox(files::LinesAfterEndText(image.read), files::WarningCaption);
    if (Fits(image, limits.largestSize)) return true;
    ReportTooMuchData(shell, image, limits, limits.largestSize);
    return false;
}

bool ApplyPatch(FileImage& image, const ImagePatch& patch) {
    if (patch.address > image.bytes.size() || patch.bytes.size() > image.bytes.size() - patch.address) return false;
    std::copy(patch.bytes.begin(), patch.bytes.end(), image.bytes.begin() + patch.address);
    image.read.hasData = true;
    image.read.dataEnd = std::max<std::uint64_t>(image.read.dataEnd, patch.address + patch.bytes.size());
    return true;
}

void ReportPatchBeyond(shell::Shell& shell, const ImagePatch& patch, const ImageLimits& limits) {
    shell.MessageBox(shell::Fill(Tr("El numero de serie (bytes %1 a %2) cae fuera de %3, que tiene %4 bytes!!"),
                                 {patch.address, patch.address + patch.bytes.size() - 1, TrText(limits.memoryName),
                                  limits.largestSize}),
                     ErrorCaption);
}

bool CheckImageFits(CommandFrame& frame, const FileImage& image, const ImageLimits& limits, int memorySize) {
    if (Fits(image, memorySize)) return true;
    frame.StopCommand();
    ReportTooMuchData(frame.Shell(), image, limits, memorySize);
    return false;
}

bool CheckFileDevice(CommandFrame& frame, const std::vector<std::uint8_t>& signature) {
    if (signature.empty()) return true;
    const link::AvrSignature& identified = frame.Device().signature;
    if (std::equal(signature.begin(), signature.end(), identified.begin(), identified.end())) return true;
    frame.StopCommand();
    frame.Shell().MessageBox(shell::Fill(Tr("El fichero es para un %1 y el micro del zocalo es un %2!!"),
                                         {DeviceName(signature), frame.Device().caption}),
                             ErrorCaption);
    return false;
}

}  // namespace tarpel::avr
