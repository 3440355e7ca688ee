// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Opening an FTDI adapter as the board's port: which port drives the board depends on the chip
// the adapter turns out to carry, known only once it is open. The H series goes through its
// MPSSE (FtdiMpssePort), the FT232R through synchronous bit-bang (FtdiPort); older chips are
// refused.
#include <memory>
#include <string>

#include "port/Clock.h"
#include "port/FtdiCalls.h"
#include "port/Port.h"

namespace tarpel::port {

struct FtdiBoardPort {
    std::unique_ptr<Port> port;  // null on failure
    std::string name;            // "FT232H FT6ZK3QN", for the status bar and board check
};

// Opens the adapter of that serial number through `calls` (the first one found when empty) and
// brings up the port its chip needs. On failure the port is null and `errorMessage` names the
// cause and the fix.
// The FT232R's pin clock is timed on `clock` as it opens.
FtdiBoardPort OpenFtdiBoardPort(std::unique_ptr<FtdiCalls> calls, const std::string& serial, Clock& clock,
                                std::string& errorMessage);

// The user's message for an adapter whose chip cannot drive the board.
std::string FtdiUnsupportedChipMessage(FtdiChip chip, const std::string& serial);

}  // namespace tarpel::port
