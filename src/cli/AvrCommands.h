// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The writing half of tarpel-cli's "avr" group: identify, erase, write-flash, write-eeprom,
// reprogram-flash, and the whole-chip backup and restore, each the window's AVR command of the
// same job with the file given on the command line in place of the file dialog. The commands
// that write take --backup.
#include "cli/CommandTable.h"

namespace tarpel::cli {

void RegisterAvrCommands(CommandTable& table);

}  // namespace tarpel::cli
