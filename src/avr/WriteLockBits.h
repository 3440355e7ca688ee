// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Grabar" of the lock box and tarpel-cli's write-lock: programs a lock mode (or a whole lock
// byte from an ELF file's .lock section) and, on the ATmega8515, reads it back. The window asks
// first, saying what the chip will refuse afterwards; the console does not ask, since a chip
// erase undoes it.
#include <cstdint>

#include "avr/CommandFrame.h"
#include "avr/LockMode.h"

namespace tarpel::avr {

// `lockByte` in the ATmega8515's layout (LockByteOf gives it for a mode). Done when written
// (and, where the device can tell, read back as written); Failed on a byte that is no mode, on
// a different read-back (an "ERROR" box with both bytes), or at the identification; Cancelled,
// with nothing written, when `ask` is set and the user said no.
CommandOutcome WriteLockBits(CommandFrame& frame, std::uint8_t lockByte, bool ask);

}  // namespace tarpel::avr
