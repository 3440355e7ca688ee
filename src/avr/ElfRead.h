// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The ELF files that avr-gcc and avr-ld write (32-bit, machine AVR), read through libelf: every
// loadable section is placed by its load address into one of the AVR toolchain's memory spaces
// (flash from 0, EEPROM from 0x810000, fuses from 0x820000, lock bits from 0x830000, signature
// from 0x840000), as
// avr-objcopy takes them apart. It shows nothing: a refused file comes back with the text for
// the command's "ERROR" box. Every other space is left out.
#include <cstdint>
#include <string>
#include <vector>

namespace tarpel::avr {

enum class ElfMemory { Flash, Eeprom, Fuses, Lock, Signature };

struct ElfReadResult {
    // Empty when the file was read and holds the memory asked for; otherwise the reason, in
    // Spanish, and the memories below may be incomplete.
    std::string error;
    // Each memory from its own address 0 up to the last byte any section puts there, 0xFF in
    // the gaps; empty when no section lies in it. Flash holds .text with .data's initial values
    // after it, EEPROM the .eeprom section, fuses the .fuse bytes (low byte first, then high),
    // the lock bits the .lock byte (written only when asked for), the signature the .signature bytes turned round into the order the device answers them
    // (0x1E first), since avr-libc stores them last byte first.
    std::vector<std::uint8_t> flash;
    std::vector<std::uint8_t> eeprom;
    std::vector<std::uint8_t> fuses;
    std::vector<std::uint8_t> lock;
    std::vector<std::uint8_t> signature;

    const std::vector<std::uint8_t>& Memory(ElfMemory memory) const;
};

// Reads fileName; refuses, with error set, a file that cannot be opened, is no ELF file, is a
// 64-bit ELF, is meant for another machine, is no linked program, is cut short or damaged, or
// has nothing for the memory wanted.
ElfReadResult ElfRead(const std::string& fileName, ElfMemory wanted);

}  // namespace tarpel::avr
