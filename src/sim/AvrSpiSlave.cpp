// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/AvrSpiSlave.h"

namespace tarpel::sim {

void AvrSpiSlave::Restart() {
    lastSample_ = false;
    settled_ = false;
    mosiAtFirstSample_ = false;
    edgesInPhase_ = 2;
    in_ = 0;
    out_ = 0;
    miso_ = false;
    bit_ = 0;
    byteIndex_ = 0;
}

bool AvrSpiSlave::SckChanged() {
    const bool tooShort = edgesInPhase_ < 2;
    edgesInPhase_ = 0;
    return tooShort;
}

AvrSpiSlave::Step AvrSpiSlave::Rising() {
    // MOSI as it was when SCK was first seen high: the chip's sampling point of the rising edge.
    in_ = static_cast<std::uint8_t>((in_ << 1) | (mosiAtFirstSample_ ? 1 : 0));
    out_ = static_cast<std::uint8_t>(out_ << 1);
    if (++bit_ < 8) return {};
    bit_ = 0;
    Step step{true, in_, byteIndex_};
    byteIndex_ = (byteIndex_ + 1) & 3;
    return step;
}

AvrSpiSlave::Step AvrSpiSlave::Falling() {
    miso_ = (out_ & 0x80) != 0;
    return {};
}

}  // namespace tarpel::sim
