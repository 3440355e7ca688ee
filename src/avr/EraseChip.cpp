// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/EraseChip.h"

#include "avr/CommandEntry.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

CommandOutcome Erase(CommandFrame& frame) {
    shell::Shell& shell = frame.Shell();
    shell.SetCursor(shell::CursorShape::Hourglass);
    if (!frame.EnterProgrammingMode()) return CommandOutcome::Failed;
    // The erase has no answer to check: once the device is in programming mode it is done.
    frame.Link().ChipErase();
    shell.SetCursor(shell::CursorShape::Default);
    shell.Report(Tr("Flash y eeprom interna borradas"));
    shell.MessageBox(Tr("Chip borrado !!"), "OK");
    return CommandOutcome::Done;
}

}  // namespace

CommandOutcome EraseChip(CommandFrame& frame) {
    return RunCommand(frame, [&] { return Erase(frame); });
}

}  // namespace tarpel::avr
