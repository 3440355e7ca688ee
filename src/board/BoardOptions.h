// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The options that choose and shape the board, as the window program and tarpel-cli both take
// them: what they fill and the one table that reads them and gives their help. Each program
// adds its own options to the table it reads with; opening the board is OpenBoard's.
#include <optional>
#include <string>
#include <vector>

#include "board/CommandLineOption.h"

namespace tarpel::board {

struct BoardOptions {
    std::string board;  // "" (automatic), "sim", "sim:ft232r", "sim:ft232h", "ppdev", "ppdev:/dev/parportN",
                        // "direct", "ftdi", "ftdi:SERIAL"
    std::string traceFile;   // VCD trace of every port access, when not empty
    std::string simDir;      // where the virtual chips keep their contents ("" = per-user default)
    std::string simEeprom = "24C128";    // chip in the 24Cxx socket, or "none"
    std::string simAvr = "atmega8515";   // device in the AVR socket, or "none"
    std::vector<std::string> simFaults;  // fault injections, see the --help text
    bool realTime = false;               // pace the simulation at wall-clock speed
    // Write-cycle time of the virtual 24Cxx; unset: the chip's datasheet maximum.
    std::optional<double> simEepromWriteMs;
    // How fast a simulated FTDI adapter's pins tick, as a multiple of the rate asked of libftdi.
    double simFtdiClock = 1;
};

// The board options, each storing into `options`, in the order the help lists them.
std::vector<CommandLineOption> BoardCommandLineOptions(BoardOptions& options);

}  // namespace tarpel::board
