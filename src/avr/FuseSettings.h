// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the fuse panel "FLASH FUSES (MEGA)" shows, as plain data: the item chosen in each of
// its three lists and the state of its eight check boxes. It knows nothing of fuse bits; the
// mapping to and from the two fuse bytes is FuseMapping.
namespace tarpel::avr {

inline constexpr int NoSelection = -1;  // a list with no item chosen

struct FuseSettings {
    int xtalIndex = NoSelection;      // cbXTAL "Reloj:", an index of ClockOptions
    int sutIndex = NoSelection;       // cbSUT "SUT:", an index of SutCaptions
    int bootSizeIndex = NoSelection;  // cbBootSize "Boot size:", an index of BootSizeCaptions
    bool boden = false;     // cbBODEN "BOD Enabled"
    bool bodLevel = false;  // cbBODLev "BOD Level"
    bool s8515c = false;    // cbS8515 "S8515C"
    bool wdton = false;     // cbWDTON "WDT on"
    bool spien = true;      // cbSPIEN "Hab. prog. serie", shown only: never written otherwise
    bool ckopt = false;     // cbCKOPT "CLK Rail-Rail"
    bool eesave = false;    // cbEESAVE "EESAVE"
    bool bootrst = false;   // cbBOOTRST "BOOTRST"

    friend bool operator==(const FuseSettings&, const FuseSettings&) = default;
};

}  // namespace tarpel::avr
