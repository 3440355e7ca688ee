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

hw::Port::Sample ImmediateStopPort::RequestSample() {
    StopIfForced();
    return inner_->RequestSample();
}

std::uint8_t ImmediateStopPort::StatusOf(Sample sample) {
    StopIfForced();
    return inner_->StatusOf(sample);
}

void ImmediateStopPort::DropSample(Sample sample) { inner_->DropSample(sample); }

bool ImmediateStopPort::HoldLines(std::uint64_t nanoseconds) {
    StopIfForced();
    return inner_->HoldLines(nanoseconds);
}

}  // namespace tarpel::cli
