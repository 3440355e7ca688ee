#include "avr/IdentifyMicro.h"

namespace tarpel::avr {

CommandOutcome IdentifyMicro(CommandFrame& frame) {
    const auto scope = frame.Begin();
    if (!scope) return CommandOutcome::Failed;
    // The label is cleared and repainted before the board work keeps the window busy.
    frame.View().SetDeviceCaption("??");
    frame.Shell().ProcessMessages();
    frame.IdentifyDevice();
    frame.SwitchOff();
    return frame.LastIdentification() == Identification::Known ? CommandOutcome::Done : CommandOutcome::Failed;
}

}  // namespace tarpel::avr
