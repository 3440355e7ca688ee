// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Choosing and opening the board a run works with: the simulated board (alone or behind a
// simulated FTDI adapter), a ppdev port, direct port I/O or an FTDI USB adapter, optionally
// wrapped in the line trace. Shared by the window program and tarpel-cli.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "board/BoardOptions.h"
#include "port/Clock.h"
#include "port/Port.h"

namespace tarpel::sim {
class SimulatedBoard;
}
namespace tarpel::port {
class TracingPort;
}

namespace tarpel::board {

struct Board {
    std::unique_ptr<port::Port> port;    // what the line layer writes to; never null
    std::unique_ptr<port::Clock> clock;  // never null
    std::string description;           // for the status bar: "Placa: /dev/parport0", "Placa: adaptador USB FT232R A1B2C3"
    std::string error;                 // why the chosen port could not be opened; the port is inert then
    bool badOptions = false;           // the error lies in the options themselves (a usage error)
    sim::SimulatedBoard* simulation = nullptr;  // set on the simulated board
    port::TracingPort* trace = nullptr;           // the line trace inside port, when one is written
    // The user has put the next chip of a production run in the socket. Nothing on a real board;
    // the simulated one puts a new virtual chip there, chip N in the subfolder "chipN".
    std::function<void()> nextChip;

    bool Usable() const { return error.empty(); }
};

// Automatic choice: ppdev on /dev/parport0 when that device exists, else the simulation. A real
// port that fails gives an error and an inert port, never a silent switch to the simulation.
Board OpenBoard(const BoardOptions& options);

// The boards --board takes, as its help lists them: "sim | sim:ft232r | ... | ftdi[:SERIE]".
std::string BoardKindsHelp();

// Checks the option values without opening anything; the user's message, or empty when sound.
// The AVR model is left to the AVR socket's factory, which OpenBoard asks.
std::string ValidateBoardOptions(const BoardOptions& options);

}  // namespace tarpel::board
