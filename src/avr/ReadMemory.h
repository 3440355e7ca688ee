// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Leer flash..." (btnLeerFlashClick) and "Leer eeprom interna..." (btnLeerEEPIntClick): the
// whole memory is read into a buffer of the command's own and saved as a binary or Intel HEX
// file, by the name's last three characters. The device itself is never changed.
#include <string>

#include "avr/CommandFrame.h"

namespace tarpel::avr {

// The save dialog first; Cancelled when it is closed without a choice.
CommandOutcome ReadFlash(CommandFrame& frame);
CommandOutcome ReadEeprom(CommandFrame& frame);

// The given file, without any dialog. A name ending in neither BIN nor HEX is refused before
// the device is touched (nothing could be saved); a file that cannot be written is reported
// with "No se puede crear fichero!!". Done only when the file holds what was read.
CommandOutcome ReadFlashTo(CommandFrame& frame, const std::string& fileName);
CommandOutcome ReadEepromTo(CommandFrame& frame, const std::string& fileName);

}  // namespace tarpel::avr
