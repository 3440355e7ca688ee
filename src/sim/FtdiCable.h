// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The cable between an FT232R's eight bit-bang pins (its UART pin names) and the board's DB25
// connector, as the README draws it.
#include <cstdint>

#include "sim/AdapterCable.h"

namespace tarpel::sim::cable {

// D0 (TXD) takes DB25 pin 10 (MISO), D2 (RTS#) pin 11 (the SDA return), at the level the board
// puts on them; D4 (DTR#) is left open.
inline constexpr AdapterCable BitBang{
    {{
        {1, 2, 4},  // RXD: the chip supply on three port pins
        {3, 5, 5},  // CTS#
        {5, 6, 6},  // DSR#
        {6, 7, 7},  // DCD#
        {7, 8, 8},  // RI#
    }},
    0,  // TXD: MISO
    2,  // RTS#: the SDA return
};

// The port marks the samples it will read by setting D4, the open pin, in the byte it clocks.
inline constexpr std::uint8_t ReadMark = 1u << 4;

}  // namespace tarpel::sim::cable
