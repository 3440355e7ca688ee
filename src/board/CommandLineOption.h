// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Options on a command line as both programs read them: "--name VALUE", "--name=VALUE", or
// "--name" alone for a flag, looked up in a table of the options a program takes, and their
// help laid out one way. What an option means is its table row's; words, commands and "--help"
// are each program's own.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarpel::board {

// An option as its help shows it.
struct OptionSpec {
    std::string name;          // without the dashes: "board"
    std::string valueName;     // "PLACA"; empty for a flag, which takes no value
    std::string help;          // wrapped to the help's width; "\n" starts a new line
    std::string details = {};  // lines shown as they stand below the help, e.g. a list of values
};

// An option a program reads: its spec and what takes its value.
struct CommandLineOption {
    OptionSpec spec;
    // Takes the value ("" for a flag); the user's message when it is unusable, else "".
    std::function<std::string(const std::string& value)> store;
};

// True when the argument has the form of an option ("-x", "--name"), not of a word.
bool IsOptionWord(std::string_view argument);

// Reads the option that args[index] names and hands its value to the option's store. The value
// follows '=' or, for an option that takes one, is the next argument; index then moves past it.
// The user's message for an unknown option, a missing value, a value given to a flag or a value
// the option refuses; empty when the option was taken. The first option of the table with the
// name wins.
std::string ReadOption(const std::vector<std::string>& args, std::size_t& index,
                       const std::vector<CommandLineOption>& options);

// One entry of a help text: `left` (with its indent), then `text` from `column` on, wrapped to
// the help's width with its following lines under its first. A `left` that reaches the column
// puts the text on the next line.
std::string HelpEntry(std::string_view left, std::string_view text, std::size_t column);

// The help entry of one option: "--name VALUE" at `indent`, its help from `column` on, then its
// details.
std::string OptionHelp(const OptionSpec& option, std::size_t indent, std::size_t column);

// The help of a program's options, in the table's order, closed by -h/--help.
std::string OptionsHelp(const std::vector<CommandLineOption>& options);

}  // namespace tarpel::board
