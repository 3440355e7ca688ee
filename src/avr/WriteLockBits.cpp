// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/WriteLockBits.h"

#include <optional>
#include <string>

#include "avr/CommandEntry.h"
#include "avr/LockBits.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

bool Confirm(CommandFrame& frame, const LockModeRow& row) {
    if (row.refusal.empty()) return true;  // mode 1 programs nothing
    frame.Shell().SetCursor(shell::CursorShape::Default);
    const std::string question =
        shell::Fill(Tr("Grabar \"%1\"?\r\r%2\rSolo un borrado del chip (que borra tambien la flash y la eeprom "
                       "interna) quita el bloqueo."),
                    {TrText(row.caption), TrText(row.refusal)});
    if (!frame.Shell().AskYesNo(question, Tr("AVISO:"))) {
        frame.StopCommand();
        return false;
    }
    frame.Shell().SetCursor(shell::CursorShape::Hourglass);
    return true;
}

CommandOutcome WriteAndCheck(CommandFrame& frame, std::uint8_t lockByte, bool ask) {
    frame.Shell().SetCursor(shell::CursorShape::Hourglass);
    if (!frame.IdentifyDevice()) {
        frame.StopCommand();
        return CommandOutcome::Failed;
    }
    const std::optional<LockMode> mode = LockModeOf(lockByte);
    if (!mode) {
        frame.StopCommand();
        frame.Shell().MessageBox(
            shell::Fill(Tr("Los bits de bloqueo %1 no son ningun modo: LB2 programado sin LB1!!"), {LockByteText(lockByte)}),
            ErrorCaption);
        return CommandOutcome::Failed;
    }
    const LockModeRow& row = RowOf(*mode);
    if (ask && !Confirm(frame, row)) return CommandOutcome::Cancelled;
    if (!WriteCheckedLockByte(frame, lockByte)) return CommandOutcome::Failed;
    frame.Shell().Report(shell::Fill(Tr("Bits de bloqueo grabados: %1"), {TrText(row.caption)}));
    frame.Shell().MessageBox(frame.Device().lockBitsReadable ? Tr("Bits de bloqueo grabados !!")
                                  : Tr("Bits de bloqueo grabados !!\rEste micro no deja leerlos para comprobarlo."),
                             "OK");
    return CommandOutcome::Done;
}

}  // namespace

CommandOutcome WriteLockBits(CommandFrame& frame, std::uint8_t lockByte, bool ask) {
    return RunCommand(frame, [&] { return WriteAndCheck(frame, lockByte, ask); });
}

}  // namespace tarpel::avr
