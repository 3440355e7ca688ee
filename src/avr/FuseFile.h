// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The fuse bytes an avr-gcc program carries in its .fuse section (avr/fuse.h's FUSES): the
// ATmega8515's two bytes or the ATmega162's three, low first, then high, then extended. Shows
// nothing; a file whose fuses may not be written comes back with the text of the command's
// "ERROR" box.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "avr/FuseMemory.h"

namespace tarpel::avr {

struct FuseFile {
    std::string error;                    // empty when the bytes may be written
    FuseBytes bytes;
    std::vector<std::uint8_t> signature;  // the device the program was built for, when it says
};

// Refuses, besides what the ELF reader refuses, a .fuse section of other than two or three bytes
// (built for another device) and one whose high byte leaves SPIEN unprogrammed: once written, the
// serial interface would be gone and the board could never reach the device again.
FuseFile ReadFuseFile(const std::string& fileName);

// The refusal of a .fuse section of a length no device of the table has.
std::string FuseLengthRefusal(std::size_t length);

// The refusal of bytes that leave SPIEN unprogrammed; empty for bytes that may be written.
std::string SpienRefusal(FuseBytes bytes);

}  // namespace tarpel::avr
