// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The AVR devices the programmer knows, one row per device: signature, the caption the window
// shows, memory sizes, how the flash is written and whether the lock bits read back. The fuse
// bytes of each device are DeviceFuses'.
// The sizes are never stored elsewhere: every command derives them from DeviceKind here.
#include <array>
#include <cstdint>
#include <string_view>

#include "avr/DeviceKind.h"
#include "link/AvrLink.h"

namespace tarpel::avr {

enum class FlashWriteMode {
    ByteByByte,  // AT90S: one write instruction per byte, each self-timed
    Pages,       // ATmega: a page of bytes into the page buffer, then one page write
};

struct DeviceType {
    link::AvrSignature signature;
    std::string_view caption;  // what lbTipo shows
    DeviceKind kind;
    int flashSize;   // bytes
    int eepromSize;  // bytes
    FlashWriteMode flashWrite;
    int flashPageSize;  // bytes of a flash page (Pages), 0 for byte-wise writes
    // Whether the lock bits can be read back over the serial interface (the AT90S parts can
    // only write them).
    bool lockBitsReadable;
    // What the device answers to an EEPROM read while a write is under way. A value equal to
    // one of these cannot be confirmed by polling, so its write is waited out instead.
    std::array<std::uint8_t, 2> eepromBusyAnswers;
};

// The ATmega162 takes the ATmega8515's serial programming pins in the same 40-pin DIP.
inline constexpr std::array<DeviceType, 4> DeviceTable{{
    {{0x1E, 0x93, 0x01}, "AT90S8515 (8kb flash)", DeviceKind::AT90S8515, 8192, 512, FlashWriteMode::ByteByByte, 0,
     false, {0x80, 0x7F}},
    {{0x1E, 0x92, 0x01}, "AT90S4414 (4kb flash)", DeviceKind::AT90S4414, 4096, 256, FlashWriteMode::ByteByByte, 0,
     false, {0x80, 0x7F}},
    {{0x1E, 0x93, 0x06}, "ATMEGA 8515 (8kb flash)", DeviceKind::ATmega8515, 8192, 512, FlashWriteMode::Pages, 64,
     true, {0xFF, 0xFF}},
    {{0x1E, 0x94, 0x04}, "ATMEGA 162 (16kb flash)", DeviceKind::ATmega162, 16384, 512, FlashWriteMode::Pages, 128,
     true, {0xFF, 0xFF}},
}};

// What a device locked against reading and writing answers to the three signature reads.
inline constexpr link::AvrSignature LockedSignature{0x00, 0x01, 0x02};

// The row with this signature, or null for a device the programmer does not know.
constexpr const DeviceType* FindDevice(const link::AvrSignature& signature) {
    for (const auto& device : DeviceTable) {
        if (device.signature == signature) return &device;
    }
    return nullptr;
}

constexpr const DeviceType& DeviceOf(DeviceKind kind) { return DeviceTable[static_cast<std::size_t>(kind)]; }
constexpr int FlashSize(DeviceKind kind) { return DeviceOf(kind).flashSize; }
constexpr int EepromSize(DeviceKind kind) { return DeviceOf(kind).eepromSize; }
constexpr int FlashPageSize(DeviceKind kind) { return DeviceOf(kind).flashPageSize; }

static_assert(DeviceOf(DeviceKind::AT90S4414).kind == DeviceKind::AT90S4414, "rows in DeviceKind order");
static_assert(DeviceOf(DeviceKind::ATmega8515).kind == DeviceKind::ATmega8515, "rows in DeviceKind order");
static_assert(DeviceOf(DeviceKind::ATmega162).kind == DeviceKind::ATmega162, "rows in DeviceKind order");

}  // namespace tarpel::avr
