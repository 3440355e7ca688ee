#include "avr/FuseDevice.h"

namespace tarpel::avr {

bool IdentifyFuseDevice(CommandFrame& frame) {
    frame.Shell().SetCursor(shell::CursorShape::Hourglass);
    if (!frame.IdentifyDevice()) {
        frame.StopCommand();
        return false;
    }
    if (!frame.Device().fusesAllowed) {
        frame.StopCommand();
        frame.Shell().ShowMessage(FusesRefusedMessage);
        return false;
    }
    return true;
}

}  // namespace tarpel::avr
