// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What --sim-strict prints at the end of a run on the simulated board: how many protocol
// violations the virtual chips logged and the first few of them, on standard error. Judging the
// run by that count is the caller's. Both sockets share the data lines, so the chip in the other
// socket sees an AVR command's clock on its SCL (and the AVR sees the I2C lines): what that chip
// logs is told in a line of its own and does not count against a command that was not for it.
#include <cstddef>
#include <ostream>
#include <string_view>

namespace tarpel::sim {
class SimulatedBoard;
}

namespace tarpel::cli {

// Violations shown one by one; the rest only count.
inline constexpr std::size_t ShownViolations = 10;

// The sockets whose chips a command works on.
struct SocketsInUse {
    bool eeprom = true;
    bool avr = true;
};
// The sockets a command group works on: "eeprom" the 24Cxx, "avr" the AVR, any other both.
SocketsInUse SocketsOfGroup(std::string_view group);

// Writes nothing and returns 0 when the chips in use logged none; else their count.
std::size_t ReportSimViolations(sim::SimulatedBoard& board, SocketsInUse inUse, std::ostream& err);

}  // namespace tarpel::cli
