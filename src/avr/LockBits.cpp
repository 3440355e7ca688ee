// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/LockBits.h"

#include "avr/LockMode.h"

namespace tarpel::avr {

std::optional<std::uint8_t> ReadLockByte(CommandFrame& frame) {
    if (!frame.Device().lockBitsReadable) return std::nullopt;
    return frame.Link().ReadLockBits();
}

std::optional<std::uint8_t> WriteLockByte(CommandFrame& frame, std::uint8_t lockByte) {
    link::AvrLink& link = frame.Link();
    if (!frame.Device().lockBitsReadable) {
        link.WriteLockBitsAt90s(static_cast<std::uint8_t>(lockByte & LockBitsMask));
        return std::nullopt;
    }
    link.WriteLockBits(lockByte);
    return link.ReadLockBits();
}

}  // namespace tarpel::avr
