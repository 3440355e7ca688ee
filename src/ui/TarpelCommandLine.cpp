// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/TarpelCommandLine.h"

#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::ui {

TarpelCommandLine ParseTarpelCommandLine(const std::vector<std::string>& arguments) {
    TarpelCommandLine result;
    const auto options = board::BoardCommandLineOptions(result.options);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            result.help = true;
            continue;
        }
        std::string error = board::IsOptionWord(argument) ? board::ReadOption(arguments, i, options)
                                                          : shell::Fill(Tr("argumento inesperado: %1"), {argument});
        if (result.error.empty()) result.error = std::move(error);
    }
    return result;
}

std::string TarpelHelpText() {
    board::BoardOptions unused;
    // %1 is the list of options.
    return shell::Fill(Tr("Uso: tarpel [opciones]\n"
                          "Programador de AVR AT90S8515, AT90S4414, ATmega8515, ATmega162 y memorias 24Cxx con la placa "
                          "Velcor.\n"
                          "\n"
                          "%1"),
                       {board::OptionsHelp(board::BoardCommandLineOptions(unused))});
}

}  // namespace tarpel::ui
