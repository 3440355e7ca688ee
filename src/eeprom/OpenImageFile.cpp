#include "eeprom/OpenImageFile.h"

#include <algorithm>
#include <span>
#include <string_view>

#include "files/BinaryFile.h"
#include "files/FileKind.h"
#include "files/HexRead.h"

namespace tarpel::eeprom {

namespace {

constexpr std::size_t BinaryReadCapacity = 100000;
constexpr std::string_view WarningCaption = "AVISO:";
constexpr std::string_view MoreDataWarning =
    "El archivo contiene mas datos de los que el \rchip seleccionado puede almacenar: Se truncaran los datos";
constexpr std::string_view LessDataWarning =
    "El archivo contiene menos datos de los que el \rchip seleccionado puede almacenar: Se rellenara con FF";

bool LoadBinary(EepromWorkspace& workspace, shell::Shell& shell, const std::string& fileName) {
    std::span<std::uint8_t> image(workspace.MemoryImage);
    const auto read = files::ReadBinaryFile(fileName, image.first(std::min(BinaryReadCapacity, image.size())));
    // Both are warnings only: the bytes read stay, those past the chip lie in the slack.
    const auto chipSize = static_cast<std::size_t>(workspace.ChipSize);
    if (read.count > chipSize) shell.MessageBox(MoreDataWarning, WarningCaption);
    if (read.count < chipSize) shell.MessageBox(LessDataWarning, WarningCaption);
    return read.opened;
}

}  // namespace

CommandOutcome OpenImageFile(CommandFrame& frame) {
    const auto fileName = frame.Shell().ChooseOpenFile();
    if (!fileName) return CommandOutcome::Cancelled;
    return OpenImageFrom(frame, *fileName);
}

CommandOutcome OpenImageFrom(CommandFrame& frame, const std::string& fileName) {
    EepromWorkspace& workspace = frame.Workspace();
    // Once a file is chosen, the earlier image is gone whatever the file turns out to be.
    std::fill(workspace.MemoryImage.begin(), workspace.MemoryImage.end(), std::uint8_t{0xFF});
    bool loaded = false;
    switch (files::FileKindOf(fileName)) {
    case files::FileKind::Binary:
        loaded = LoadBinary(workspace, frame.Shell(), fileName);
        break;
    case files::FileKind::Hex:
        // The image holds ChipSize + 255 bytes and more, so a record at the limit fits whole.
        loaded = files::HexRead(fileName, workspace.ChipSize, workspace.MemoryImage);
        break;
    case files::FileKind::Other:
        break;
    }
    frame.RefreshGrid();
    return loaded ? CommandOutcome::Done : CommandOutcome::Failed;
}

}  // namespace tarpel::eeprom
