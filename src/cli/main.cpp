// SPDX-License-Identifier: GPL-2.0-or-later
#include <unistd.h>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/AvrCommands.h"
#include "cli/AvrLockCommands.h"
#include "cli/AvrReadCommands.h"
#include "cli/BoardCommands.h"
#include "cli/Cli.h"
#include "cli/EepromCommands.h"
#include "cli/StandardOutput.h"
#include "cli/StopSignals.h"
#include "files/FileSizeSignal.h"
#include "shell/Translate.h"

int main(int argc, char** argv) {
    using namespace tarpel::cli;
    tarpel::SetUpLanguage();
    HoldClosedStandardOutput();
    tarpel::files::IgnoreFileSizeSignal();
    CommandTable table;
    // One line per command group.
    RegisterBoardCommands(table);
    RegisterEepromCommands(table);
    RegisterAvrCommands(table);
    RegisterAvrReadCommands(table);
    RegisterAvrLockCommands(table);

    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    InstallStopSignals(terminal);
    int status = ExitFailure;
    try {
        status = RunCli(table, std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr, terminal);
    } catch (const std::exception& error) {
        // Whatever escaped the command (it has switched the lines off on its way out): a line
        // and a status, never an abort.
        std::cerr << "ERROR: " << DescribeException(error) << '\n';
        return ExitFailure;
    }
    // A result that did not reach its reader is a failed command, whatever the command did.
    if (!StandardOutputDelivered(std::cerr) && status == ExitSuccess) return ExitFailure;
    return status;
}
