// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The production run of the commands that write a whole chip ("avr program", "avr write-flash",
// "avr write-eeprom", "eeprom write"): --serial and --serial-file place a number taken from a
// counter file into each chip's image, --log appends a line per chip to a CSV file, and --repeat
// asks for the next chip after each one and ends with a summary. A command given none of them
// runs as ever.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/CommandTable.h"
#include "production/SerialNumber.h"

namespace tarpel::cli {

// The serial number of one chip, where it goes and the bytes it takes there.
struct PlacedSerial {
    production::SerialPlace place;
    std::vector<std::uint8_t> bytes;
    std::uint64_t number = 0;
};

// How one chip went.
struct ChipRun {
    int status = ExitFailure;
    std::string device;  // the AVR identified or the 24Cxx chosen; empty when none was
    std::string steps;   // each step and its result: "borrado:ok flash:ok eeprom:fallo"
};

// Runs the command on the chip in the socket, with `serial` placed into its image when given.
using ChipRunner = std::function<ChipRun(CommandContext& context, const PlacedSerial* serial)>;

// Which memories of the command's a --serial may name.
enum class SerialTarget { Flash, Eeprom, Both, OneMemory };

// The command with the production options; they run `runner` once per chip. `always`: the
// command's own run is the runner's (avr program, which prints its verdict even alone).
Command WithProduction(Command command, SerialTarget target, ChipRunner runner, bool always = false);

}  // namespace tarpel::cli
