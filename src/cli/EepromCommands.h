// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The "eeprom" command group of tarpel-cli: "Leer chip", "Programar chip" and "Verificar chip"
// of the 24Cxx page, with the memory image coming from or going to a HEX or binary file.
#include "cli/CommandTable.h"

namespace tarpel::cli {

void RegisterEepromCommands(CommandTable& table);

}  // namespace tarpel::cli
