// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Reading and writing the lock bits of a device already identified and in programming mode,
// for the lock commands and anything else that must keep or restore them. No message, no
// switching off: the callers do that.
#include <cstdint>
#include <optional>
#include <string>

#include "avr/CommandFrame.h"

namespace tarpel::avr {

// The device's lock byte (ATmega8515 layout: LB1 bit 0, LB2 bit 1, boot lock bits above);
// none for a device that cannot report it (the AT90S parts).
std::optional<std::uint8_t> ReadLockByte(CommandFrame& frame);

// Programs the 0 bits of `lockByte` (ATmega8515 layout; the AT90S parts take LB1 and LB2 only)
// and returns the byte the device reads back afterwards, or none for a device that cannot
// report it. Lock bits can only be programmed: a 1 over a programmed bit leaves it programmed.
std::optional<std::uint8_t> WriteLockByte(CommandFrame& frame, std::uint8_t lockByte);

// Writes `lockByte`, switches every line off and, where the device reports its lock bits, shows
// the byte read back in the view and compares it: false after an "ERROR" box naming both bytes
// when the device kept another (a stricter lock was there already).
bool WriteCheckedLockByte(CommandFrame& frame, std::uint8_t lockByte);

// The byte as the lock messages write it: "$FE".
std::string LockByteText(std::uint8_t lockByte);

// For the commands that read a memory, right after the identification: false, after an "ERROR"
// box with every line off, when the device reports lock bits that disable verification (mode 3),
// so that what it answers is never taken for its contents. A device that cannot report them
// (AT90S) shows mode 3 by its signature, 00 01 02, which the identification already refuses.
bool LockAllowsReading(CommandFrame& frame);

}  // namespace tarpel::avr
