#include "avr/IdentifyMicro.h"

#include <string>

#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::avr {

CommandOutcome IdentifyMicro(CommandFrame& frame) {
    const auto scope = frame.Begin();
    if (!scope) return CommandOutcome::Failed;
    // The label is cleared and repainted before the board work keeps the window busy.
    frame.View().SetDeviceCaption("??");
    frame.Shell().ProcessMessages();
    frame.IdentifyDevice();
    frame.SwitchOff();
    if (frame.LastIdentification() != Identification::Known) return CommandOutcome::Failed;
    frame.Shell().Report(shell::Fill(Tr("Micro identificado: %1"), {frame.Device().caption}));
    return CommandOutcome::Done;
}

}  // namespace tarpel::avr
