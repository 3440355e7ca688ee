#include "cli/Cli.h"

#include "cli/CommandContext.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleShell.h"
#include "cli/ImmediateStopPort.h"
#include "cli/StopSignals.h"

namespace tarpel::cli {

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
        err << "tarpel-cli: " << message << "\nPruebe: tarpel-cli --help\n";
        return ExitUsage;
    };
    if (!parsed) return usageError(error);

    board::Board board = board::OpenBoard(line.board);
    if (board.badOptions) return usageError(board.error);
    if (!board.Usable()) {
        err << "ERROR: " << board.error << '\n';
        return ExitFailure;
    }
    board.port = std::make_unique<ImmediateStopPort>(std::move(board.port));
    hw::BoardLines lines(*board.port);
    hw::BitTiming timing(*board.clock);
    timing.CalibrateBitDelay();
    timing.DelayFactor = line.delayFactor;
    ConsoleShell shell(err, progressLine);
    shell.WatchPort(*board.port);

    CommandContext context{board, lines, timing, shell, line.arguments, line.options, out};
    int status = line.command->run(context);
    // As the window program does when it closes: every line off.
    lines.AllOff();
    // What the board itself reports (a port that stopped working, a simulated chip that could
    // not be saved) outranks the command's own verdict.
    if (const std::string failure = board.port->Failure(); !failure.empty()) {
        shell.MessageBox(failure, "ERROR");
        status = ExitFailure;
    }
    if (StopSignal() != 0) {
        shell.Notice(CancelledMessage);
        status = ExitFailure;
    }
    return status;
}

}  // namespace tarpel::cli
