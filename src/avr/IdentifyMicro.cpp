#include "avr/IdentifyMicro.h"

#include <string>

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
    frame.Shell().Report(Tr("Micro identificado: ") + std::string(frame.Device().caption));
    return CommandOutcome::Done;
}

}  // namespace tarpel::avr
