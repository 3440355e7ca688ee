#include "cli/ImmediateStopPort.h"

#include "cli/StopSignals.h"

namespace tarpel::cli {

void ImmediateStopPort::StopIfForced() {
    if (ForcedStopSignal() == 0) return;
    inner_->DlPortWritePortUchar(hw::DataPort, 0x00);
    // The caller is never returned to, so nothing will use the board after it goes.
    inner_.reset();
    EndForcedStop();
}

void ImmediateStopPort::DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) {
    StopIfForced();
    inner_->DlPortWritePortUchar(port, value);
}

std::uint8_t ImmediateStopPort::DlPortReadPortUchar(std::uint16_t port) {
    StopIfForced();
    return inner_->DlPortReadPortUchar(port);
}

}  // namespace tarpel::cli
