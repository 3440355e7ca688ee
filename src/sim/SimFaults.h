// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The fault injections of the simulated board, as the user names them on the command line:
// a 24Cxx that refuses one of its pages for a number of attempts, and a return line stuck high
// or low. Names starting "avr-" are left for the AVR socket's own model to interpret.
#include <cstdint>
#include <string>
#include <vector>

namespace tarpel::sim {

enum class ReturnLineFault { None, StuckHigh, StuckLow };

// The chip does not acknowledge the first data byte of the next `attempts` writes into its page
// `page` (counted in the chip's own page size), so nothing of those writes reaches the memory.
struct PageRefusal {
    std::uint32_t page = 0;
    int attempts = 0;
};

// What a worn or odd 24Cxx does wrong.
struct EepromFaults {
    std::vector<PageRefusal> pageRefusals;
    // Cells that keep their old value through every write cycle.
    std::vector<std::uint32_t> stuckCells;
    // The chip's real page buffer, when smaller than its datasheet's: writes wrap there. 0: as
    // the datasheet says.
    std::uint32_t pageBytes = 0;
    // A stop after an acknowledged write control byte, before any data byte, starts a write
    // cycle that writes the previous page's buffer again, as some makers' simulation models do.
    bool stopStartsCycle = false;
};

struct SimFaults {
    ReturnLineFault returnLine = ReturnLineFault::None;
    EepromFaults eeprom;
    std::vector<std::string> avrFaults;
};

// A name that begins with a number and a colon ("2:avr-flash-stuck:0x10") is a fault of that chip
// alone, the chip of that number placed in the socket in a --repeat run (the first is 1); the
// others are every chip's.
// "eeprom-refuse-page:K:N", "eeprom-stuck:ADDRESS", "eeprom-page:N", "eeprom-stop-starts-cycle",
// "sda-stuck-high", "sda-stuck-low", "avr-...". Throws
// std::invalid_argument with a message for the user on anything else.
SimFaults ParseSimFaults(const std::vector<std::string>& names, int chip = 1);

// One line per fault this board knows itself, for the --help text.
extern const char* const SimFaultHelp;

}  // namespace tarpel::sim
