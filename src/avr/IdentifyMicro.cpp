// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/IdentifyMicro.h"

#include <string>

#include "avr/CommandEntry.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

CommandOutcome Identify(CommandFrame& frame) {
    // The label is cleared and repainted before the board work keeps the window busy.
    frame.View().SetDeviceCaption("??");
    frame.Shell().ProcessMessages();
    frame.IdentifyDevice();
    frame.SwitchOff();
    if (frame.LastIdentification() != Identification::Known) return CommandOutcome::Failed;
    frame.Shell().Report(shell::Fill(Tr("Micro identificado: %1"), {frame.Device().caption}));
    return CommandOutcome::Done;
}

}  // namespace

CommandOutcome IdentifyMicro(CommandFrame& frame) {
    return RunCommand(frame, [&] { return Identify(frame); });
}

}  // namespace tarpel::avr
