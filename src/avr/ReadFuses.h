// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Leer" of the fuse panel (btnLeerFusesClick): reads the ATmega8515's two fuse bytes and sets
// the panel's controls from them; another device's bytes (the ATmega162's three) the panel shows
// by that device's own fields. AT90S devices are refused.
#include "avr/CommandFrame.h"
#include "avr/FuseMemory.h"
#include "avr/FusePanel.h"

namespace tarpel::avr {

// Done when the bytes were read; `memory` then holds them and the panel shows them.
CommandOutcome ReadFuses(CommandFrame& frame, FusePanel& panel, FuseMemory& memory);

}  // namespace tarpel::avr
