// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The 24Cxx open command: a HEX, S-record or binary file chosen by the user becomes the memory image,
// measured against the selected chip's size. It works on the image only, never on the chip.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "eeprom/CommandFrame.h"

namespace tarpel::eeprom {

// A file read into an image of its own, as the open command reads it, with the boxes it earned;
// nothing shown yet. The comparison with a file reads it the same way.
struct LoadedImageFile {
    std::vector<std::uint8_t> image = std::vector<std::uint8_t>(MemoryImageSize, 0xFF);
    // 1 where the file gave the image a byte, 0 in its holes (a binary file holds all it read).
    std::vector<std::uint8_t> held = std::vector<std::uint8_t>(MemoryImageSize, 0);
    std::string error;  // empty when the file gave an image
    std::vector<std::string> warnings;
};
LoadedImageFile LoadImageFile(const std::string& fileName, std::int32_t chipSize);
// The same, with the reason in an "ERROR" box when the file gives no image (then nothing).
std::optional<LoadedImageFile> LoadImageFileOrTell(shell::Shell& shell, const std::string& fileName,
                                                   std::int32_t chipSize);

// Asks for a file with the open dialog and loads it; a cancelled dialog changes nothing.
CommandOutcome OpenImageFile(CommandFrame& frame);

// Loads fileName: the whole image becomes 0xFF, then a binary file fills it from address 0
// (up to 100,000 bytes, with a warning when its length differs from ChipSize) or a HEX or
// S-record file places its records (with a warning for lines that are not valid records and one
// for data beyond the chip), and the grid is rebuilt. A file that cannot be read, a name of no
// known kind (an ELF file included), a text file without any data record and a file that gives
// the chip no data at all (empty, or all of it beyond the chip) are refused with an error box, and the image and the grid stay as they were. Done when the file was loaded.
// `held`, when given, receives which addresses the file gave a byte (LoadedImageFile::held).
CommandOutcome OpenImageFrom(CommandFrame& frame, const std::string& fileName,
                             std::vector<std::uint8_t>* held = nullptr);

}  // namespace tarpel::eeprom
