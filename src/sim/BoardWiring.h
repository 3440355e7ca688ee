// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// How the board wires the 24Cxx socket to the parallel port, as the simulated board sees it:
// the data-port bits that feed the chip and the status-port bits that come back. Kept apart from
// the program's line layer on purpose, so that a wrong bit there shows against the chip.
#include <cstdint>

namespace tarpel::sim::wiring {

// Data port. Three port pins in parallel feed the chip; they share bits 0..4 with the AVR socket.
inline constexpr std::uint8_t EepromSupply = 0x07;
inline constexpr std::uint8_t EepromScl = 0x08;
inline constexpr std::uint8_t EepromSda = 0x10;

// Status port: MISO on pin 10, the SDA bus on pin 11, which the port reads inverted.
inline constexpr std::uint8_t StatusMiso = 0x40;
inline constexpr std::uint8_t StatusSdaInverted = 0x80;

}  // namespace tarpel::sim::wiring
