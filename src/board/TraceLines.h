// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The board's lines as the trace names them. SUPPLY/VCC, SCL/XTAL1 and SDA_OUT/RESET share a
// bit, named twice so that the I2C and the SPI decoders each find their own lines.
#include <vector>

#include "port/TracingPort.h"

namespace tarpel::board {

std::vector<port::TracingPort::Line> BoardTraceLines();

}  // namespace tarpel::board
