// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The lock box of tarpel-cli's "avr" group: read-lock, and write-lock with --mode 1|2|3 or the
// .lock byte of an avr-gcc program (--from). The console asks nothing before locking a chip: a
// chip erase undoes it.
#include "cli/CommandTable.h"

namespace tarpel::cli {

void RegisterAvrLockCommands(CommandTable& table);

}  // namespace tarpel::cli
