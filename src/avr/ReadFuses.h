// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Leer" of the fuse panel (btnLeerFusesClick): reads the ATmega8515's two fuse bytes and sets
// the panel's controls from them. AT90S devices are refused.
#include "avr/CommandFrame.h"
#include "avr/FuseMemory.h"
#include "avr/FusePanel.h"

namespace tarpel::avr {

// Done when the panel shows the bytes read; `memory` then holds them.
CommandOutcome ReadFuses(CommandFrame& frame, FusePanel& panel, FuseMemory& memory);

}  // namespace tarpel::avr
