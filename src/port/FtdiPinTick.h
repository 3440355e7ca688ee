// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// How fast an FTDI adapter's pins really tick in synchronous bit-bang, measured when it opens.
// FTDI's documents do not agree on it: libftdi asks the chip for four times the rate and takes
// the pins to tick at the rate asked; pyftdi and logic-analyser captures find up to five times
// the programmed baud on the H series (twenty times the rate asked of libftdi); the FT232R's
// errata (TN_120) call the pulse widths erratic below its 3 MBd maximum. Counting every hold at
// the shortest tick any of them allows would make the FT232R twenty times slower than its pins,
// so the port times the pins instead, and refuses an adapter outside all of them.
#include "port/Clock.h"
#include "port/FtdiCalls.h"

namespace tarpel::port {

// The documented range of the real tick against the rate asked of libftdi.
inline constexpr double SlowestPinClockFactor = 0.5;
inline constexpr double FastestPinClockFactor = 20;

// Clocks known runs of samples, every pin an input, at rates low enough that the pins never
// wait for the bus, and times their return on `clock`: the factor between the real pin rate
// and the rate asked of libftdi (the divider is linear, so it holds at every rate). 0 when a
// transfer failed. Leaves the adapter at one of its low rates.
double MeasurePinClockFactor(FtdiCalls& calls, Clock& clock);

}  // namespace tarpel::port
