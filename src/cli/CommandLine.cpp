#include "cli/CommandLine.h"

#include <charconv>

#include "sim/ChipStore.h"
#include "sim/SimFaults.h"

namespace tarpel::cli {

namespace {

constexpr std::int32_t MaxDelayFactor = 200;  // the delay unit clamps there anyway

bool ParseDelay(const std::string& text, std::int32_t& value) {
    const auto* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end && value >= 1 && value <= MaxDelayFactor;
}

bool IsCommonOption(const std::string& name) {
    return name == "board" || name == "trace" || name == "sim-dir" || name == "sim-eeprom" || name == "sim-avr" ||
           name == "sim-fault" || name == "delay";
}

// Stores a common option; false with a message when its value is unusable.
bool SetCommonOption(const std::string& name, const std::string& value, CommandLine& line, std::string& error) {
    auto& b = line.board;
    if (name == "board") b.board = value;
    else if (name == "trace") b.traceFile = value;
    else if (name == "sim-dir") b.simDir = value;
    else if (name == "sim-eeprom") b.simEeprom = value;
    else if (name == "sim-avr") b.simAvr = value;
    else if (name == "sim-fault") b.simFaults.push_back(value);
    else if (name == "delay" && !ParseDelay(value, line.delayFactor)) {
        error = "--delay espera un numero entero de 1 a " + std::to_string(MaxDelayFactor) + ": " + value;
        return false;
    }
    return true;
}

const CommandOption* FindOption(const Command* command, const std::string& name) {
    if (!command) return nullptr;
    for (const auto& option : command->options)
        if (option.name == name) return &option;
    return nullptr;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, const CommandTable& table, CommandLine& line,
                      std::string& error) {
    std::vector<std::string> words;
    bool onlyWords = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!onlyWords && arg == "--") {
            onlyWords = true;
            continue;
        }
        if (!onlyWords && (arg == "-h" || arg == "--help")) {
            line.help = true;
            continue;
        }
        if (onlyWords || arg.size() < 2 || arg[0] != '-') {
            words.push_back(arg);
            if (words.size() == 2) {
                line.command = table.Find(words[0], words[1]);
                if (!line.command) {
                    error = table.HasGroup(words[0]) ? "orden desconocida: " + words[0] + " " + words[1]
                                                     : "grupo de ordenes desconocido: " + words[0];
                    return line.help;
                }
            }
            continue;
        }
        if (!arg.starts_with("--")) {
            error = "opcion desconocida: " + arg;
            return false;
        }
        const auto equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        const CommandOption* own = FindOption(line.command, name);
        if (!own && !IsCommonOption(name)) {
            error = "opcion desconocida: --" + name;
            return false;
        }
        const bool takesValue = !own || !own->valueName.empty();
        std::string value;
        if (equals != std::string::npos) {
            if (!takesValue) {
                error = "--" + name + " no lleva valor";
                return false;
            }
            value = arg.substr(equals + 1);
        } else if (takesValue) {
            if (i + 1 >= args.size()) {
                error = "falta el valor de --" + name;
                return false;
            }
            value = args[++i];
        }
        if (own) line.options[name] = value;
        else if (!SetCommonOption(name, value, line, error)) return false;
    }
    if (line.help) return true;
    if (words.size() < 2) {
        error = words.empty() ? "falta la orden" : "falta la orden del grupo " + words[0];
        return false;
    }
    line.arguments.assign(words.begin() + 2, words.end());
    const Command& command = *line.command;
    if (line.arguments.size() < command.minArguments || line.arguments.size() > command.maxArguments) {
        error = "argumentos de mas o de menos; uso: tarpel-cli " + command.group + " " + command.name +
                (command.arguments.empty() ? "" : " " + command.arguments);
        return false;
    }
    return true;
}

std::string HelpText(const CommandTable& table) {
    std::string text =
        "Uso: tarpel-cli [OPCIONES] GRUPO ORDEN [ARGUMENTOS] [OPCIONES DE LA ORDEN]\n"
        "\n"
        "Lee, graba, borra y verifica chips con la placa Velcor del puerto paralelo: AVR por su\n"
        "interfaz serie y memorias I2C 24Cxx. Sin puerto paralelo trabaja con una placa simulada.\n"
        "\n"
        "Ordenes:\n";
    for (const auto& command : table.Commands()) {
        std::string usage = "  " + command.group + " " + command.name;
        if (!command.arguments.empty()) usage += " " + command.arguments;
        if (usage.size() < 34) usage.resize(34, ' ');
        else usage += "\n" + std::string(34, ' ');
        text += usage + command.summary + "\n";
        for (const auto& option : command.options) {
            std::string line = "      --" + option.name + (option.valueName.empty() ? "" : " " + option.valueName);
            if (line.size() < 34) line.resize(34, ' ');
            else line += "\n" + std::string(34, ' ');
            text += line + option.help + "\n";
        }
    }
    text +=
        "\n"
        "Opciones comunes:\n"
        "  --board PLACA          sim | ppdev[:/dev/parportN] | direct. Sin ella: ppdev en\n"
        "                         /dev/parport0 si existe, si no la placa simulada. Un puerto real\n"
        "                         que no se puede abrir es un error, nunca se pasa a la simulacion.\n"
        "  --delay N              factor de retardo del bus I2C en esta ejecucion: la unidad de\n"
        "                         espera dura N x 25 us (1 a 200; por defecto 1)\n"
        "  --trace FICHERO        registra cada escritura y lectura del puerto en un fichero VCD\n"
        "                         con marcas de tiempo en ns (GTKWave, PulseView, sigrok-cli; para\n"
        "                         trazas largas: sigrok-cli -I vcd:downsample=1000 -i FICHERO ...)\n"
        "  --sim-dir CARPETA      donde guarda la placa simulada el contenido de sus chips\n"
        "                         (por defecto " +
        sim::ChipStore::DefaultFolder() +
        ")\n"
        "  --sim-eeprom CHIP      chip del zocalo 24Cxx simulado: 24C04, 24C08, 24C16, 24C32, 24C64,\n"
        "                         24C128, 24C256, 24C512 o none (por defecto 24C128)\n"
        "  --sim-avr MODELO       micro del zocalo AVR simulado: at90s8515, at90s4414, atmega8515\n"
        "                         o none (por defecto atmega8515)\n"
        "  --sim-fault FALLO      fallo simulado; se puede repetir:\n" +
        std::string(sim::SimFaultHelp) +
        "  -h, --help             muestra esta ayuda\n"
        "\n"
        "Los mensajes salen en la salida de error, uno por linea: \"TITULO: texto\".\n"
        "Estado de salida: 0 bien; 1 la orden fallo (error, diferencias al verificar, chip no\n"
        "borrado); 2 error de uso.\n";
    return text;
}

}  // namespace tarpel::cli
