// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The production options of the commands that write a whole chip ("avr program", "avr
// write-flash", "avr write-eeprom", "eeprom write"): --serial and --serial-file place a number
// taken from a counter file into each chip's image, --log appends a line per chip to a CSV file,
// and --repeat asks for the next chip after each one and ends with a summary. A command given
// none of them runs as ever.
#include <functional>

#include "cli/CommandTable.h"
#include "production/ProductionRun.h"

namespace tarpel::cli {

// Runs the command on the chip in the socket, with `serial` placed into its image when given.
using ChipRunner = std::function<production::ChipResult(CommandContext& context, const production::PlacedSerial* serial)>;

// Which memories of the command's a --serial may name.
enum class SerialTarget { Flash, Eeprom, Both, OneMemory };

// The command with the production options; they run `runner` once per chip. `always`: the
// command's own run is the runner's (avr program, which prints its verdict even alone).
Command WithProduction(Command command, SerialTarget target, ChipRunner runner, bool always = false);

}  // namespace tarpel::cli
