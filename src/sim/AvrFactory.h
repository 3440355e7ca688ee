#pragma once
// Making the device for the simulated board's AVR socket from the command-line choices.
#include <memory>
#include <string>
#include <vector>

#include "sim/ChipStore.h"
#include "sim/SocketChip.h"

namespace tarpel::sim {

// Models: "at90s8515", "at90s4414", "atmega8515"; "none" gives null (empty socket).
// Throws std::invalid_argument naming an unknown model or fault.
std::unique_ptr<AvrSocketChip> MakeVirtualAvr(const std::string& model, const ChipStore& store,
                                              const std::vector<std::string>& faults);

// True for the fault names that belong to the AVR socket (they start with "avr-").
bool IsAvrFault(const std::string& fault);

}  // namespace tarpel::sim
