// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The fuse panel "FLASH FUSES (MEGA)" as the fuse commands see it: its controls read and set
// as a whole. The window implements it with its lists and check boxes, tarpel-cli with its
// options and printout. The lists and boxes are the ATmega8515's; a device whose fuses are laid
// out otherwise (the ATmega162) is shown, where the panel can, by its own table's fields.
#include <optional>

#include "avr/DeviceKind.h"
#include "avr/FuseMemory.h"
#include "avr/FuseSettings.h"

namespace tarpel::avr {

class FusePanel {
public:
    virtual ~FusePanel() = default;
    // What the controls show now.
    virtual FuseSettings Settings() const = 0;
    // Sets every control: the three lists (NoSelection clears one) and the eight check boxes,
    // which the panel shows again if it was showing another device's fields.
    virtual void ShowSettings(const FuseSettings& settings) = 0;

    // The fields of `kind`'s own fuse table set from `bytes`, in place of the lists and boxes.
    // A panel without such fields (tarpel-cli prints them itself) keeps what it shows.
    virtual void ShowDeviceFuses(DeviceKind /*kind*/, FuseBytes /*bytes*/) {}
    // The device whose fields the panel shows and the bytes they make now; none while it shows
    // the lists and boxes.
    struct DeviceFuses {
        DeviceKind kind;
        FuseBytes bytes;
    };
    virtual std::optional<DeviceFuses> ShownDeviceFuses() const { return std::nullopt; }
};

}  // namespace tarpel::avr
