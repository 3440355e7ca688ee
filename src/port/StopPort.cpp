// SPDX-License-Identifier: GPL-2.0-or-later
#include "port/StopPort.h"

namespace tarpel::port {

void StopPort::StopIfRequested() {
    if (!stopRequested_()) return;
    inner_->DlPortWritePortUchar(DataPort, 0x00);
    // The caller is never returned to, so nothing will use the board after it goes.
    inner_.reset();
    stop_();
}

void StopPort::DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) {
    StopIfRequested();
    inner_->DlPortWritePortUchar(port, value);
}

std::uint8_t StopPort::DlPortReadPortUchar(std::uint16_t port) {
    StopIfRequested();
    return inner_->DlPortReadPortUchar(port);
}

Port::Sample StopPort::RequestSample() {
    StopIfRequested();
    return inner_->RequestSample();
}

std::uint8_t StopPort::StatusOf(Sample sample) {
    StopIfRequested();
    return inner_->StatusOf(sample);
}

void StopPort::DropSample(Sample sample) { inner_->DropSample(sample); }

bool StopPort::HoldLines(std::uint64_t nanoseconds) {
    StopIfRequested();
    return inner_->HoldLines(nanoseconds);
}

}  // namespace tarpel::port
