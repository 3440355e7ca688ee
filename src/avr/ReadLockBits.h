// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Leer" of the lock box: reads the ATmega8515's lock byte and shows its mode. The AT90S parts
// have no instruction to read their lock bits: the user is told so, and no mode is made up.
#include "avr/CommandFrame.h"

namespace tarpel::avr {

// Done when the view was given the lock byte; Failed when the device cannot report it (AT90S,
// an "AVISO:" box says so) or the command stopped at the identification.
CommandOutcome ReadLockBits(CommandFrame& frame);

}  // namespace tarpel::avr
