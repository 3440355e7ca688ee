// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the fuse commands share: the start (power-up and identification, then the refusal of
// any device without fuse bytes over the serial interface: the AT90S parts), the warning before
// a clock that the board cannot drive, and the write that reads the bytes back.
#include <cstdint>
#include <optional>
#include <string_view>

#include "avr/CommandFrame.h"
#include "avr/DeviceFuses.h"
#include "avr/FuseMemory.h"
#include "shell/Translate.h"

namespace tarpel::avr {

inline constexpr std::string_view FusesRefusedMessage = TrNoop("Solo para ATMEGA90S8515 !");
// tarpel-cli's panel options on a device whose fuses are laid out otherwise.
inline constexpr std::string_view PanelFusesOnlyMessage = TrNoop("Las opciones del panel son los fuses del ATmega8515: "
                                                                  "los del %1 se cambian con --fields o --from!!");
inline constexpr std::string_view FusesWrittenMessage = TrNoop("Fuses grabados! Leelos para verificarlo");

// True with the device powered in programming mode and known to have fuses: the panel's bits
// when `panelBits`, any device's own table otherwise. False when the command must end: its
// message has been shown, the cursor is normal and every line is off.
bool IdentifyFuseDevice(CommandFrame& frame, bool panelBits = true);

// The fuse layout of the device identified; IdentifyFuseDevice has made sure there is one.
const FuseLayout& DeviceFuseLayout(CommandFrame& frame);

// True when `bytes` are as many as the device identified has; otherwise the command is stopped
// after an "ERROR" box that says so (a program built for another device).
bool CheckFuseCount(CommandFrame& frame, const FuseBytes& bytes);

// True when this CKSEL value may be written to the device identified: a clock the board's square
// wave on XTAL1 drives, or the user said yes to the warning. On no the command's stop is done.
bool ConfirmClock(CommandFrame& frame, std::uint8_t cksel);

// Writes the bytes that differ from `current` (all when it is not known), reads them back and
// switches every line off. False, after an "ERROR" box with the bytes written and read, when
// the device does not hold them.
bool WriteCheckedFuses(CommandFrame& frame, FuseBytes bytes, std::optional<FuseBytes> current = std::nullopt);

}  // namespace tarpel::avr
