// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Leer" of the fuse panel (btnLeerFusesClick): reads the ATmega8515's two fuse bytes and sets
// the panel's controls from them. AT90S devices are refused, and so is a device whose bits are
// not the panel's unless the caller prints them itself (`panelBits` false: tarpel-cli).
#include "avr/CommandFrame.h"
#include "avr/FuseMemory.h"
#include "avr/FusePanel.h"

namespace tarpel::avr {

// Done when the bytes were read; `memory` then holds them, and the panel shows those of a device
// with the panel's bits.
CommandOutcome ReadFuses(CommandFrame& frame, FusePanel& panel, FuseMemory& memory, bool panelBits = true);

}  // namespace tarpel::avr
