// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/Cli.h"

#include <exception>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "avr/CommandFrame.h"
#include "port/InertPort.h"
#include "cli/CommandContext.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleShell.h"
#include "port/StopPort.h"
#include "cli/SameFile.h"
#include "cli/SimViolationReport.h"
#include "cli/StopSignals.h"
#include "port/SteadyClock.h"
#include "port/TracingPort.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::cli {

namespace {

// The board of a command that works on files alone: the options are checked as ever, but no
// port is opened and no trace written.
board::Board NoBoard(const board::BoardOptions& options) {
    board::Board board;
    board.error = board::ValidateBoardOptions(options);
    board.badOptions = !board.error.empty();
    board.port = std::make_unique<board::InertPort>();
    board.clock = std::make_unique<port::SteadyClock>();
    return board;
}

}  // namespace

std::string DescribeException(const std::exception& error) {
    if (const auto* fileError = dynamic_cast<const std::filesystem::filesystem_error*>(&error)) {
        // A path past the system's limit would fill the screen: its start is enough to know it.
        constexpr std::size_t ShownPathChars = 80;
        std::string path = fileError->path1().string();
        if (path.size() > ShownPathChars) path = path.substr(0, ShownPathChars) + "...";
        return shell::Fill(Tr("Error en el sistema de ficheros (%1): %2"), {fileError->code().message(), path});
    }
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) return Tr("No hay memoria suficiente");
    return error.what();
}

int RunCli(const CommandTable& table, const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool progressLine) {
    CommandLine line;
    std::string error;
    const bool parsed = ParseCommandLine(args, table, line, error);
    if (line.help) {
        out << HelpText(table);
        return ExitSuccess;
    }
    const auto usageError = [&err](const std::string& message) {
        err << "tarpel-cli: " << message << Tr("\nPruebe: tarpel-cli --help\n");
        return ExitUsage;
    };
    if (!parsed) return usageError(error);
    // Opening the board empties the trace file: it must not be a file the command works on,
    // whether named as an argument, by --from or by --backup.
    std::vector<std::string> files = line.arguments;
    for (const char* option : {"from", "backup"}) {
        if (const auto file = line.options.find(option); file != line.options.end()) files.push_back(file->second);
    }
    for (const auto& file : files) {
        if (!line.board.traceFile.empty() && SameFile(line.board.traceFile, file))
            return usageError(shell::Fill(Tr("--trace no puede ser un fichero que lee o escribe la orden: %1"),
                                          {line.board.traceFile}));
    }

    // Only the simulated chips log violations: on a real port the option would pass everything.
    const std::string strictOnRealPort = Tr("--sim-strict solo vale con la placa simulada (--board sim)");
    const bool strict = line.simStrict && line.command->opensBoard;
    if (strict && !line.board.board.empty() && line.board.board != "sim" && !line.board.board.starts_with("sim:"))
        return usageError(strictOnRealPort);
    board::Board board = line.command->opensBoard ? board::OpenBoard(line.board) : NoBoard(line.board);
    if (board.badOptions) return usageError(board.error);
    if (strict && board.Usable() && board.simulation == nullptr) return usageError(strictOnRealPort);
    if (!board.Usable()) {
        err << "ERROR: " << board.error << '\n';
        return ExitFailure;
    }
    board.port = std::make_unique<port::StopPort>(
        std::move(board.port), [] { return ForcedStopSignal() != 0; }, [] { EndForcedStop(); });
    link::BoardLines lines(*board.port);
    link::BitTiming timing(*board.clock);
    timing.CalibrateBitDelay();
    timing.DelayFactor = line.delayFactor;
    timing.FastTiming = line.fastTiming;
    ConsoleShell shell(err, progressLine);

    CommandContext context{board, lines, timing, shell, line.arguments, line.options, out};
    int status = ExitFailure;
    try {
        status = line.command->run(context);
    } catch (const std::exception& thrown) {
        // The lines go off below as after any command; the board's own report follows.
        shell.MessageBox(DescribeException(thrown), "ERROR");
    }
    // As the window program does when it closes: every line off.
    lines.AllOff();
    // What the board itself reports (a port that stopped working, a simulated chip that could
    // not be saved) outranks the command's own verdict.
    if (const std::string failure = board.port->Failure(); !failure.empty()) {
        shell.MessageBox(failure, "ERROR");
        status = ExitFailure;
    }
    // A trace cut short (a full disk) must not pass for a whole one.
    if (board.trace && !board.trace->Finish()) {
        shell.MessageBox(board.trace->Error(), "ERROR");
        status = ExitFailure;
    }
    if (line.simStrict && board.simulation &&
        ReportSimViolations(*board.simulation, SocketsOfGroup(line.command->group), err) != 0)
        status = ExitFailure;
    if (StopSignal() != 0) {
        // "Cancelled" alone after an erase or some bytes written would tell the user the device
        // is as it was.
        shell.Notice(shell.Written().empty() ? std::string(Tr(CancelledMessage))
                                             : shell::Fill(TrText(avr::CancelledAfterWritesMessage), {shell.Written()}));
        status = ExitFailure;
    }
    return status;
}

}  // namespace tarpel::cli
