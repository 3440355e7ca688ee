// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/ProductionRun.h"

#include <cstdio>
#include <iostream>
#include <optional>

#include "cli/CommandContext.h"
#include "cli/StopSignals.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::cli {

namespace {

struct Settings {
    std::optional<production::SerialPlace> place;
    std::string counter;
    std::string log;
    bool repeat = false;
};

bool Given(const CommandContext& context) {
    for (const char* name : {"serial", "serial-file", "log", "repeat"})
        if (context.HasOption(name)) return true;
    return false;
}

int UsageError(CommandContext& context, const std::string& text) {
    context.shell.MessageBox(text, "ERROR");
    return ExitUsage;
}

// The settings the options give, or the usage error's status.
std::optional<Settings> ReadSettings(CommandContext& context, SerialTarget target, int& status) {
    Settings settings;
    status = ExitUsage;
    if (context.HasOption("backup")) {
        // One copy file for a run of many chips would keep only the last one's.
        UsageError(context, Tr("--backup no puede ir con --serial, --log o --repeat"));
        return std::nullopt;
    }
    if (context.HasOption("serial") != context.HasOption("serial-file")) {
        UsageError(context, Tr("--serial y --serial-file van juntas: donde va el numero y de donde sale"));
        return std::nullopt;
    }
    if (const auto serial = context.Option("serial")) {
        std::string error;
        settings.place = production::ParseSerialPlace(*serial, error);
        if (!settings.place) {
            UsageError(context, error);
            return std::nullopt;
        }
        const bool flash = settings.place->memory == production::SerialMemory::Flash;
        if ((target == SerialTarget::Flash && !flash) || (target == SerialTarget::Eeprom && flash)) {
            UsageError(context, shell::Fill(Tr("--serial %1: esta orden solo graba la %2"),
                                            {*serial, target == SerialTarget::Flash ? "flash:" : "eeprom:"}));
            return std::nullopt;
        }
        settings.counter = *context.Option("serial-file");
    }
    settings.log = context.Option("log").value_or("");
    settings.repeat = context.HasOption("repeat");
    return settings;
}

// The user's word that the next chip is in the socket: a line, not "q", before the end of input
// or a stop signal.
bool NextChipPlaced(CommandContext& context) {
    context.shell.Notice(Tr("Cambie el chip y pulse Intro (q para terminar)"));
    std::string line;
    if (!std::getline(std::cin, line) || StopSignal() != 0) return false;
    return line != "q" && line != "Q";
}

int RunProduction(CommandContext& context, const Settings& settings, const ChipRunner& runner) {
    production::RunSettings run{settings.place, settings.counter, settings.log,
                                context.arguments.empty() ? std::string() : context.arguments.front(),
                                context.board.description};
    const auto now = [&context] {
        std::int64_t frequency = 1;
        context.clock().QueryPerformanceFrequency(frequency);
        return static_cast<double>(context.clock().QueryPerformanceCounter()) / static_cast<double>(frequency);
    };
    production::Tally tally;
    int status = ExitSuccess;
    for (int chip = 1;; ++chip) {
        const production::ChipVerdict verdict = production::RunChip(
            run, [&](const production::PlacedSerial* serial) { return runner(context, serial); }, now);
        tally.Add(verdict);
        if (verdict.ran) {
            if (!verdict.good) status = ExitFailure;
            char time[32];
            std::snprintf(time, sizeof time, "%.1f s", verdict.seconds);
            const std::string result = verdict.good ? "OK" : Tr("FALLO");
            context.out << (settings.repeat ? shell::Fill(Tr("Chip %1: %2"), {chip, result})
                                            : shell::Fill(Tr("Resultado: %1"), {result}))
                        << " ("
                        << (verdict.serial ? shell::Fill(Tr("numero de serie %1, "), {std::to_string(*verdict.serial)})
                                           : "")
                        << time << ")\n";
            context.out.flush();
        }
        if (!verdict.error.empty()) {
            // The counter or the log failed: no chip can be numbered or recorded any more.
            context.shell.MessageBox(verdict.error, "ERROR");
            status = ExitFailure;
            break;
        }
        if (!settings.repeat || StopSignal() != 0) break;
        // The chip is done and its verdict told: a stop from here on ends the run between two
        // chips, with nothing of this one to report as cut short.
        context.shell.NoteWritten({});
        if (!NextChipPlaced(context)) break;
        if (context.board.nextChip) context.board.nextChip();
    }
    if (settings.repeat)
        context.out << shell::Fill(Tr("Fin de la produccion: %1"), {production::TallyText(tally)}) << '\n';
    return status;
}

}  // namespace

Command WithProduction(Command command, SerialTarget target, ChipRunner runner, bool always) {
    const CommandFunction plain = command.run;
    command.options.push_back({"serial", Tr("SITIO"),
                               Tr("pone en cada chip el numero de serie de --serial-file: "
                                  "[eeprom:|flash:]DIRECCION[:LONGITUD][:le|be|ascii|bcd] (eeprom interna, 4 bytes, "
                                  "le si no se dice)")});
    command.options.push_back({"serial-file", Tr("CONTADOR"),
                               Tr("fichero de texto con el proximo numero de serie; avanza antes de tocar el chip")});
    command.options.push_back({"log", Tr("FICHERO"),
                               Tr("anade al FICHERO .csv una linea por chip: fecha, placa, chip, fichero y su CRC-32, "
                                  "numero de serie, pasos, tiempo y resultado")});
    command.options.push_back({"repeat", "", Tr("al acabar pide el chip siguiente; q o el fin de la entrada terminan")});
    command.run = [plain, target, runner, always](CommandContext& context) {
        if (!always && !Given(context)) return plain(context);
        int status = ExitUsage;
        const auto settings = ReadSettings(context, target, status);
        if (!settings) return status;
        return RunProduction(context, *settings, runner);
    };
    return command;
}

}  // namespace tarpel::cli
