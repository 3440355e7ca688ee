// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The cable between an FTDI adapter's eight bit-bang pins and the board's DB25 connector, as the
// README draws it, seen from the simulated adapter: which data-port bit each output pin stands
// for, and which pins carry the board's two return lines. Written apart from the program's own
// pin table on purpose, so that a wrong row there shows against the simulated chips.
#include <array>
#include <cstdint>

#include "sim/BoardWiring.h"

namespace tarpel::sim::cable {

// Each output pin and the DB25 pins it drives; a PC port's data bit n sits on DB25 pin n + 2.
struct DrivenPin {
    std::uint8_t pin;
    std::uint8_t firstDb25;
    std::uint8_t lastDb25;
};
inline constexpr std::array<DrivenPin, 5> Driven{{
    {1, 2, 4},  // RXD: the chip supply on three port pins
    {3, 5, 5},  // CTS#
    {5, 6, 6},  // DSR#
    {6, 7, 7},  // DCD#
    {7, 8, 8},  // RI#
}};

// D0 (TXD) takes DB25 pin 10 (MISO), D2 (RTS#) pin 11 (the SDA return), at the level the
// board puts on them; D4 (DTR#) is left open.
inline constexpr std::uint8_t MisoPin = 0;
inline constexpr std::uint8_t SdaReturnPin = 2;

// The port marks the samples it will read by setting D4, the open pin, in the byte it clocks.
inline constexpr std::uint8_t ReadMark = 1u << 4;

// The data-port byte the board sees for the adapter's pin levels.
constexpr std::uint8_t BoardDataFor(std::uint8_t pins) {
    std::uint8_t data = 0;
    for (const DrivenPin& driven : Driven) {
        if ((pins >> driven.pin & 1u) == 0) continue;
        for (int db25 = driven.firstDb25; db25 <= driven.lastDb25; ++db25)
            data = static_cast<std::uint8_t>(data | 1u << (db25 - 2));
    }
    return data;
}

// The adapter's input pin levels for what the board drives back, told as the status byte a PC
// port would read (SDA's return inverted there).
constexpr std::uint8_t InputPinsFor(std::uint8_t status) {
    std::uint8_t pins = 0;
    if ((status & wiring::StatusMiso) != 0) pins = static_cast<std::uint8_t>(pins | 1u << MisoPin);
    if ((status & wiring::StatusSdaInverted) == 0) pins = static_cast<std::uint8_t>(pins | 1u << SdaReturnPin);
    return pins;
}

}  // namespace tarpel::sim::cable
