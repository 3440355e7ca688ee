// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Making the device for the simulated board's AVR socket from the command-line choices.
#include <memory>
#include <string>
#include <vector>

#include "sim/ChipStore.h"
#include "sim/SocketChip.h"

namespace tarpel::sim {

// Models: "at90s8515", "at90s4414", "atmega8515" (any case); "none" gives null (empty socket).
// Faults (names that do not start with "avr-" belong to the other socket and are skipped):
//   "avr-absent"             no device, as with the model "none";
//   "avr-locked"             the device starts in lock mode 3 (a chip erase unlocks it);
//   "avr-lock-keeps-signature"  an ATmega8515 in lock mode 3 still answers its signature;
//   "avr-unknown-signature"  answers 1E 95 0F, a signature of none of the three models;
//   "avr-no-answer"          never drives MISO and never accepts Programming Enable;
//   "avr-flash-stuck:ADDR"   the flash byte at ADDR (decimal, or hex with 0x) never programs.
// Throws std::invalid_argument naming an unknown model or fault.
std::unique_ptr<AvrSocketChip> MakeVirtualAvr(const std::string& model, const ChipStore& store,
                                              const std::vector<std::string>& faults);

// True for the fault names that belong to the AVR socket (they start with "avr-").
bool IsAvrFault(const std::string& fault);

}  // namespace tarpel::sim
