// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "avr program": the whole AVR from one program in one command, a line per step with its time
// and a verdict at the end; the runners that let "avr write-flash" and "avr write-eeprom" take
// a production run's serial number.
#include "cli/CommandTable.h"
#include "cli/ProductionRun.h"

namespace tarpel::cli {

Command AvrProgramCommand();

// "avr write-flash" and "avr write-eeprom" for one chip of a production run.
production::ChipResult WriteFlashRun(CommandContext& context, const production::PlacedSerial* serial);
production::ChipResult WriteEepromRun(CommandContext& context, const production::PlacedSerial* serial);

}  // namespace tarpel::cli
