// SPDX-License-Identifier: GPL-2.0-or-later
#include "board/CommandLineOption.h"

#include <algorithm>

#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::board {

namespace {

constexpr std::size_t HelpWidth = 96;   // characters of a help line at most, where words allow
constexpr std::size_t OptionIndent = 2;
constexpr std::size_t OptionColumn = 28;

// One line of text greedily filled into lines of at most `width` characters, breaking only at
// blanks outside double quotes, so that a quoted caption ("Ext RC") stays whole.
std::vector<std::string> Wrap(std::string_view text, std::size_t width) {
    std::vector<std::string> words(1);
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') quoted = !quoted;
        if (c == ' ' && !quoted) {
            if (!words.back().empty()) words.emplace_back();
        } else {
            words.back() += c;
        }
    }
    std::vector<std::string> lines(1);
    for (const std::string& word : words) {
        if (word.empty()) continue;
        if (lines.back().empty()) lines.back() = word;
        else if (lines.back().size() + 1 + word.size() <= width) lines.back() += " " + word;
        else lines.push_back(word);
    }
    return lines;
}

}  // namespace

bool IsOptionWord(std::string_view argument) { return argument.size() >= 2 && argument[0] == '-'; }

std::string ReadOption(const std::vector<std::string>& args, std::size_t& index,
                       const std::vector<CommandLineOption>& options) {
    const std::string& argument = args[index];
    if (!argument.starts_with("--")) return shell::Fill(Tr("opcion desconocida: %1"), {argument});
    const auto equals = argument.find('=');
    const std::string name = argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    const auto option =
        std::ranges::find_if(options, [&name](const CommandLineOption& entry) { return entry.spec.name == name; });
    if (option == options.end()) return shell::Fill(Tr("opcion desconocida: --%1"), {name});
    const bool takesValue = !option->spec.valueName.empty();
    std::string value;
    if (equals != std::string::npos) {
        if (!takesValue) return shell::Fill(Tr("--%1 no lleva valor"), {name});
        value = argument.substr(equals + 1);
    } else if (takesValue) {
        if (index + 1 >= args.size()) return shell::Fill(Tr("falta el valor de --%1"), {name});
        value = args[++index];
    }
    return option->store(value);
}

std::string HelpEntry(std::string_view left, std::string_view text, std::size_t column) {
    std::string entry(left);
    if (entry.size() < column) entry.resize(column, ' ');
    else entry += "\n" + std::string(column, ' ');
    bool first = true;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        for (const std::string& line : Wrap(text.substr(start, end - start), HelpWidth - column)) {
            if (!first) entry += std::string(column, ' ');
            entry += line + "\n";
            first = false;
        }
        start = end + 1;
    }
    return entry;
}

std::string OptionHelp(const OptionSpec& option, std::size_t indent, std::size_t column) {
    std::string left = std::string(indent, ' ') + "--" + option.name;
    if (!option.valueName.empty()) left += " " + option.valueName;
    return HelpEntry(left, option.help, column) + option.details;
}

std::string OptionsHelp(const std::vector<CommandLineOption>& options) {
    std::string text;
    for (const auto& option : options) text += OptionHelp(option.spec, OptionIndent, OptionColumn);
    return text + HelpEntry(std::string(OptionIndent, ' ') + "-h, --help", Tr("muestra esta ayuda"), OptionColumn);
}

}  // namespace tarpel::board
