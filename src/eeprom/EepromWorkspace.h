// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The 24Cxx workspace: the selected chip and the program-wide memory image that every 24Cxx
// command works on. Bytes 0 .. ChipSize - 1 are the chip's contents; the bytes above are slack
// that only the open command writes and nothing shows, saves or programs.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "eeprom/ChipCatalogue.h"
#include "files/ByteDifferences.h"

namespace tarpel::eeprom {

// 100,001 bytes as long as the largest chip was a 24C512; the 128 and 256 KiB chips need their
// size and the slack above it, where a HEX record at the chip's end fits whole.
inline constexpr std::size_t MemoryImageSize = std::max<std::size_t>(
    100001, static_cast<std::size_t>(std::ranges::max(ChipCatalogue, {}, &ChipType::size).size) + 256);

class EepromWorkspace {
public:
    EepromWorkspace() : MemoryImage(MemoryImageSize, 0x00) {}

    // Selects the catalogue entry: sets ChipSize, fills its whole range with 0xFF and asks the
    // view to rebuild. Whatever the image held before is gone.
    void cbChipChange(int index);

    const ChipType& Chip() const { return ChipCatalogue[static_cast<std::size_t>(chipIndex_)]; }
    int ChipIndex() const { return chipIndex_; }
    // Puts back an image with the chip it was made for, as it was (undo and redo): no fill.
    void RestoreImage(int index, const std::vector<std::uint8_t>& image);

    std::vector<std::uint8_t> MemoryImage;
    std::int32_t ChipSize = 0;
    // The chip's part of the image, bytes 0 .. ChipSize - 1: what the chip commands read into,
    // program, verify and compare, never past the image's end.
    std::span<std::uint8_t> ChipImage() { return std::span(MemoryImage).first(ChipImageSize()); }
    std::span<const std::uint8_t> ChipImage() const { return std::span(MemoryImage).first(ChipImageSize()); }
    // How many bytes, from address 0, the last chip read stored in the image: ChipSize after a
    // whole read, fewer after a cancel (the rest holds what was there before), 0 when refused.
    std::int32_t BytesRead = 0;
    // Set by whoever shows the image; the commands call it where the grid must be rebuilt.
    std::function<void()> RefreshGrid;
    // Set by whoever wants them (tarpel-cli prints their checksums): the chip's whole contents,
    // each time a command has just read all of them or written all of them.
    std::function<void(std::span<const std::uint8_t>)> ChipContentsKnown;
    // Set by whoever shows them (the window's list and grid, tarpel-cli's lines): every byte in
    // which the image differs from the chip or a file, each time a verification or a comparison
    // has run over the whole image; an empty list when there was none.
    std::function<void(std::span<const files::ByteDifference>)> DifferencesFound;

private:
    std::size_t ChipImageSize() const {
        return std::min(static_cast<std::size_t>(std::max(ChipSize, 0)), MemoryImage.size());
    }

    int chipIndex_ = DefaultChipIndex;
};

}  // namespace tarpel::eeprom
