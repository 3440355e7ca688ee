#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/AvrCommands.h"
#include "cli/AvrReadCommands.h"
#include "cli/BoardCommands.h"
#include "cli/Cli.h"
#include "cli/ConsoleShell.h"
#include "cli/EepromCommands.h"

int main(int argc, char** argv) {
    using namespace tarpel::cli;
    CommandTable table;
    // One line per command group.
    RegisterBoardCommands(table);
    RegisterEepromCommands(table);
    RegisterAvrCommands(table);
    RegisterAvrReadCommands(table);

    ConsoleShell::InstallInterruptHandler();
    return RunCli(table, std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr,
                  ::isatty(STDERR_FILENO) != 0);
}
