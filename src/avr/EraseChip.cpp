#include "avr/EraseChip.h"

#include "shell/Translate.h"

namespace tarpel::avr {

CommandOutcome EraseChip(CommandFrame& frame) {
    const auto scope = frame.Begin();
    if (!scope) return CommandOutcome::Failed;
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

}  // namespace tarpel::avr
