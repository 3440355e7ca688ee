// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The reading half of tarpel-cli's "avr" group: read-flash, read-eeprom, verify-flash,
// verify-eeprom, blank-test, and the fuse panel's read-fuses and write-fuses, whose options
// stand for the panel's lists and check boxes.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "avr/FuseSettings.h"
#include "cli/CommandTable.h"

namespace tarpel::cli {

void RegisterAvrReadCommands(CommandTable& table);

// The index of a list item named by its caption (any case) or by its number from 0.
std::optional<int> ListItemIndex(std::string_view value, std::span<const std::string_view> captions);

// The panel as text, one control per line, as read-fuses prints it.
std::string FuseSettingsText(const avr::FuseSettings& settings);

}  // namespace tarpel::cli
