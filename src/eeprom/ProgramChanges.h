// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Programar cambios" and tarpel-cli's small edits: only the pages where a wanted byte differs
// from the chip are written, each as the chip's own bytes with the wanted ones put over them,
// so that every other byte stays as the chip had it. A repair of a few bytes of a 24C512 then
// costs a few page writes instead of two thousand, and wears no other page.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "eeprom/CommandFrame.h"
#include "files/ImagePatch.h"

namespace tarpel::eeprom {

// One flag per chip address, from 0: whether the image's byte there is wanted on the chip.
using WantedBytes = std::vector<bool>;

// Reads the chip's pages that hold a wanted byte, writes those of them where a wanted byte
// differs from `image` (one byte per chip address), then reads the written pages back and
// compares them (unless the frame's read-back is off), all under the progress dialog. Says how
// many pages it wrote in an "OK" box; `pagesWritten` counts them, also after a stop or a
// failure. The bus is checked free before each transaction; every line is off at the end.
CommandOutcome ProgramChanges(CommandFrame& frame, std::span<const std::uint8_t> image, const WantedBytes& wanted,
                              std::size_t& pagesWritten);

// tarpel-cli's "eeprom write --keep": opens the file as "Abrir fichero..." does, puts `patch` (a
// production run's serial number, empty when none) over its image, and programs only the
// addresses the file and the patch give bytes for.
CommandOutcome ProgramChangesFrom(CommandFrame& frame, const std::string& fileName, const files::ImagePatch& patch,
                                  std::size_t& pagesWritten);

}  // namespace tarpel::eeprom
