// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/SimulatedBoard.h"

#include "sim/BoardWiring.h"

namespace tarpel::sim {

SimulatedBoard::SimulatedBoard(std::unique_ptr<EepromSocketChip> eeprom, std::unique_ptr<AvrSocketChip> avr)
    : eeprom_(std::move(eeprom)), avr_(std::move(avr)) {}

// The chips save their contents when they are destroyed with the board.
SimulatedBoard::~SimulatedBoard() = default;

bool SimulatedBoard::SdaBusLevel() const {
    const bool pcSda = (data_ & wiring::EepromSda) != 0;
    return pcSda && (!eeprom_ || eeprom_->SdaReleased(time_.NowNs()));
}

std::uint8_t SimulatedBoard::PeekStatus() const {
    bool sdaReturn = false;
    switch (returnLineFault) {
        case ReturnLineFault::None: sdaReturn = SdaBusLevel(); break;
        case ReturnLineFault::StuckHigh: sdaReturn = true; break;
        case ReturnLineFault::StuckLow: sdaReturn = false; break;
    }
    bool miso = misoRestingLevel;
    if (avr_) {
        if (const auto driven = avr_->Miso(time_.NowNs())) miso = *driven;
    }
    std::uint8_t status = IdleStatusBits;
    if (!sdaReturn) status |= wiring::StatusSdaInverted;  // the port inverts pin 11
    if (miso) status |= wiring::StatusMiso;
    return status;
}

}  // namespace tarpel::sim
