// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The writing half of tarpel-cli's "avr" group: identify, erase, write-flash, write-eeprom and
// reprogram-flash, each the window's AVR command of the same job with the file given on the
// command line in place of the open dialog.
#include "cli/CommandTable.h"

namespace tarpel::cli {

void RegisterAvrCommands(CommandTable& table);

}  // namespace tarpel::cli
