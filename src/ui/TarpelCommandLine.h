#pragma once
// The options of the window program `tarpel`: which board to use (real port or the simulated
// board with its virtual chips and faults) and an optional line trace. Parsing only; opening
// the board is board::OpenBoard's.
#include <string>
#include <vector>

#include "board/Board.h"

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
