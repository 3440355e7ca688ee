#include "ui/TarpelCommandLine.h"

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
                                                          : Tr("argumento inesperado: ") + argument;
        if (result.error.empty()) result.error = std::move(error);
    }
    return result;
}

std::string TarpelHelpText() {
    board::BoardOptions unused;
    return Tr("Uso: tarpel [opciones]\n"
              "Programador de AVR AT90S8515, AT90S4414, ATmega8515 y memorias 24Cxx con la placa Velcor.\n"
              "\n") +
           board::OptionsHelp(board::BoardCommandLineOptions(unused));
}

}  // namespace tarpel::ui
