#pragma once
// The start both fuse commands share: power-up and identification, then the refusal of any
// device without fuse bytes over the serial interface (the AT90S parts, and an unrecognised
// device, which is worked on as an AT90S8515).
#include <string_view>

#include "avr/CommandFrame.h"

namespace tarpel::avr {

inline constexpr std::string_view FusesRefusedMessage = "Solo para ATMEGA90S8515 !";

// True with the device powered in programming mode and known to have fuses. False when the
// command must end: its message has been shown, the cursor is normal and every line is off.
bool IdentifyFuseDevice(CommandFrame& frame);

}  // namespace tarpel::avr
