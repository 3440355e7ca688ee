// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Programar flash..." (btnProgFlashClick): writes a file into the flash, byte by byte on the
// AT90S devices and page by page on the ATmega8515, confirming each write by reading it back
// (every byte written, and the whole of each page). The flash must have been erased before: a
// byte that does not read back as written ends the command with a message naming its address.
// A file that gives no image leaves the device alone.
#include <string>

#include "avr/CommandFrame.h"
#include "avr/FileImage.h"

namespace tarpel::avr {

// A click: the open dialog first; Cancelled when it is closed without a choice.
CommandOutcome ProgramFlash(CommandFrame& frame);
// The given file, without any dialog.
CommandOutcome ProgramFlashFrom(CommandFrame& frame, const std::string& fileName);
// The same with `patch` over the file's bytes (a serial number); a patch beyond any device's
// memory is refused before the device is touched.
CommandOutcome ProgramFlashFrom(CommandFrame& frame, const std::string& fileName, const ImagePatch& patch);

// The device part alone, for a file already loaded and reported. A file with data beyond the
// identified device's flash is refused before anything is written. The caller holds the
// frame's scope. `erased`: the flash was erased just before, so the device now holds the file
// padded with 0xFF; otherwise it keeps its old bytes where the file leaves whole pages blank.
CommandOutcome ProgramFlashImage(CommandFrame& frame, const FileImage& file, bool erased);

}  // namespace tarpel::avr
