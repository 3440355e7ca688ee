#include "eeprom/SaveImageFile.h"

#include <span>
#include <string_view>

#include "files/BinaryFile.h"
#include "files/FileKind.h"
#include "files/HexWrite.h"

namespace tarpel::eeprom {

namespace {

constexpr std::string_view CannotCreate = "No se puede crear fichero!!";
constexpr std::string_view ErrorCaption = "ERROR";

}  // namespace

void SaveImageFile(EepromWorkspace& workspace, shell::Shell& shell) {
    const auto fileName = shell.ChooseSaveFile();
    if (!fileName) return;
    SaveImageTo(workspace, shell, *fileName);
}

bool SaveImageTo(EepromWorkspace& workspace, shell::Shell& shell, const std::string& fileName) {
    const std::span<const std::uint8_t> image(workspace.MemoryImage);
    bool written = false;
    switch (files::FileKindOf(fileName)) {
    case files::FileKind::Binary:
        shell.SetCursor(shell::CursorShape::Hourglass);
        written = files::WriteBinaryFile(fileName, image.first(static_cast<std::size_t>(workspace.ChipSize)));
        shell.SetCursor(shell::CursorShape::Default);
        break;
    case files::FileKind::Hex:
        written = files::HexWrite(fileName, image, workspace.ChipSize);
        break;
    case files::FileKind::Other:
        return false;
    }
    // A HEX file that could not be written is reported like a binary one: saying nothing
    // would let the user believe the image is safe on disk.
    if (!written) shell.MessageBox(CannotCreate, ErrorCaption);
    return written;
}

}  // namespace tarpel::eeprom
