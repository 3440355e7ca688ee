// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The command line of tarpel-cli: the options common to every command (the board options the
// window program takes too, and the delay factor), the command words, the command's own
// arguments and options. Common options may stand anywhere; a command's own options come after
// its words.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "board/Board.h"
#include "cli/CommandTable.h"

namespace tarpel::cli {

struct CommandLine {
    board::BoardOptions board;
    std::int32_t delayFactor = 1;  // the I2C delay unit is this many 25 us (5 us when fast)
    bool fastTiming = false;       // the opt-in fast timing of both sides
    bool simStrict = false;        // any protocol violation of the simulated chips fails the run
    bool help = false;
    const Command* command = nullptr;
    std::vector<std::string> arguments;
    std::map<std::string, std::string> options;
};

// False with the user's message on a usage error. With --help nothing else is required.
bool ParseCommandLine(const std::vector<std::string>& args, const CommandTable& table, CommandLine& line,
                      std::string& error);

// The --help text: usage, the registered commands with their options, the common options.
std::string HelpText(const CommandTable& table);

}  // namespace tarpel::cli
