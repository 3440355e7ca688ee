// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Everything of the identified AVR that a whole-chip copy keeps: the whole flash and EEPROM, the
// fuse bytes where the serial interface reaches them (the ATmega8515; the AT90S parts have none)
// and the signature, read into what the ELF writer takes. The backup saves it; the restore reads
// it again to check what it wrote. It chooses no file and shows no message of its own.
#include "avr/CommandFrame.h"
#include "avr/ElfWrite.h"

namespace tarpel::avr {

// Reads all of it from the device the frame identified last, still in programming mode, moving
// the gauges. False when the command was told to stop: the frame has then stopped it.
[[nodiscard]] bool ReadChipContents(CommandFrame& frame, ElfContents& contents);

}  // namespace tarpel::avr
