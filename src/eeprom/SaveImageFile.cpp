// SPDX-License-Identifier: GPL-2.0-or-later
#include "eeprom/SaveImageFile.h"

#include <span>
#include <string_view>

#include "files/BinaryFile.h"
#include "files/FileKind.h"
#include "files/HexWrite.h"
#include "files/ImageFileMessages.h"
#include "files/OutputFile.h"
#include "files/SrecWrite.h"
#include "shell/Fill.h"
#include "shell/ReportText.h"
#include "shell/Translate.h"

namespace tarpel::eeprom {

namespace {

constexpr std::string_view CannotCreate = TrNoop("No se puede crear fichero!!");

}  // namespace

CommandOutcome SaveImageFile(CommandFrame& frame) {
    const auto fileName = frame.Shell().ChooseSaveFile();
    if (!fileName) return CommandOutcome::Cancelled;
    return SaveImageTo(frame, *fileName);
}

CommandOutcome SaveImageTo(CommandFrame& frame, const std::string& fileName) {
    const EepromWorkspace& workspace = frame.Workspace();
    shell::Shell& shell = frame.Shell();
    const std::span<const std::uint8_t> image(workspace.MemoryImage);
    if (const std::string refusal = files::OutputRefusal(fileName); !refusal.empty()) {
        shell.MessageBox(refusal, files::ErrorCaption);
        return CommandOutcome::Failed;
    }
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
    case files::FileKind::Srec:
        written = files::SrecWrite(fileName, image, workspace.ChipSize);
        break;
    case files::FileKind::Elf:  // no reader of ELF files would take a 24Cxx image
    case files::FileKind::Other:
        // Writing nothing without a word would let the user believe the image was saved.
        shell.MessageBox(files::UnknownKindText, files::ErrorCaption);
        return CommandOutcome::Failed;
    }
    // A text file that could not be written is reported like a binary one: saying nothing
    // would let the user believe the image is safe on disk.
    if (!written) shell.MessageBox(CannotCreate, files::ErrorCaption);
    else
        shell.Report(shell::Fill(Tr("Guardados %1 bytes en %2"),
                                 {shell::CountText(static_cast<std::uint64_t>(workspace.ChipSize)),
                                  shell::FileNameText(fileName)}));
    return written ? CommandOutcome::Done : CommandOutcome::Failed;
}

}  // namespace tarpel::eeprom
