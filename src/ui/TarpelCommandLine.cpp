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
        std::string error;
        if (argument == "--avr" || argument.starts_with("--avr=")) {
            if (argument != "--avr") result.avrFile = argument.substr(6);
            else if (i + 1 < arguments.size()) result.avrFile = arguments[++i];
            if (result.avrFile.empty()) error = shell::Fill(Tr("falta el valor de --%1"), {"avr"});
        } else if (board::IsOptionWord(argument)) {
            error = board::ReadOption(arguments, i, options);
        } else if (result.eepromFile.empty() && !argument.empty()) {
            result.eepromFile = argument;
        } else {
            error = shell::Fill(Tr("argumento inesperado: %1"), {argument});
        }
        if (result.error.empty()) result.error = std::move(error);
    }
    return result;
}

std::string TarpelHelpText() {
    board::BoardOptions unused;
    // %1 is the list of options.
    return shell::Fill(Tr("Uso: tarpel [opciones] [FICHERO]\n"
                          "Programador de AVR AT90S8515, AT90S4414, ATmega8515, ATmega162 y memorias 24Cxx con la placa "
                          "Velcor.\n"
                          "FICHERO se abre en la pagina 24CXXX; --avr FICHERO queda como fichero de la pagina AVR.\n"
                          "\n"
                          "%1"),
                       {board::OptionsHelp(board::BoardCommandLineOptions(unused))});
}

}  // namespace tarpel::ui
