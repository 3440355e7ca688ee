// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The console program's frame: parses the command line, opens the board, calibrates the bit
// timing, runs the chosen command through the console shell and turns its result into the exit
// status. Commands themselves live in their groups' files and only register in the table.
#include <exception>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CommandTable.h"

namespace tarpel::cli {

// What went wrong, in a line: a file system error (a path too long, a folder that cannot be made)
// by its cause and the path it concerns, a lack of memory as such, anything else by its text.
std::string DescribeException(const std::exception& error);

// `args` without the program name. `progressLine`: standard error is a terminal.
int RunCli(const CommandTable& table, const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool progressLine = false);

}  // namespace tarpel::cli
