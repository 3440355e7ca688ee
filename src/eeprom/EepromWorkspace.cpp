// SPDX-License-Identifier: GPL-2.0-or-later
#include "eeprom/EepromWorkspace.h"

#include <algorithm>

namespace tarpel::eeprom {

void EepromWorkspace::cbChipChange(int index) {
    chipIndex_ = std::clamp(index, 0, static_cast<int>(ChipCatalogue.size()) - 1);
    ChipSize = Chip().size;
    std::fill_n(MemoryImage.begin(), ChipSize, std::uint8_t{0xFF});
    if (RefreshGrid) RefreshGrid();
}

void EepromWorkspace::RestoreImage(int index, const std::vector<std::uint8_t>& image) {
    chipIndex_ = std::clamp(index, 0, static_cast<int>(ChipCatalogue.size()) - 1);
    ChipSize = Chip().size;
    std::copy_n(image.begin(), std::min(image.size(), MemoryImage.size()), MemoryImage.begin());
    if (RefreshGrid) RefreshGrid();
}

}  // namespace tarpel::eeprom
