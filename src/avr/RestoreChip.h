// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Restaurar copia...": puts a whole-chip copy (BackupChip's ELF file, or any avr-gcc program
// that names its device in a .signature section) back into the AVR in the socket: chip erase,
// flash, EEPROM, then the fuse bytes, and a full read of all of them against the file. A file
// without a signature, or whose signature names another device, is refused before anything is
// written, and so are fuse bytes that would switch the serial interface off.
#include <string>

#include "avr/CommandFrame.h"

namespace tarpel::avr {

// The open dialog first (ELF files), then the question whether to erase the chip and replace
// its contents; Cancelled on either's no.
CommandOutcome RestoreChip(CommandFrame& frame);

// The given file, without dialog or question. Done only when the device reads back as the file
// holds it; Failed, with an "ERROR" box naming the first difference, otherwise.
CommandOutcome RestoreChipFrom(CommandFrame& frame, const std::string& fileName);

}  // namespace tarpel::avr
