// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The H-series cable: how an FT232H, FT2232H or FT4232H (channel A) joins its low MPSSE byte,
// ADBUS0..7, to the board's DB25 connector. The MPSSE clocks ADBUS0 (TCK) through every wait it
// makes, so nothing of the board may sit there: MISO, which the FT232R's cable takes on D0, comes
// in on ADBUS4 instead, the pin the FT232R's cable leaves free. Every other row is the FT232R's.
#include <array>
#include <cstdint>

#include "port/FtdiPinMap.h"

namespace tarpel::port::mpsse {

using ftdi::PinRow;

inline constexpr ftdi::Cable Pins{{
    {0, "TXD", "-", "TCK del MPSSE, sin conectar", false, 0x00, 0x00},
    {1, "RXD", "2, 3, 4", "alimentacion 24Cxx / VCC del AVR", true, 0x07, 0x00},
    {2, "RTS#", "11", "retorno de SDA", false, 0x00, 0x80},
    {3, "CTS#", "5", "SCL / XTAL1", true, 0x08, 0x00},
    {4, "DTR#", "10", "MISO (retorno del AVR)", false, 0x00, ftdi::StatusMiso},
    {5, "DSR#", "6", "SDA / RESET", true, 0x10, 0x00},
    {6, "DCD#", "7", "MOSI", true, 0x20, 0x00},
    {7, "RI#", "8", "SCK", true, 0x40, 0x00},
}};

// ADBUS0 is the engine's clock output: driven low between waits, so it never floats.
inline constexpr std::uint8_t TckPin = 0x01;

// The direction byte of the set-data-bits command: the board's outputs and TCK.
inline constexpr std::uint8_t Direction = [] {
    std::uint8_t mask = TckPin;
    for (const PinRow& row : Pins)
        if (row.output) mask = static_cast<std::uint8_t>(mask | (1u << row.ftdiBit));
    return mask;
}();

// The pin byte for a parallel-port data byte, and the status byte a PC port reads for the pin
// levels the engine read back, through this cable.
constexpr std::uint8_t PinsForData(std::uint8_t data) { return ftdi::PinsForDataOn(Pins, data); }
constexpr std::uint8_t StatusForPins(std::uint8_t pins) { return ftdi::StatusForPinsOn(Pins, pins); }

}  // namespace tarpel::port::mpsse
