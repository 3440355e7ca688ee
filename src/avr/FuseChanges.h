// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The console's way of writing fuses: only the controls its options name change, each as the
// panel would set it (or, on a device with its own fields, each field named); every other bit
// keeps what the device holds. SPIEN stays programmed, as
// in every fuse write of the program. Pure function: no device.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "avr/DeviceFuses.h"
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
    // Fields of the device's own table (a device whose fuses are not the panel's): the
    // datasheet's name and its bits in binary, "CKDIV8" and "1", "BODLEVEL2:0" and "101".
    std::vector<std::pair<std::string, std::string>> fields;
};

// A field of the device's table and the value it is to take.
struct FieldChange {
    const FuseField* field;
    unsigned value;
};

// The changes of `fields` as this layout names them, or a message that says why not (a name the
// device does not have, a value of other bits than the field's, SPIEN unprogrammed, a device whose
// fuses are the panel's). `device` is the device's caption, for the message.
std::vector<FieldChange> ResolveFieldChanges(const FuseLayout& layout, std::string_view device,
                                             const std::vector<std::pair<std::string, std::string>>& fields,
                                             std::string& refusal);

// The bytes with those fields changed; SPIEN stays programmed.
FuseBytes ApplyFieldChanges(const FuseLayout& layout, FuseBytes current, const std::vector<FieldChange>& changes);

// The bytes to write for these changes over what the device holds now. Indexes outside their
// list are the caller's mistake and leave their bits alone.
FuseBytes ApplyFuseChanges(FuseBytes current, const FuseChanges& changes);

}  // namespace tarpel::avr
