// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a console command gets to work with: the opened board with its line layer and clock, the
// calibrated bit timing with this run's delay factor, the console shell, and its own arguments
// and options from the command line.
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "board/Board.h"
#include "cli/ConsoleShell.h"
#include "link/BitTiming.h"
#include "link/BoardLines.h"

namespace tarpel::cli {

struct CommandContext {
    board::Board& board;
    link::BoardLines& lines;
    link::BitTiming& timing;
    ConsoleShell& shell;
    const std::vector<std::string>& arguments;              // after the command words
    const std::map<std::string, std::string>& options;      // the command's own, by name; "" for flags
    std::ostream& out;                                       // results meant for standard output

    port::Clock& clock() { return *board.clock; }
    bool HasOption(const std::string& name) const { return options.count(name) != 0; }
    std::optional<std::string> Option(const std::string& name) const {
        const auto found = options.find(name);
        if (found == options.end()) return std::nullopt;
        return found->second;
    }
};

}  // namespace tarpel::cli
