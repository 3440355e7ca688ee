// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The console's way of writing fuses: only the controls its options name change, each as the
// panel would set it; every other bit keeps what the device holds. SPIEN stays programmed, as
// in every fuse write of the program. Pure function: no device.
#include <optional>

#include "avr/FuseMemory.h"

namespace tarpel::avr {

// What the options name; a control left empty keeps the device's bits.
struct FuseChanges {
    std::optional<int> xtalIndex;      // "Reloj:", an index of ClockOptions (writes its table value)
    std::optional<int> sutIndex;       // "SUT:", an index of SutCaptions
    std::optional<int> bootSizeIndex;  // "Boot size:", an index of BootSizeCaptions
    std::optional<bool> boden;         // the check boxes, true when ticked
    std::optional<bool> bodLevel;
    std::optional<bool> s8515c;
    std::optional<bool> wdton;
    std::optional<bool> ckopt;
    std::optional<bool> eesave;
    std::optional<bool> bootrst;
};

// The bytes to write for these changes over what the device holds now. Indexes outside their
// list are the caller's mistake and leave their bits alone.
FuseBytes ApplyFuseChanges(FuseBytes current, const FuseChanges& changes);

}  // namespace tarpel::avr
