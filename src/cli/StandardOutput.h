// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Standard output as a result that must arrive: what tarpel-cli prints there (the device type,
// the fuses, the checksums) is what a script reads, so a write or flush that fails (a full
// disk, /dev/full, a closed descriptor) fails the command instead of being lost in silence.

#include <ostream>

namespace tarpel::cli {

// Called first in main: a standard output the program was started without is held by a
// descriptor that takes no writes, so that no file the program opens becomes its output.
void HoldClosedStandardOutput();

// Flushes std::cout and stdout; when anything written to them was lost, says so on `err` and
// returns false.
bool StandardOutputDelivered(std::ostream& err);

}  // namespace tarpel::cli
