// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/WriteLockBits.h"

#include <cstdio>
#include <optional>
#include <string>

#include "avr/CommandEntry.h"
#include "avr/LockBits.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

// Bits 7..6 of the lock byte are unused: whatever the device reads there is no difference.
constexpr std::uint8_t LockByteBits = 0x3F;

std::string ByteText(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "$%02X", value);
    return text;
}

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
            shell::Fill(Tr("Los bits de bloqueo %1 no son ningun modo: LB2 programado sin LB1!!"), {ByteText(lockByte)}),
            ErrorCaption);
        return CommandOutcome::Failed;
    }
    const LockModeRow& row = RowOf(*mode);
    if (ask && !Confirm(frame, row)) return CommandOutcome::Cancelled;
    const std::optional<std::uint8_t> read = WriteLockByte(frame, lockByte);
    frame.StopCommand();
    if (read) frame.View().LockBitsKnown(*read);
    if (read && (*read & LockByteBits) != (lockByte & LockByteBits)) {
        frame.Shell().MessageBox(shell::Fill(Tr("Los bits de bloqueo leidos no coinciden con los grabados!!\rGrabados: "
                                                "%1\rLeidos: %2\rUn bit ya programado solo se borra con un borrado "
                                                "del chip."),
                                             {ByteText(lockByte), ByteText(*read)}),
                                 ErrorCaption);
        return CommandOutcome::Failed;
    }
    frame.Shell().Report(shell::Fill(Tr("Bits de bloqueo grabados: %1"), {TrText(row.caption)}));
    frame.Shell().MessageBox(read ? Tr("Bits de bloqueo grabados !!")
                                  : Tr("Bits de bloqueo grabados !!\rEste micro no deja leerlos para comprobarlo."),
                             "OK");
    return CommandOutcome::Done;
}

}  // namespace

CommandOutcome WriteLockBits(CommandFrame& frame, std::uint8_t lockByte, bool ask) {
    return RunCommand(frame, [&] { return WriteAndCheck(frame, lockByte, ask); });
}

}  // namespace tarpel::avr
