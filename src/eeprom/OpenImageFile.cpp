// SPDX-License-Identifier: GPL-2.0-or-later
#include "eeprom/OpenImageFile.h"

#include <algorithm>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "files/BinaryFile.h"
#include "files/FileKind.h"
#include "files/HexRead.h"
#include "files/ImageFileMessages.h"
#include "files/InputSize.h"
#include "files/SrecRead.h"
#include "shell/Fill.h"
#include "shell/ReportText.h"
#include "shell/Translate.h"

namespace tarpel::eeprom {

namespace {

constexpr std::size_t BinaryReadCapacity = 100000;
constexpr std::string_view MoreDataWarning =
    TrNoop("El archivo contiene mas datos de los que el \rchip seleccionado puede almacenar: Se truncaran los datos");
constexpr std::string_view LessDataWarning =
    TrNoop("El archivo contiene menos datos de los que el \rchip seleccionado puede almacenar: Se rellenara con FF");

LoadedImageFile LoadBinary(const std::string& fileName, std::size_t chipSize) {
    LoadedImageFile file;
    const auto read = files::ReadBinaryFile(fileName, std::span(file.image).first(std::max(BinaryReadCapacity, chipSize)));
    if (!read.opened) {
        file.error = files::UnreadableFileText;
        return file;
    }
    std::fill_n(file.held.begin(), std::min(read.count, file.held.size()), std::uint8_t{1});
    files::ImageFileRead bytes;
    if (read.count > 0) bytes.dataStart = 0;
    file.error = files::NoDataRefusal(bytes, chipSize);
    if (!file.error.empty()) return file;
    // Both are warnings only: the bytes read stay, those past the chip lie in the slack.
    if (read.count > chipSize) file.warnings.emplace_back(MoreDataWarning);
    if (read.count < chipSize) file.warnings.emplace_back(LessDataWarning);
    return file;
}

// What a text image file's reader found, as warnings or as the error that refuses the file.
LoadedImageFile Judge(LoadedImageFile file, const files::ImageFileRead& read, std::int32_t chipSize,
                      std::string_view format, std::string_view noDataText) {
    if (!read.opened) {
        file.error = files::UnreadableFileText;
    } else if (!read.hasData) {
        // Loading it would wipe the image to 0xFF and let the chip be programmed with nothing.
        file.error = noDataText;
    } else if (file.error = files::NoDataRefusal(read, static_cast<std::uint64_t>(std::max(chipSize, 0)));
               file.error.empty()) {
        if (read.wrongLines > 0) file.warnings.push_back(files::WrongLinesText(read, format));
        if (read.linesAfterEnd > 0) file.warnings.push_back(files::LinesAfterEndText(read));
        if (read.dataEnd > static_cast<std::uint64_t>(chipSize)) file.warnings.emplace_back(MoreDataWarning);
    }
    return file;
}

LoadedImageFile LoadHex(const std::string& fileName, std::int32_t chipSize) {
    LoadedImageFile file;
    // The image holds ChipSize + 255 bytes and more, so a record at the limit fits whole.
    const files::ImageFileRead read = files::HexRead(fileName, chipSize, file.image, 0, file.held);
    return Judge(std::move(file), read, chipSize, "HEX", files::NoHexDataText);
}

LoadedImageFile LoadSrec(const std::string& fileName, std::int32_t chipSize) {
    LoadedImageFile file;
    // Bytes past the chip land in the image's slack, as a HEX record's do; the reader drops
    // only those past the whole image, and dataEnd still tells how far the file reached.
    const files::ImageFileRead read = files::SrecRead(fileName, file.image, 0, file.held);
    return Judge(std::move(file), read, chipSize, "S-record", files::NoSrecDataText);
}

}  // namespace

LoadedImageFile LoadImageFile(const std::string& fileName, std::int32_t chipSize) {
    const files::FileKind kind = files::FileKindOf(fileName);
    if ((kind == files::FileKind::Hex || kind == files::FileKind::Srec) && files::TooLargeInput(fileName)) {
        LoadedImageFile file;
        file.error = files::TooLargeText;
        return file;
    }
    switch (kind) {
    case files::FileKind::Binary: return LoadBinary(fileName, static_cast<std::size_t>(std::max(chipSize, 0)));
    case files::FileKind::Hex: return LoadHex(fileName, chipSize);
    case files::FileKind::Srec: return LoadSrec(fileName, chipSize);
    case files::FileKind::Elf:  // an AVR program's file: nothing in it is meant for a 24Cxx
    case files::FileKind::Other: break;
    }
    LoadedImageFile file;
    file.error = files::UnknownKindText;
    return file;
}

std::optional<LoadedImageFile> LoadImageFileOrTell(shell::Shell& shell, const std::string& fileName,
                                                   std::int32_t chipSize) {
    LoadedImageFile file = LoadImageFile(fileName, chipSize);
    if (file.error.empty()) return file;
    // A read cut short by a stop (tarpel-cli's signal, while it waited on a FIFO): no error.
    if (shell.ProgressCancelRequested()) return std::nullopt;
    shell.MessageBox(file.error, files::ErrorCaption);
    return std::nullopt;
}

CommandOutcome OpenImageFile(CommandFrame& frame) {
    const auto fileName = frame.Shell().ChooseOpenFile();
    if (!fileName) return CommandOutcome::Cancelled;
    return OpenImageFrom(frame, *fileName);
}

CommandOutcome OpenImageFrom(CommandFrame& frame, const std::string& fileName, std::vector<std::uint8_t>* held) {
    EepromWorkspace& workspace = frame.Workspace();
    shell::Shell& shell = frame.Shell();
    // A file that gives no image leaves the image, and the grid that shows it, as they were.
    const std::optional<LoadedImageFile> loaded = LoadImageFileOrTell(shell, fileName, workspace.ChipSize);
    if (!loaded) return CommandOutcome::Failed;
    const LoadedImageFile& file = *loaded;
    if (held) *held = file.held;
    // Whatever the image held before is gone: the file's bytes on an all-0xFF image.
    std::copy_n(file.image.begin(), std::min(file.image.size(), workspace.MemoryImage.size()),
                workspace.MemoryImage.begin());
    // Reported first: the window's status line says what was done beside the warnings' boxes.
    shell.Report(shell::Fill(Tr("%1 cargado en la imagen de la %2"),
                             {shell::FileNameText(fileName), workspace.Chip().name}));
    for (const auto& warning : file.warnings) shell.MessageBox(warning, files::WarningCaption);
    frame.RefreshGrid();
    return CommandOutcome::Done;
}

}  // namespace tarpel::eeprom
