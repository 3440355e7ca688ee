// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/ProductionRun.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <iostream>
#include <optional>

#include "cli/CommandContext.h"
#include "cli/StopSignals.h"
#include "files/Checksums.h"
#include "production/ProductionLog.h"
#include "production/SerialCounter.h"
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

double Seconds(port::Clock& clock, std::int64_t since) {
    std::int64_t frequency = 1;
    clock.QueryPerformanceFrequency(frequency);
    return static_cast<double>(clock.QueryPerformanceCounter() - since) / static_cast<double>(frequency);
}

// Of the file as it is on the disk, as "crc32 FILE" gives it: the log says exactly which file went in.
std::optional<std::uint32_t> FileCrc(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.eof() && !in) return std::nullopt;
    if (!in.is_open()) return std::nullopt;
    return files::Crc32(bytes);
}

// The user's word that the next chip is in the socket: a line, not "q", before the end of input
// or a stop signal.
bool NextChipPlaced(CommandContext& context) {
    context.shell.Notice(Tr("Cambie el chip y pulse Intro (q para terminar)"));
    std::string line;
    if (!std::getline(std::cin, line) || StopSignal() != 0) return false;
    return line != "q" && line != "Q";
}

struct Tally {
    int good = 0;
    int failed = 0;
    std::optional<std::uint64_t> firstSerial, lastSerial;
};

int RunProduction(CommandContext& context, const Settings& settings, const ChipRunner& runner) {
    Tally tally;
    int status = ExitSuccess;
    const std::string file = context.arguments.empty() ? std::string() : context.arguments.front();
    const auto crc = FileCrc(file);
    for (int chip = 1;; ++chip) {
        const std::int64_t start = context.clock().QueryPerformanceCounter();
        std::optional<PlacedSerial> serial;
        if (settings.place) {
            // Taken, and the counter moved on, before the chip is touched: a number is never
            // handed out twice, even when the program dies in the middle of this chip.
            std::string error;
            const auto number = production::TakeSerial(settings.counter, production::LargestSerial(*settings.place), error);
            if (!number) {
                context.shell.MessageBox(error, "ERROR");
                status = ExitFailure;
                break;
            }
            serial = PlacedSerial{*settings.place, *production::EncodeSerial(*number, *settings.place), *number};
            if (!tally.firstSerial) tally.firstSerial = number;
            tally.lastSerial = number;
        }
        const ChipRun run = runner(context, serial ? &*serial : nullptr);
        const double seconds = Seconds(context.clock(), start);
        const bool good = run.status == ExitSuccess;
        (good ? tally.good : tally.failed) += 1;
        if (!good) status = run.status;
        if (!settings.log.empty()) {
            const production::LogEntry entry{std::chrono::system_clock::now(), context.board.description, run.device, file,
                                             crc, serial ? std::optional(serial->number) : std::nullopt, run.steps,
                                             seconds, good};
            std::string error;
            if (!production::AppendToLog(settings.log, entry, error)) {
                context.shell.MessageBox(error, "ERROR");
                status = ExitFailure;
                break;
            }
        }
        char time[32];
        std::snprintf(time, sizeof time, "%.1f s", seconds);
        const std::string verdict = good ? "OK" : Tr("FALLO");
        context.out << (settings.repeat ? shell::Fill(Tr("Chip %1: %2"), {chip, verdict})
                                        : shell::Fill(Tr("Resultado: %1"), {verdict}))
                    << " (" << (serial ? shell::Fill(Tr("numero de serie %1, "), {std::to_string(serial->number)}) : "")
                    << time << ")\n";
        context.out.flush();
        if (!settings.repeat || StopSignal() != 0 || !NextChipPlaced(context)) break;
        if (context.board.nextChip) context.board.nextChip();
    }
    if (settings.repeat) {
        std::string numbers;
        if (tally.firstSerial)
            numbers = shell::Fill(Tr("; numeros de serie %1 a %2"),
                                  {std::to_string(*tally.firstSerial), std::to_string(*tally.lastSerial)});
        context.out << shell::Fill(Tr("Fin de la produccion: %1 buenos, %2 fallidos%3"),
                                   {tally.good, tally.failed, numbers})
                    << '\n';
    }
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
