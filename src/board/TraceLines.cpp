// SPDX-License-Identifier: GPL-2.0-or-later
#include "board/TraceLines.h"

#include "link/BoardLines.h"

namespace tarpel::board {

std::vector<port::TracingPort::Line> BoardTraceLines() {
    namespace bits = link::bits;
    return {
        {"SUPPLY", false, bits::Supply, false}, {"SCL", false, bits::SclXtal, false},
        {"SDA_OUT", false, bits::SdaReset, false}, {"SDA", true, bits::StatusSdaInverted, true},
        {"VCC", false, bits::Supply, false}, {"XTAL1", false, bits::SclXtal, false},
        {"RESET", false, bits::SdaReset, false}, {"MOSI", false, bits::Mosi, false},
        {"SCK", false, bits::Sck, false}, {"MISO", true, bits::StatusMiso, false},
    };
}

}  // namespace tarpel::board
