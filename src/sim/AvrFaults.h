// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The faults a virtual AVR can be made with, already parsed from the "avr-..." option names
// (see AvrFactory.h for the names). Plain data; the device reads it when it is made.
#include <cstdint>
#include <optional>

namespace tarpel::sim {

struct AvrFaults {
    bool locked = false;            // starts in lock mode 3 (both lock bits programmed)
    // ATmega8515: in lock mode 3 the signature still reads. Its datasheet disables only the
    // verification of flash and EEPROM and, unlike the AT90S ones, says nothing of the
    // signature: both behaviours are within it, and this is the other one.
    bool lockKeepsSignature = false;
    bool unknownSignature = false;  // answers a signature no program knows
    bool noAnswer = false;          // never drives MISO and never enters programming mode
    std::optional<std::uint32_t> stuckFlashByte;  // this flash byte address never programs
};

}  // namespace tarpel::sim
