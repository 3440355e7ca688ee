// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The three chip commands of the 24Cxx page: "Leer chip", "Programar chip" and "Verificar chip".
// Each handles exactly ChipSize bytes of the workspace's image from address 0, talks to the user
// only through the shell, and ends with the default cursor and every board line off, whatever
// the outcome; an error box comes once the lines are off. Before each transaction the bus must
// be free (SDA reads high with both lines released), else the command ends with an "ERROR" box.
// They are not re-entrant: keeping commands from interleaving is the caller's job.
#include <string>

#include "eeprom/ChipCatalogue.h"
#include "eeprom/CommandFrame.h"
#include "files/ImagePatch.h"
#include "link/I2cMaster.h"

namespace tarpel::eeprom {

// The addressing a catalogue chip needs. The 24C04/08/16 take one word-address byte with
// A8..A10 in the control byte and 16-byte pages; the rest take two bytes and 32-byte pages
// (never more than the chip's own page buffer). The fast timing writes whole pages of the chip's
// own buffer: 64 bytes on a 24C128/256, 128 on a 24C512.
link::EepromAddressing AddressingFor(const ChipType& chip, bool fastTiming = false);

// Reads the whole chip into the image and rebuilds the grid, also after a failure or a cancel;
// the workspace's BytesRead tells how much of the image came from the chip.
CommandOutcome ReadChip(CommandFrame& frame);

// Writes the image to the chip page by page, in rising order. The image is left as it is.
CommandOutcome ProgramChip(CommandFrame& frame);

// A file opened as "Abrir fichero..." opens it, `patch` (a production run's serial number) put
// over its image, then "Programar chip". A patch beyond the chip is refused before the chip is
// touched.
CommandOutcome ProgramChipFrom(CommandFrame& frame, const std::string& fileName, const files::ImagePatch& patch);

// Puts `patch` over the workspace's image; a patch beyond the chip is refused with an "ERROR" box
// (false) and the image left as it was.
bool PutPatch(CommandFrame& frame, const files::ImagePatch& patch);

// Reads the chip into a buffer of its own and compares it with the image, which it never touches.
CommandOutcome VerifyChip(CommandFrame& frame);

}  // namespace tarpel::eeprom
