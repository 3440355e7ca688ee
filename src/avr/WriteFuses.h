// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// "Grabar" of the fuse panel (btnGrabarFusesClick): writes the panel's settings into the
// ATmega8515's two fuse bytes, SPIEN always programmed, and reads them back: "Fuses grabados!"
// only when the device holds them, an "ERROR" box with both values otherwise. AT90S devices
// are refused. Where the panel shows another device's fields (an ATmega162's, once read), those
// are written, all of its bytes, to that kind of device only: the panel's bits are never
// written to a device they were not read from or meant for. A clock that needs a crystal or an RC pair on XTAL1 is written only when the
// user says yes to a warning.
#include "avr/CommandFrame.h"
#include "avr/FuseMemory.h"
#include "avr/FusePanel.h"

namespace tarpel::avr {

// Done when both bytes were written and read back; Failed when they did not read back;
// Cancelled, with nothing written, when the user said no to the clock warning. A clock list
// left on the item the last read showed writes the CKSEL value read back unchanged; `memory`
// then holds the bytes written.
CommandOutcome WriteFuses(CommandFrame& frame, const FusePanel& panel, FuseMemory& memory);

}  // namespace tarpel::avr
