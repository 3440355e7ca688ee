// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The ATmega8515's two fuse bytes to the fuse panel's settings and back. A programmed fuse
// reads 0; every check box but "BOD Level" shows its fuse programmed. Pure functions: no
// device, no panel.
#include <cstdint>
#include <optional>

#include "avr/FuseSettings.h"

namespace tarpel::avr {

namespace fusebits {
// Low byte.
inline constexpr std::uint8_t BodLevel = 0x80;
inline constexpr std::uint8_t Boden = 0x40;
inline constexpr int SutShift = 4;      // SUT1..0 in bits 5..4
inline constexpr std::uint8_t Cksel = 0x0F;
// High byte.
inline constexpr std::uint8_t S8515c = 0x80;
inline constexpr std::uint8_t Wdton = 0x40;
inline constexpr std::uint8_t Spien = 0x20;
inline constexpr std::uint8_t Ckopt = 0x10;
inline constexpr std::uint8_t Eesave = 0x08;
inline constexpr int BootSizeShift = 1;  // BOOTSZ1..0 in bits 2..1
inline constexpr std::uint8_t Bootrst = 0x01;
}  // namespace fusebits

// What the panel shows for these bytes. A SUT value of 3 has no item in the list of three,
// so the list shows no selection.
FuseSettings SettingsFromFuses(std::uint8_t fuseLow, std::uint8_t fuseHigh);

// The low byte for these settings: CKSEL is the clock table's value for the chosen item unless
// `cksel` gives another one. Nothing when the clock or the SUT list has no item chosen.
std::optional<std::uint8_t> FuseLowFromSettings(const FuseSettings& settings,
                                                std::optional<std::uint8_t> cksel = std::nullopt);

// The high byte for these settings. SPIEN is always programmed, whatever the panel shows:
// the program never cuts off its own way in. Nothing when the boot-size list has no item chosen.
std::optional<std::uint8_t> FuseHighFromSettings(const FuseSettings& settings);

}  // namespace tarpel::avr
