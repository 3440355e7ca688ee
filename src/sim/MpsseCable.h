// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The cable between an H-series FTDI adapter's low MPSSE byte (ADBUS0..7) and the board's DB25
// connector, as the README draws it, seen from the simulated adapter. AD0 is the MPSSE's own
// clock (TCK), which runs during every wait, so the cable leaves it open. Written apart from the
// program's own pin table on purpose, so that a wrong row there shows against the simulated chips.
#include <array>
#include <cstdint>

#include "sim/BoardWiring.h"

namespace tarpel::sim::mpsse_cable {

// Each output pin and the DB25 pins it drives; a PC port's data bit n sits on DB25 pin n + 2.
struct DrivenPin {
    std::uint8_t pin;
    std::uint8_t firstDb25;
    std::uint8_t lastDb25;
};
inline constexpr std::array<DrivenPin, 5> Driven{{
    {1, 2, 4},  // AD1: the chip supply on three port pins
    {3, 5, 5},  // AD3: SCL / XTAL1
    {5, 6, 6},  // AD5: SDA / RESET
    {6, 7, 7},  // AD6: MOSI
    {7, 8, 8},  // AD7: SCK
}};

// AD2 takes DB25 pin 11 (the SDA return), AD4 pin 10 (MISO), at the level the board puts on
// them.
inline constexpr std::uint8_t SdaReturnPin = 2;
inline constexpr std::uint8_t MisoPin = 4;

// The data-port byte the board sees for the adapter's driven pin levels.
constexpr std::uint8_t BoardDataFor(std::uint8_t pins) {
    std::uint8_t data = 0;
    for (const DrivenPin& driven : Driven) {
        if ((pins >> driven.pin & 1u) == 0) continue;
        for (int db25 = driven.firstDb25; db25 <= driven.lastDb25; ++db25)
            data = static_cast<std::uint8_t>(data | 1u << (db25 - 2));
    }
    return data;
}

// The levels the board puts on the adapter's two return pins, told as the status byte a PC
// port would read (SDA's return inverted there).
constexpr std::uint8_t ReturnPinsFor(std::uint8_t status) {
    std::uint8_t pins = 0;
    if ((status & wiring::StatusMiso) != 0) pins = static_cast<std::uint8_t>(pins | 1u << MisoPin);
    if ((status & wiring::StatusSdaInverted) == 0) pins = static_cast<std::uint8_t>(pins | 1u << SdaReturnPin);
    return pins;
}
inline constexpr std::uint8_t ReturnPins = 1u << SdaReturnPin | 1u << MisoPin;

}  // namespace tarpel::sim::mpsse_cable
