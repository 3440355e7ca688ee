// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "eeprom detect" of tarpel-cli: guesses the 24Cxx in the socket without writing to it and
// prints the guess on standard output; choosing the chip for the other commands stays the
// user's (--chip).
#include "cli/CommandTable.h"

namespace tarpel::cli {

Command EepromDetectCommand();

}  // namespace tarpel::cli
