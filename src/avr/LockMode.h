// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The three memory lock modes of the AT90S8515, AT90S4414 and ATmega8515, as their datasheets
// name them by the lock bits LB2 and LB1 (a programmed bit is 0), with the words the window and
// tarpel-cli show for each and what the chip refuses once it is in it. Only a chip erase takes
// a chip back to mode 1. The ATmega8515's boot lock bits are not offered: they are written
// unprogrammed.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "shell/Translate.h"

namespace tarpel::avr {

enum class LockMode { NoLock = 1, NoProgramming = 2, NoVerification = 3 };

struct LockModeRow {
    LockMode mode;
    std::uint8_t lockBits;        // LB2 in bit 1, LB1 in bit 0
    std::string_view caption;     // the list item
    std::string_view refusal;     // what the chip refuses afterwards; empty for mode 1
};

inline constexpr std::array<LockModeRow, 3> LockModes{{
    {LockMode::NoLock, 0x03, TrNoop("Modo 1: sin bloqueo"), ""},
    {LockMode::NoProgramming, 0x02, TrNoop("Modo 2: programacion deshabilitada"),
     TrNoop("El micro no dejara grabar mas la flash ni la eeprom interna (ni los fuses del ATmega8515).")},
    {LockMode::NoVerification, 0x00, TrNoop("Modo 3: programacion y verificacion deshabilitadas"),
     TrNoop("El micro no dejara grabar mas la flash ni la eeprom interna (ni los fuses del ATmega8515), ni "
            "leerlas ni verificarlas: lo que se lea de el no sera su contenido.")},
}};

inline constexpr std::uint8_t LockBitsMask = 0x03;  // LB2 LB1 in a lock byte
// The ATmega8515's lock byte for a mode: bits 7..6 unused and the boot lock bits all left 1.
inline constexpr std::uint8_t UnlockedByte = 0xFF;

constexpr const LockModeRow& RowOf(LockMode mode) { return LockModes[static_cast<std::size_t>(mode) - 1]; }

constexpr std::uint8_t LockByteOf(LockMode mode) {
    return static_cast<std::uint8_t>((UnlockedByte & ~LockBitsMask) | RowOf(mode).lockBits);
}

// The mode a lock byte's LB2 and LB1 give; none for LB2 programmed with LB1 not, which the
// datasheets leave out of their tables.
constexpr std::optional<LockMode> LockModeOf(std::uint8_t lockByte) {
    for (const auto& row : LockModes)
        if ((lockByte & LockBitsMask) == row.lockBits) return row.mode;
    return std::nullopt;
}

// "--mode 1|2|3" and the list's index + 1.
constexpr std::optional<LockMode> LockModeNumbered(int number) {
    if (number < 1 || number > static_cast<int>(LockModes.size())) return std::nullopt;
    return static_cast<LockMode>(number);
}

}  // namespace tarpel::avr
