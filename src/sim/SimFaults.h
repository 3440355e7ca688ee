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

struct SimFaults {
    ReturnLineFault returnLine = ReturnLineFault::None;
    std::vector<PageRefusal> pageRefusals;
    std::vector<std::string> avrFaults;
};

// "eeprom-refuse-page:K:N", "sda-stuck-high", "sda-stuck-low", "avr-...". Throws
// std::invalid_argument with a message for the user on anything else.
SimFaults ParseSimFaults(const std::vector<std::string>& names);

// One line per fault this board knows itself, for the --help text.
extern const char* const SimFaultHelp;

}  // namespace tarpel::sim
