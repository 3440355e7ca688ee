// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// tarpel-cli's small looks and edits of a 24Cxx: "eeprom dump" shows part of the chip as a
// hexdump, "eeprom poke" writes a few bytes and only the pages they fall in.
#include "cli/CommandTable.h"

namespace tarpel::cli {

void RegisterEepromEditCommands(CommandTable& table);

}  // namespace tarpel::cli
