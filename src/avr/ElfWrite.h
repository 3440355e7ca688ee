// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Writes a whole AVR's memories as one ELF file laid out as avr-gcc and avr-ld lay out a program
// (32-bit little-endian, machine AVR, an executable): each memory is a section with a load
// segment of its own at the toolchain's address, so that avr-objdump, avr-objcopy and the
// program's own ElfRead take it apart again. It reads no device and shows nothing.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarpel::avr {

// What goes into the file; an empty memory gives no section.
struct ElfContents {
    std::vector<std::uint8_t> flash;      // .text from 0x000000
    std::vector<std::uint8_t> eeprom;     // .eeprom from 0x810000
    std::vector<std::uint8_t> fuses;      // .fuse from 0x820000: low byte, then high
    std::optional<std::uint8_t> lock;     // .lock at 0x830000, only when given
    std::vector<std::uint8_t> signature;  // .signature at 0x840000, in the order the device answers
    // e_flags: the avr-gcc architecture the device belongs to (2 for avr2, 4 for avr4), so that
    // avr-objdump disassembles the flash with the device's instruction set.
    std::uint32_t architecture = 0;
};

// The whole file.
std::vector<std::uint8_t> ElfBytes(const ElfContents& contents);

// Writes the file atomically: a failed write leaves any old file as it was. False when it
// cannot be created or written whole.
bool ElfWrite(const std::string& fileName, const ElfContents& contents);

}  // namespace tarpel::avr
