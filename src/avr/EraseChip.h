// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Borrar chip" (btnBorrarClick): erases flash and EEPROM. It reads no signature, so it also
// clears a locked device, and it leaves DeviceKind and the caption as they were.
#include "avr/CommandFrame.h"
#include "shell/Translate.h"

namespace tarpel::avr {

inline constexpr const char* ErasedText = TrNoop("Flash y eeprom interna borradas");

CommandOutcome EraseChip(CommandFrame& frame);

}  // namespace tarpel::avr
