// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/BoardLines.h"

namespace tarpel::link {

std::uint8_t ComposeBusByte(const BusLines& lines) {
    std::uint8_t value = 0;
    if (lines.supply) value |= bits::Supply;
    if (lines.scl) value |= bits::SclXtal;
    if (lines.sda) value |= bits::SdaReset;
    return value;
}

std::uint8_t ComposeIspByte(const IspLines& lines) {
    std::uint8_t value = 0;
    if (lines.vcc) value |= bits::Supply;
    if (lines.xtal) value |= bits::SclXtal;
    if (lines.reset) value |= bits::SdaReset;
    if (lines.mosi) value |= bits::Mosi;
    if (lines.sck) value |= bits::Sck;
    return value;
}

void BoardLines::WriteBusLines(bool supply, bool scl, bool sda) {
    bus_ = {supply, scl, sda};
    port_.DlPortWritePortUchar(port::DataPort, ComposeBusByte(bus_));
}

void BoardLines::SetScl(bool level) { WriteBusLines(bus_.supply, level, bus_.sda); }
void BoardLines::SetSda(bool level) { WriteBusLines(bus_.supply, bus_.scl, level); }
void BoardLines::BusPowerUp() { WriteBusLines(true, true, true); }

bool BoardLines::ReadSdaIn() {
    return (port_.DlPortReadPortUchar(port::StatusPort) & bits::StatusSdaInverted) == 0;
}

void BoardLines::WriteIspLines(bool vcc, bool sck, bool mosi, bool reset, bool xtal) {
    isp_ = {vcc, sck, mosi, reset, xtal};
    port_.DlPortWritePortUchar(port::DataPort, ComposeIspByte(isp_));
}

void BoardLines::SetXtal(bool level) {
    WriteIspLines(isp_.vcc, isp_.sck, isp_.mosi, isp_.reset, level);
}
void BoardLines::SetSck(bool level) {
    WriteIspLines(isp_.vcc, level, isp_.mosi, isp_.reset, isp_.xtal);
}
void BoardLines::SetMosi(bool level) {
    WriteIspLines(isp_.vcc, isp_.sck, level, isp_.reset, isp_.xtal);
}

bool BoardLines::ReadMiso() {
    return (port_.DlPortReadPortUchar(port::StatusPort) & bits::StatusMiso) != 0;
}

}  // namespace tarpel::link
