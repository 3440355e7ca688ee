// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The console program's command table: each command group registers its commands from its own
// file ("board check", "eeprom read", "avr program-flash"), with the arguments and options it
// takes and a function that runs it. The table holds data only; RunCli parses and dispatches.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "board/CommandLineOption.h"
#include "shell/CommandOutcome.h"

namespace tarpel::cli {

// Exit statuses of tarpel-cli.
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailure = 1;  // any error, a verification difference, a non-blank device
inline constexpr int ExitUsage = 2;

// The exit status of a command of either family that ended so: success only when it ran to its
// end and found nothing wrong.
constexpr int ExitStatus(shell::CommandOutcome outcome) {
    return outcome == shell::CommandOutcome::Done ? ExitSuccess : ExitFailure;
}

struct CommandContext;
using CommandFunction = std::function<int(CommandContext&)>;

// An option of one command, given after the command words: "--chip 24C64" or "--chip=24C64";
// a flag when it names no value. Its value reaches the command by name.
using CommandOption = board::OptionSpec;

struct Command {
    std::string group;           // "board"
    std::string name;            // "check"
    std::string arguments = {};  // for the usage line, e.g. "FICHERO"; every argument names a file
    std::string summary;         // one line for --help
    std::size_t minArguments = 0;
    std::size_t maxArguments = 0;
    std::vector<CommandOption> options = {};
    bool opensBoard = true;      // false for a command on files alone: no port is opened
    CommandFunction run;
};

class CommandTable {
public:
    void Add(Command command) { commands_.push_back(std::move(command)); }
    const Command* Find(std::string_view group, std::string_view name) const {
        for (const auto& command : commands_)
            if (command.group == group && command.name == name) return &command;
        return nullptr;
    }
    bool HasGroup(std::string_view group) const {
        for (const auto& command : commands_)
            if (command.group == group) return true;
        return false;
    }
    const std::vector<Command>& Commands() const { return commands_; }

private:
    std::vector<Command> commands_;
};

}  // namespace tarpel::cli
