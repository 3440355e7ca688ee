// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Programar eeprom int..." (BitBtn1Click): writes a file into the internal EEPROM, every byte
// (0xFF included, since the EEPROM erases itself per byte), each confirmed by reading it back:
// polled, or waited out and then read where the device's busy answer hides the value. A byte
// that does not read back ends the command with a message naming its address. A file that
// gives no image leaves the device alone.
#include <string>

#include "avr/CommandFrame.h"
#include "avr/FileImage.h"

namespace tarpel::avr {

// The open dialog first; Cancelled when it is closed without a choice.
CommandOutcome ProgramEeprom(CommandFrame& frame);
// The given file, without any dialog.
CommandOutcome ProgramEepromFrom(CommandFrame& frame, const std::string& fileName);
// The same with `patch` over the file's bytes (a serial number); a patch beyond any device's
// memory is refused before the device is touched.
CommandOutcome ProgramEepromFrom(CommandFrame& frame, const std::string& fileName, const ImagePatch& patch);

// The device part alone, for a file already loaded and reported. A file with data beyond the
// identified device's EEPROM is refused before anything is written. The caller holds the
// frame's scope.
CommandOutcome ProgramEepromImage(CommandFrame& frame, const FileImage& image);

}  // namespace tarpel::avr
