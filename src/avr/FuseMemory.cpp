// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/FuseMemory.h"

#include "avr/FuseLists.h"
#include "avr/FuseMapping.h"

namespace tarpel::avr {

void FuseMemory::Remember(FuseBytes bytes) {
    known_ = bytes;
    clockKept_ = true;
}

std::optional<std::uint8_t> FuseMemory::KeptCksel(int xtalIndex) const {
    if (!known_ || !clockKept_) return std::nullopt;
    const auto cksel = static_cast<std::uint8_t>(known_->low & fusebits::Cksel);
    if (ClockIndexOfCksel(cksel) != xtalIndex) return std::nullopt;
    return cksel;
}

}  // namespace tarpel::avr
