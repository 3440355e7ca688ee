// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Blank-test" (btnTestBlankClick): checks that flash and internal EEPROM read 0xFF throughout.
// The flash is read in full first; only a blank flash leads to a second power-up and the EEPROM.
#include "avr/CommandFrame.h"

namespace tarpel::avr {

// Done when both memories are blank; Failed for a memory that is not, or no usable device;
// Cancelled when the user or a stop signal stopped the read.
CommandOutcome BlankTest(CommandFrame& frame);

}  // namespace tarpel::avr
