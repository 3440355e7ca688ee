// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The cable between an H-series FTDI adapter's low MPSSE byte (ADBUS0..7) and the board's DB25
// connector, as the README draws it. AD0 is the MPSSE's own clock (TCK), which runs during every
// wait, so the cable leaves it open.
#include "sim/AdapterCable.h"

namespace tarpel::sim::mpsse_cable {

// AD2 takes DB25 pin 11 (the SDA return), AD4 pin 10 (MISO), at the level the board puts on them.
inline constexpr AdapterCable Mpsse{
    {{
        {1, 2, 4},  // AD1: the chip supply on three port pins
        {3, 5, 5},  // AD3: SCL / XTAL1
        {5, 6, 6},  // AD5: SDA / RESET
        {6, 7, 7},  // AD6: MOSI
        {7, 8, 8},  // AD7: SCK
    }},
    4,  // AD4: MISO
    2,  // AD2: the SDA return
};

}  // namespace tarpel::sim::mpsse_cable
