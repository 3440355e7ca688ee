// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A chip in one of the board's two sockets. Both sockets see every data-port write, as on the
// real board, where the two line maps share bits 0..4.
#include <cstdint>
#include <optional>

#include "sim/ProtocolViolation.h"

namespace tarpel::sim {

class SocketChip {
public:
    virtual ~SocketChip() = default;
    // The data port changed (or was rewritten with the same byte) at this virtual time.
    virtual void OnDataWrite(std::uint8_t data, std::uint64_t nowNs) = 0;
    virtual const ViolationLog& Violations() const = 0;
    virtual void ClearViolations() = 0;
};

// The 24Cxx socket: the chip's open-drain SDA output.
class EepromSocketChip : public SocketChip {
public:
    // False while the chip pulls SDA low; an unpowered or absent chip releases it.
    virtual bool SdaReleased(std::uint64_t nowNs) const = 0;
    // The PC read the status port, SDA's return line among it, at this virtual time.
    virtual void OnStatusRead(std::uint64_t) {}
};

// The AVR socket: MISO, when the device drives it.
class AvrSocketChip : public SocketChip {
public:
    // The level on MISO, or nullopt while the device does not drive the line.
    virtual std::optional<bool> Miso(std::uint64_t nowNs) const = 0;
};

}  // namespace tarpel::sim
