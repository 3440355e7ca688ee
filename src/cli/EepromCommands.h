// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The "eeprom" command group of tarpel-cli: "Leer chip", "Programar chip" and "Verificar chip"
// of the 24Cxx page, with the memory image coming from or going to a HEX or binary file.
#include <optional>

#include "cli/CommandTable.h"

namespace tarpel::cli {

// The catalogue entry --chip names (24C128 without it); an "ERROR" message when it names none.
std::optional<int> SelectedChip(CommandContext& context);
// The --chip option, with the catalogue's names in its help.
CommandOption ChipOption();

void RegisterEepromCommands(CommandTable& table);

}  // namespace tarpel::cli
