// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/CommandLine.h"

#include <charconv>

#include "link/BitTiming.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::cli {

namespace {

using link::MaxDelayFactor;                     // where the delay unit clamps
constexpr std::size_t CommandColumn = 34;       // where a command's summary starts in the help
constexpr std::size_t CommandOptionIndent = 6;  // a command's own options stand under it

// The options every command takes: the board's, and the delay factor of this run.
std::vector<board::CommandLineOption> CommonOptions(CommandLine& line) {
    auto options = board::BoardCommandLineOptions(line.board);
    options.push_back({{"delay", "N",
                        shell::Fill(Tr("factor de retardo del bus I2C en esta ejecucion: la unidad de espera dura N x "
                                       "25 us (N x 5 us con --fast; 1 a %1; por defecto 1)"),
                                    {MaxDelayFactor})},
                       [&line](const std::string& value) {
                           std::int32_t factor = 0;
                           const auto* end = value.data() + value.size();
                           const auto result = std::from_chars(value.data(), end, factor);
                           if (value.empty() || result.ec != std::errc() || result.ptr != end || factor < 1 ||
                               factor > MaxDelayFactor)
                               return shell::Fill(Tr("--delay espera un numero entero de 1 a %1: %2"),
                                                  {MaxDelayFactor, value});
                           line.delayFactor = factor;
                           return std::string();
                       }});
    options.push_back({{"fast", "",
                        Tr("modo rapido: unidad de espera I2C de N x 5 us, paginas del tamano de la memoria con "
                           "sondeo del ACK al final de cada escritura, fases de SCK de 3 ciclos de XTAL1 y esperas "
                           "de encendido del AVR recortadas a la hoja de datos")},
                       [&line](const std::string&) {
                           line.fastTiming = true;
                           return std::string();
                       }});
    options.push_back({{"sim-strict", "",
                        Tr("con la placa simulada: al final muestra las violaciones del protocolo que vieron los "
                           "chips simulados y, si hubo alguna, la orden falla (salida 1)")},
                       [&line](const std::string&) {
                           line.simStrict = true;
                           return std::string();
                       }});
    return options;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, const CommandTable& table, CommandLine& line,
                      std::string& error) {
    // A command's own options join once its words are known, ahead of the common ones.
    std::vector<board::CommandLineOption> options = CommonOptions(line);
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
        if (onlyWords || !board::IsOptionWord(arg)) {
            words.push_back(arg);
            if (words.size() == 2) {
                line.command = table.Find(words[0], words[1]);
                if (!line.command) {
                    error = table.HasGroup(words[0])
                                ? shell::Fill(Tr("orden desconocida: %1 %2"), {words[0], words[1]})
                                : shell::Fill(Tr("grupo de ordenes desconocido: %1"), {words[0]});
                    return line.help;
                }
                for (const auto& own : line.command->options) {
                    options.insert(options.begin(), {own, [&line, name = own.name](const std::string& value) {
                                                         line.options[name] = value;
                                                         return std::string();
                                                     }});
                }
            }
            continue;
        }
        error = board::ReadOption(args, i, options);
        if (!error.empty()) return false;
    }
    if (line.help) return true;
    if (words.size() < 2) {
        error = words.empty() ? Tr("falta la orden") : shell::Fill(Tr("falta la orden del grupo %1"), {words[0]});
        return false;
    }
    line.arguments.assign(words.begin() + 2, words.end());
    const Command& command = *line.command;
    if (line.arguments.size() < command.minArguments || line.arguments.size() > command.maxArguments) {
        error = shell::Fill(Tr("argumentos de mas o de menos; uso: tarpel-cli %1"),
                            {command.group + " " + command.name +
                             (command.arguments.empty() ? "" : " " + command.arguments)});
        return false;
    }
    return true;
}

std::string HelpText(const CommandTable& table) {
    std::string commands;
    for (const auto& command : table.Commands()) {
        std::string usage = "  " + command.group + " " + command.name;
        if (!command.arguments.empty()) usage += " " + command.arguments;
        commands += board::HelpEntry(usage, command.summary, CommandColumn);
        for (const auto& option : command.options)
            commands += board::OptionHelp(option, CommandOptionIndent, CommandColumn);
    }
    CommandLine unused;
    // The whole page is one text: %1 is the list of commands, %2 the common options.
    return shell::Fill(
        Tr("Uso: tarpel-cli [OPCIONES] GRUPO ORDEN [ARGUMENTOS] [OPCIONES DE LA ORDEN]\n"
           "\n"
           "Lee, graba, borra y verifica chips con la placa Velcor del puerto paralelo: AVR por su\n"
           "interfaz serie y memorias I2C 24Cxx. Sin puerto paralelo trabaja con una placa simulada.\n"
           "\n"
           "Ordenes:\n"
           "%1\n"
           "Opciones comunes:\n"
           "%2\n"
           "Los mensajes salen en la salida de error, uno por linea: \"TITULO: texto\".\n"
           "Estado de salida: 0 bien; 1 la orden fallo (error, diferencias al verificar, chip no\n"
           "borrado, orden cancelada); 2 error de uso.\n"
           "Ctrl-C, SIGTERM, SIGHUP o SIGQUIT detienen la orden en su siguiente byte o pagina, con\n"
           "todas las lineas apagadas; una segunda senal las apaga en el acto (salida 128 + senal).\n"),
        {commands, board::OptionsHelp(CommonOptions(unused))});
}

}  // namespace tarpel::cli
