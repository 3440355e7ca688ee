// SPDX-License-Identifier: GPL-2.0-or-later
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/AvrCommands.h"
#include "cli/AvrLockCommands.h"
#include "cli/AvrReadCommands.h"
#include "cli/BoardCommands.h"
#include "cli/Cli.h"
#include "cli/EepromCommands.h"
#include "cli/StopSignals.h"
#include "shell/Translate.h"

int main(int argc, char** argv) {
    using namespace tarpel::cli;
    tarpel::SetUpLanguage();
    CommandTable table;
    // One line per command group.
    RegisterBoardCommands(table);
    RegisterEepromCommands(table);
    RegisterAvrCommands(table);
    RegisterAvrReadCommands(table);
    RegisterAvrLockCommands(table);

    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    InstallStopSignals(terminal);
    return RunCli(table, std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr, terminal);
}
