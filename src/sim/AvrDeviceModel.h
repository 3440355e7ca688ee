// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The AVR devices the board's socket can hold, as data: one row per part with its sizes,
// signature, way of writing flash and self-timed write times. The behaviour that reads these rows
// is VirtualAvr; this file holds no logic beyond the lookup.
#include <array>
#include <cstdint>
#include <string_view>

#include "shell/Translate.h"

namespace tarpel::sim {

inline constexpr std::uint64_t Ms = 1'000'000;

// Where the ATmega8515 takes its clock from, by CKSEL3..0 (low fuse bits 3..0). The board has no
// oscillator parts: it drives XTAL1 with a square wave from the PC, which only "External" is made
// for. The crystal and external-RC modes run an oscillator circuit around XTAL1 that the
// datasheet never promises to follow a driven pin; the model lets them follow XTAL1 anyway.
enum class AvrClockSource { Xtal1, InternalRc, Oscillator };

struct AvrClockMode {
    AvrClockSource source;
    std::uint64_t periodNs;  // internal RC only: one cycle of the chip's own oscillator
    std::string_view name;   // for the protocol log
};

using AvrClockTable = std::array<AvrClockMode, 16>;

inline constexpr AvrClockTable AvrClockModes{{
    {AvrClockSource::Xtal1, 0, TrNoop("reloj externo")},
    {AvrClockSource::InternalRc, 1000, TrNoop("RC interno de 1 MHz")},
    {AvrClockSource::InternalRc, 500, TrNoop("RC interno de 2 MHz")},
    {AvrClockSource::InternalRc, 250, TrNoop("RC interno de 4 MHz")},
    {AvrClockSource::InternalRc, 125, TrNoop("RC interno de 8 MHz")},
    {AvrClockSource::Oscillator, 0, TrNoop("RC externo")},
    {AvrClockSource::Oscillator, 0, TrNoop("RC externo")},
    {AvrClockSource::Oscillator, 0, TrNoop("RC externo")},
    {AvrClockSource::Oscillator, 0, TrNoop("RC externo")},
    {AvrClockSource::Oscillator, 0, TrNoop("cristal de baja frecuencia")},
    {AvrClockSource::Oscillator, 0, "cristal"},
    {AvrClockSource::Oscillator, 0, "cristal"},
    {AvrClockSource::Oscillator, 0, "cristal"},
    {AvrClockSource::Oscillator, 0, "cristal"},
    {AvrClockSource::Oscillator, 0, "cristal"},
    {AvrClockSource::Oscillator, 0, "cristal"},
}};

inline constexpr std::uint8_t CkselBits = 0x0F;  // low fuse

// The ATmega162's CKSEL table: an external clock, its calibrated 8 MHz RC oscillator, a
// low-frequency crystal and crystals or resonators; 0001 and 0011 are reserved, which the model
// takes as an oscillator that XTAL1 may or may not drive, like the crystal modes.
inline constexpr AvrClockTable Atmega162ClockModes{{
    {AvrClockSource::Xtal1, 0, TrNoop("reloj externo")},
    {AvrClockSource::Oscillator, 0, TrNoop("valor reservado")},
    {AvrClockSource::InternalRc, 125, TrNoop("RC interno de 8 MHz")},
    {AvrClockSource::Oscillator, 0, TrNoop("valor reservado")},
    {AvrClockSource::Oscillator, 0, TrNoop("cristal de baja frecuencia")},
    {AvrClockSource::Oscillator, 0, TrNoop("cristal de baja frecuencia")},
    {AvrClockSource::Oscillator, 0, TrNoop("cristal de baja frecuencia")},
    {AvrClockSource::Oscillator, 0, TrNoop("cristal de baja frecuencia")},
    {AvrClockSource::Oscillator, 0, "cristal"},
    {AvrClockSource::Oscillator, 0, "cristal"},
    {AvrClockSource::Oscillator, 0, "cristal"},
    {AvrClockSource::Oscillator, 0, "cristal"},
    {AvrClockSource::Oscillator, 0, "cristal"},
    {AvrClockSource::Oscillator, 0, "cristal"},
    {AvrClockSource::Oscillator, 0, "cristal"},
    {AvrClockSource::Oscillator, 0, "cristal"},
}};

struct AvrDeviceModel {
    std::string_view name;         // lower case; also the prefix of the device's files
    std::string_view displayName;  // as the datasheet spells it
    std::array<std::uint8_t, 3> signature;
    std::uint32_t flashBytes;
    std::uint32_t eepromBytes;
    std::uint32_t pageWords;  // 0: flash is written byte by byte; else the page buffer's size
    bool hasFuses;            // fuse bytes and the lock-bit read exist over SPI
    // Self-timed writes, in ns: per flash byte (byte-wise parts) or per page (paged parts).
    std::uint64_t flashWriteNs;
    std::uint64_t eepromWriteNs;
    std::uint64_t eepromEraseNs;  // the auto-erase part of an EEPROM write (answer 0x80 on AT90S)
    std::uint64_t chipEraseNs;
    std::uint64_t fuseWriteNs;  // fuse bytes, and the lock bits on every part
    // Busy answers while a write runs, to a read of the location being written.
    std::uint8_t flashBusyAnswer;
    std::uint8_t eepromEraseBusyAnswer;
    std::uint8_t eepromBusyAnswer;
    // Fuse bytes over SPI (none on the AT90S parts): low, high and, on the ATmega162, extended,
    // as the chip leaves the factory; what CKSEL (low fuse bits 3..0) selects; and the low fuse
    // bit that divides the system clock by 8 when programmed (0: the part has no such fuse).
    std::uint32_t fuseBytes = 0;
    std::array<std::uint8_t, 3> factoryFuses{0xFF, 0xFF, 0xFF};
    const AvrClockTable* clockModes = &AvrClockModes;
    std::uint8_t ckdiv8Bit = 0;
};

// AT90S write times: their table was not at hand; the datasheets give about 4-9 ms for a byte and
// up to 20 ms for a chip erase, and the board feeds the chip from port pins, not from a regulated
// 5 V, so we take the slow end. The EEPROM's auto-erase is taken as the first half of its write.
// The AT90S parts have no fuse instruction; their lock-bit write is taken to last a byte write.
// ATmega8515 and ATmega162 times are their datasheets' tWD_FLASH, tWD_EEPROM, tWD_ERASE and
// tWD_FUSE (the same figures on both).
// Factory fuses: the ATmega8515 runs on its internal RC oscillator at 1 MHz (low 0xE1, high 0xD9);
// the ATmega162 on its 8 MHz RC oscillator divided by 8 (CKDIV8 programmed, CKSEL 0010, SUT 10:
// low 0x62), JTAGEN, SPIEN and BOOTSZ programmed (high 0x99), extended all 1: ATmega161
// compatibility and brown-out detection off (0xFF).
inline constexpr std::array<AvrDeviceModel, 4> AvrDeviceModels{{
    {"at90s8515", "AT90S8515", {0x1E, 0x93, 0x01}, 8192, 512, 0, false,
     9 * Ms, 9 * Ms, 9 * Ms / 2, 20 * Ms, 9 * Ms, 0x7F, 0x80, 0x7F},
    {"at90s4414", "AT90S4414", {0x1E, 0x92, 0x01}, 4096, 256, 0, false,
     9 * Ms, 9 * Ms, 9 * Ms / 2, 20 * Ms, 9 * Ms, 0x7F, 0x80, 0x7F},
    {"atmega8515", "ATmega8515", {0x1E, 0x93, 0x06}, 8192, 512, 32, true,
     9 * Ms / 2, 9 * Ms, 0, 9 * Ms, 9 * Ms / 2, 0xFF, 0xFF, 0xFF, 2, {0xE1, 0xD9, 0xFF}},
    {"atmega162", "ATmega162", {0x1E, 0x94, 0x04}, 16384, 512, 64, true,
     9 * Ms / 2, 9 * Ms, 0, 9 * Ms, 9 * Ms / 2, 0xFF, 0xFF, 0xFF, 3, {0x62, 0x99, 0xFF}, &Atmega162ClockModes, 0x80},
}};

// Factory fuse bytes of the ATmega8515: internal RC oscillator at 1 MHz, SPIEN programmed.
inline constexpr std::uint8_t FactoryLowFuse = 0xE1;
inline constexpr std::uint8_t FactoryHighFuse = 0xD9;
// The same bits of the high fuse on the ATmega8515 and the ATmega162.
inline constexpr std::uint8_t SpienBit = 0x20;   // high fuse: never changed over SPI
inline constexpr std::uint8_t EesaveBit = 0x08;  // high fuse: programmed (0) keeps EEPROM through a chip erase

// Null when the name is none of the rows (the name is compared as given: lower case).
inline const AvrDeviceModel* FindAvrDeviceModel(std::string_view name) {
    for (const auto& model : AvrDeviceModels)
        if (model.name == name) return &model;
    return nullptr;
}

}  // namespace tarpel::sim
