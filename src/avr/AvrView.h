// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the AVR commands show outside message boxes and gauges: the device caption under
// "Tipo de micro:" (lbTipo). The window implements it with its label, tarpel-cli by printing.
// tarpel-cli also hears of the memory contents a command came to know, to print checksums, and
// both hear of every difference a verification found, and of the lock byte a device reported.

#include <cstdint>
#include <span>
#include <string_view>

#include "files/ByteDifferences.h"

namespace tarpel::avr {

class AvrView {
public:
    virtual ~AvrView() = default;
    virtual void SetDeviceCaption(std::string_view caption) = 0;
    // The whole memory a command works on, as the device holds it: just read in full (read,
    // verify) or just written in full (program). Nothing to show for the window.
    virtual void MemoryContentsKnown(std::span<const std::uint8_t> /*contents*/) {}
    // The file, padded with 0xFF, just written over a flash that was not erased: the device holds
    // it where the file has data and keeps its old bytes where the file is blank (not read).
    virtual void PaddedFileWritten(std::span<const std::uint8_t> /*contents*/) {}
    // Every byte in which the memory ("la flash", "la eeprom interna") differs from the file,
    // after each verification that compared the whole memory; an empty list when none does.
    virtual void DifferencesFound(std::string_view /*memoryName*/,
                                  std::span<const files::ByteDifference> /*differences*/) {}
    // The lock byte the device read back (ATmega8515 layout: LB1 bit 0, LB2 bit 1), after the
    // lock box's "Leer" or "Grabar".
    virtual void LockBitsKnown(std::uint8_t /*lockByte*/) {}
};

}  // namespace tarpel::avr
