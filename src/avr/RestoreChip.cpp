// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/RestoreChip.h"

#include "avr/BackupChip.h"
#include "avr/CommandEntry.h"
#include "avr/DeviceProgram.h"
#include "shell/Fill.h"
#include "shell/ReportText.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

CommandOutcome Restore(CommandFrame& frame, const std::string& fileName, bool ask) {
    shell::Shell& shell = frame.Shell();
    // Everything the file can be refused for is found out before the chip is erased: afterwards
    // a refusal would leave the user with a blank device.
    DeviceProgram program;
    if (!LoadElfProgram(shell, fileName, program)) return CommandOutcome::Failed;
    if (ask && !shell.AskYesNo(shell::Fill(Tr("Se borrara el chip, y su flash, su eeprom interna, sus fuses y sus bits "
                                              "de bloqueo seran los de la copia:\r%1\r\rRestaurar la copia?"),
                                           {shell::FileNameText(fileName)}),
                               Tr("AVISO:"))) {
        return CommandOutcome::Cancelled;
    }
    if (const CommandOutcome written =
            WriteDeviceProgram(frame, program, true, Tr("La copia no se ha restaurado bien"));
        written != CommandOutcome::Done)
        return written;
    shell.SetCursor(shell::CursorShape::Default);
    shell.Report(shell::Fill(Tr("Copia %1 restaurada y comprobada en el %2"),
                             {shell::FileNameText(fileName), frame.Device().caption}));
    shell.MessageBox(Tr("Copia restaurada y comprobada !!"), "OK");
    return CommandOutcome::Done;
}

}  // namespace

CommandOutcome RestoreChip(CommandFrame& frame) {
    const auto choose = [](shell::Shell& shell) {
        return shell.ChooseElfFile(shell::Shell::FileUse::Open, BackupOpenCaption);
    };
    return RunOnChosenFile(frame, choose,
                           [&](const std::string& fileName) { return Restore(frame, fileName, true); });
}

CommandOutcome RestoreChipFrom(CommandFrame& frame, const std::string& fileName) {
    return RunCommand(frame, [&] { return Restore(frame, fileName, false); });
}

}  // namespace tarpel::avr
