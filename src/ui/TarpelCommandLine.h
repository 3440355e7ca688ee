// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The options of the window program `tarpel`: the board options that tarpel-cli takes too
// (which board, the simulated board's chips and faults, the line trace), --help, and the files to
// start with (FILE for the 24CXXX page, --avr FILE for the AVR page). Parsing only; opening the
// board is board::OpenBoard's, opening the files the window's.
#include <string>
#include <vector>

#include "board/BoardOptions.h"

namespace tarpel::ui {

struct TarpelCommandLine {
    board::BoardOptions options;
    bool help = false;
    std::string eepromFile;  // opened into the 24CXXX image at start
    std::string avrFile;     // the AVR page's file at start
    std::string error;  // the first problem found, for the user; empty when all is well
};

// Arguments without the program name. "--name value" and "--name=value" are both accepted;
// scanning goes on after an error so that --help is always seen.
TarpelCommandLine ParseTarpelCommandLine(const std::vector<std::string>& arguments);

std::string TarpelHelpText();

}  // namespace tarpel::ui
