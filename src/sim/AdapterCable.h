// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A cable between an FTDI adapter's eight pins and the board's DB25 connector, seen from the
// simulated adapter: which data-port bits each output pin stands for, and which pins take the
// board's two return lines. Each adapter has its own, written apart from the program's pin
// tables on purpose, so that a wrong row there shows against the simulated chips.
#include <array>
#include <cstdint>

#include "sim/BoardWiring.h"

namespace tarpel::sim {

// An output pin and the DB25 pins it drives; a PC port's data bit n sits on DB25 pin n + 2.
struct DrivenPin {
    std::uint8_t pin;
    std::uint8_t firstDb25;
    std::uint8_t lastDb25;
};

struct AdapterCable {
    std::array<DrivenPin, 5> driven;
    std::uint8_t misoPin;       // takes DB25 pin 10
    std::uint8_t sdaReturnPin;  // takes DB25 pin 11

    // The data-port byte the board sees for the adapter's driven pin levels.
    constexpr std::uint8_t BoardDataFor(std::uint8_t pins) const {
        std::uint8_t data = 0;
        for (const DrivenPin& out : driven) {
            if ((pins >> out.pin & 1u) == 0) continue;
            for (int db25 = out.firstDb25; db25 <= out.lastDb25; ++db25)
                data = static_cast<std::uint8_t>(data | 1u << (db25 - 2));
        }
        return data;
    }

    // The levels the board puts on the two return pins, told as the status byte a PC port would
    // read (SDA's return inverted there).
    constexpr std::uint8_t ReturnPinsFor(std::uint8_t status) const {
        std::uint8_t pins = 0;
        if ((status & wiring::StatusMiso) != 0) pins = static_cast<std::uint8_t>(pins | 1u << misoPin);
        if ((status & wiring::StatusSdaInverted) == 0) pins = static_cast<std::uint8_t>(pins | 1u << sdaReturnPin);
        return pins;
    }
};

}  // namespace tarpel::sim
