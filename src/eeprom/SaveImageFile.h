// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The 24Cxx save command: the first ChipSize bytes of the memory image go to a HEX, S-record or
// binary file. It neither reads the chip nor changes the image or the grid.
#include <string>

#include "eeprom/CommandFrame.h"

namespace tarpel::eeprom {

// Asks for a file name with the save dialog and saves; a cancelled dialog writes nothing.
CommandOutcome SaveImageFile(CommandFrame& frame);

// Saves the image as fileName, binary, HEX or S-record by the name's ending; any other name
// (an ELF one included) writes nothing and is reported with the unknown kind's error.
// A file that cannot be created or written whole is reported with
// "No se puede crear fichero!!" and leaves any old file as it was. Done when the file was
// written.
CommandOutcome SaveImageTo(CommandFrame& frame, const std::string& fileName);

}  // namespace tarpel::eeprom
