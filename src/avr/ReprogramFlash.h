// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Reprogramar flash..." (BitBtn2Click): erases the chip, then programs the flash from the
// file the open dialog chose last, with a fresh power-up and identification of its own.
// The file is loaded first: one that gives no image, or holds more than the device's flash, is
// reported before anything is erased.
#include <string>

#include "avr/CommandFrame.h"

namespace tarpel::avr {

// The file the open dialog holds from its last use.
CommandOutcome ReprogramFlash(CommandFrame& frame);
// The given file.
CommandOutcome ReprogramFlashFrom(CommandFrame& frame, const std::string& fileName);

}  // namespace tarpel::avr
