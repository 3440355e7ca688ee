// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The "board" command group of tarpel-cli: checks of the programmer board itself.
#include "cli/CommandTable.h"

namespace tarpel::cli {

void RegisterBoardCommands(CommandTable& table);

}  // namespace tarpel::cli
