#include "ui/TarpelCommandLine.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "sim/SimFaults.h"

namespace tarpel::ui {

TarpelCommandLine ParseTarpelCommandLine(const std::vector<std::string>& arguments) {
    TarpelCommandLine result;
    auto fail = [&result](std::string message) {
        if (result.error.empty()) result.error = std::move(message);
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            result.help = true;
            continue;
        }
        if (argument == "--real-time") {
            result.options.realTime = true;
            continue;
        }
        std::string name = argument;
        std::string value;
        bool hasValue = false;
        if (const auto equals = argument.find('='); argument.starts_with("--") && equals != std::string::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            hasValue = true;
        }
        std::string* target = nullptr;
        if (name == "--board") target = &result.options.board;
        else if (name == "--trace") target = &result.options.traceFile;
        else if (name == "--sim-dir") target = &result.options.simDir;
        else if (name == "--sim-eeprom") target = &result.options.simEeprom;
        else if (name == "--sim-avr") target = &result.options.simAvr;
        else if (name != "--sim-fault") {
            fail(argument.starts_with("-") ? "opcion desconocida: " + argument : "argumento inesperado: " + argument);
            continue;
        }
        if (!hasValue) {
            if (i + 1 >= arguments.size()) {
                fail("falta el valor de " + name);
                continue;
            }
            value = arguments[++i];
        }
        if (target) *target = value;
        else result.options.simFaults.push_back(value);
    }
    return result;
}

std::string TarpelHelpText() {
    std::string text =
        "Uso: tarpel [opciones]\n"
        "Programador de AVR AT90S8515, AT90S4414, ATmega8515 y memorias 24Cxx con la placa Velcor.\n"
        "\n"
        "  --board PLACA      placa a usar: sim (simulada), ppdev, ppdev:/dev/parportN o direct;\n"
        "                     sin ella, /dev/parport0 si existe y si no la placa simulada\n"
        "  --trace FICHERO    guarda en FICHERO (VCD) cada acceso al puerto\n"
        "  --sim-dir CARPETA  donde guardan su contenido los chips simulados\n"
        "  --sim-eeprom CHIP  memoria del zocalo 24Cxx simulado (24C04 .. 24C512, o none)\n"
        "  --sim-avr MICRO    micro del zocalo AVR simulado (at90s8515, at90s4414, atmega8515, o none)\n"
        "  --sim-fault FALLO  fallo de la placa simulada; se puede repetir:\n";
    // The board's own list of faults, set in under the option whatever its own indent.
    const std::string_view faults = tarpel::sim::SimFaultHelp;
    std::vector<std::string_view> lines;
    std::size_t indent = std::string_view::npos;
    for (std::size_t start = 0; start < faults.size();) {
        const std::size_t end = std::min(faults.find('\n', start), faults.size());
        const std::string_view line = faults.substr(start, end - start);
        if (const auto first = line.find_first_not_of(' '); first != std::string_view::npos) {
            lines.push_back(line);
            indent = std::min(indent, first);
        }
        start = end + 1;
    }
    for (const std::string_view line : lines) text.append(6, ' ').append(line.substr(indent)).append("\n");
    text +=
        "  --real-time        la placa simulada va al ritmo del reloj real\n"
        "  --help             muestra esta ayuda\n";
    return text;
}

}  // namespace tarpel::ui
