// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/BackupChip.h"

#include "avr/ChipContents.h"
#include "avr/CommandEntry.h"
#include "avr/ElfWrite.h"
#include "avr/LockBits.h"
#include "files/FileKind.h"
#include "shell/Fill.h"
#include "shell/ReportText.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

constexpr std::string_view CannotCreate = TrNoop("No se puede crear fichero!!");

CommandOutcome ReadAndSave(CommandFrame& frame, const std::string& fileName) {
    shell::Shell& shell = frame.Shell();
    // Only an ELF file holds every memory at its own address; under another name the copy would
    // be something no restore could take. Said before the whole chip is read for nothing.
    if (files::FileKindOf(fileName) != files::FileKind::Elf) {
        shell.MessageBox(shell::Fill(Tr("La copia de seguridad del micro es un fichero ELF: el nombre debe acabar "
                                        "en .elf (%1)!!"),
                                     {shell::FileNameText(fileName)}),
                         ErrorCaption);
        return CommandOutcome::Failed;
    }
    shell.SetCursor(shell::CursorShape::Hourglass);
    if (!frame.IdentifyDevice()) {
        frame.StopCommand();
        return CommandOutcome::Failed;
    }
    // A chip locked against reading answers something that is not its contents: no copy of it.
    if (!LockAllowsReading(frame)) return CommandOutcome::Failed;
    // The AT90S parts cannot report theirs: their copy has no .lock section.
    const std::optional<std::uint8_t> lock = ReadLockByte(frame);
    ElfContents contents;
    // Part of a chip is no copy of it: a stopped read saves nothing.
    if (!ReadChipContents(frame, contents)) return frame.StoppedOutcome();
    contents.lock = lock;
    frame.StopCommand();
    if (!ElfWrite(fileName, contents)) {
        shell.MessageBox(CannotCreate, ErrorCaption);
        return CommandOutcome::Failed;
    }
    shell.Report(shell::Fill(Tr("Copia de seguridad del %1 guardada en %2"),
                             {frame.Device().caption, shell::FileNameText(fileName)}));
    return CommandOutcome::Done;
}

}  // namespace

CommandOutcome BackupChip(CommandFrame& frame) {
    const auto choose = [](shell::Shell& shell) { return shell.ChooseElfFile(shell::Shell::FileUse::Save, BackupSaveCaption); };
    return RunOnChosenFile(frame, choose, [&](const std::string& fileName) { return ReadAndSave(frame, fileName); });
}

CommandOutcome BackupChipTo(CommandFrame& frame, const std::string& fileName) {
    return RunCommand(frame, [&] { return ReadAndSave(frame, fileName); });
}

}  // namespace tarpel::avr
