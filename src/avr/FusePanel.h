// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The fuse panel "FLASH FUSES (MEGA)" as the fuse commands see it: its controls read and set
// as a whole. The window implements it with its lists and check boxes, tarpel-cli with its
// options and printout.
#include "avr/FuseSettings.h"

namespace tarpel::avr {

class FusePanel {
public:
    virtual ~FusePanel() = default;
    // What the controls show now.
    virtual FuseSettings Settings() const = 0;
    // Sets every control: the three lists (NoSelection clears one) and the eight check boxes.
    virtual void ShowSettings(const FuseSettings& settings) = 0;
};

}  // namespace tarpel::avr
