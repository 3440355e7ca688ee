// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Comparar con fichero...": the memory image against a HEX or binary file, byte by byte over
// ChipSize bytes, with no chip involved. The file is read as the open command reads it (same
// boxes), but the image is left as it is: every difference goes to the workspace's listener.
#include <string>

#include "eeprom/CommandFrame.h"

namespace tarpel::eeprom {

// Asks for the file with the open dialog; Cancelled when it is closed without a choice.
CommandOutcome CompareImageFile(CommandFrame& frame);

// Done when the file holds the image's bytes; Failed when they differ (a box gives the count and
// the first address) or when the file gives no image (an error box, no comparison).
CommandOutcome CompareImageWith(CommandFrame& frame, const std::string& fileName);

}  // namespace tarpel::eeprom
