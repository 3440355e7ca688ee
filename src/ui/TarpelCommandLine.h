// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The options of the window program `tarpel`: the board options that tarpel-cli takes too
// (which board, the simulated board's chips and faults, the line trace), and --help. Parsing
// only; opening the board is board::OpenBoard's.
#include <string>
#include <vector>

#include "board/BoardOptions.h"

namespace tarpel::ui {

struct TarpelCommandLine {
    board::BoardOptions options;
    bool help = false;
    std::string error;  // the first problem found, for the user; empty when all is well
};

// Arguments without the program name. "--name value" and "--name=value" are both accepted;
// scanning goes on after an error so that --help is always seen.
TarpelCommandLine ParseTarpelCommandLine(const std::vector<std::string>& arguments);

std::string TarpelHelpText();

}  // namespace tarpel::ui
