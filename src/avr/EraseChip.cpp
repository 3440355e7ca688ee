// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/EraseChip.h"

#include "avr/CommandEntry.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

CommandOutcome Erase(CommandFrame& frame) {
    shell::Shell& shell = frame.Shell();
    shell.SetCursor(shell::CursorShape::Hourglass);
    if (!frame.EnterProgrammingMode()) return frame.StartOutcome();
    if (frame.StopBeforeWriting()) return frame.StoppedOutcome();
    // The erase has no answer to check: once the device is in programming mode it is done. Its
    // wait is not cut short by a stop: a chip unpowered halfway through is neither old nor blank.
    frame.Link().ChipErase();
    frame.NoteWritten(Tr(ErasedText));
    shell.SetCursor(shell::CursorShape::Default);
    shell.Report(Tr(ErasedText));
    shell.MessageBox(Tr("Chip borrado !!"), "OK");
    return CommandOutcome::Done;
}

}  // namespace

CommandOutcome EraseChip(CommandFrame& frame) {
    return RunCommand(frame, [&] { return Erase(frame); });
}

}  // namespace tarpel::avr
