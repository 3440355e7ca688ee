// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/ReadLockBits.h"

#include <optional>

#include "avr/CommandEntry.h"
#include "avr/LockBits.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

CommandOutcome ReadAndShow(CommandFrame& frame) {
    frame.Shell().SetCursor(shell::CursorShape::Hourglass);
    if (!frame.IdentifyDevice()) {
        frame.StopCommand();
        return CommandOutcome::Failed;
    }
    const std::optional<std::uint8_t> lockByte = ReadLockByte(frame);
    frame.StopCommand();
    if (!lockByte) {
        frame.Shell().MessageBox(shell::Fill(Tr("El %1 no tiene instruccion para leer sus bits de bloqueo: solo se "
                                                "pueden grabar.\rSi esta en el modo 3, al identificarlo se ve "
                                                "protegido contra lectura/escritura."),
                                             {frame.Device().caption}),
                                 Tr("AVISO:"));
        return CommandOutcome::Failed;
    }
    frame.View().LockBitsKnown(*lockByte);
    frame.Shell().Report(Tr("Bits de bloqueo leidos"));
    return CommandOutcome::Done;
}

}  // namespace

CommandOutcome ReadLockBits(CommandFrame& frame) {
    return RunCommand(frame, [&] { return ReadAndShow(frame); });
}

}  // namespace tarpel::avr
