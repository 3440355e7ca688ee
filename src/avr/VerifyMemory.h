// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Verificar flash..." (btnFLashVerifClick) and "Verificar eeprom interna..." (btnEEPIntClick):
// the whole memory is read and compared with a binary or Intel HEX file, addresses the file
// leaves empty counting as 0xFF; the first difference is reported. The device is not changed.
#include <string>

#include "avr/CommandFrame.h"

namespace tarpel::avr {

// The open dialog first, captioned for this use; Cancelled when it is closed without a choice.
CommandOutcome VerifyFlash(CommandFrame& frame);
CommandOutcome VerifyEeprom(CommandFrame& frame);

// The given file, without any dialog. Done for "VERIFICACION: OK !!!!!"; Failed for a
// difference, and for a file that cannot be opened, is of neither kind, holds no HEX data or
// more data than the memory (reported as an error, with no verdict, before the device is read).
CommandOutcome VerifyFlashWith(CommandFrame& frame, const std::string& fileName);
CommandOutcome VerifyEepromWith(CommandFrame& frame, const std::string& fileName);

}  // namespace tarpel::avr
