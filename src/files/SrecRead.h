// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Motorola S-record reader: S1/S2/S3 data records are placed by their 16, 24 or 32-bit
// address into a buffer the caller owns and pre-fills; an S7/S8/S9 end record stops the reading.
// Every record's checksum is checked and the S5/S6 record counts compared; what is wrong is
// counted for the caller to warn about, never shown from here.
#include <cstdint>
#include <span>
#include <string>

#include "files/ImageFileRead.h"

namespace tarpel::files {

// The same facts the Intel HEX reader reports, so that the commands treat both alike.
using SrecReadResult = ImageFileRead;

// Loads fileName into buffer: a data byte's position is its address, or, from origin on, its
// address less origin, for toolchains that place a memory at an address of its own (AVR EEPROM
// at 0x810000); bytes whose position lies past the buffer are left out, never written, and
// dataEnd tells how far they reached. Positions no record names keep their value; a later
// record overwrites an earlier one.
// A record whose checksum is wrong, or an S5/S6 count that differs from the data records read so
// far, is a wrong line but still takes effect, as a HEX record with a wrong checksum does.
// A line that is no well-formed record (no "S" or "s" and type digit, S4, a character that is no
// hexadecimal digit, an odd number of digits, a byte count that does not match the line) is a
// wrong line and changes nothing. Blank lines are skipped; trailing blanks and CR are ignored.
// Lines end with LF or CR LF, Ctrl-Z ends the input, and nothing after the end record is read:
// the lines there that are not blank are counted (linesAfterEnd) for a warning.
// `held`, when given, gets a 1 at every position a data byte was stored in (as far as it
// reaches), for commands that write only what the file holds; the rest of it is left as it is.
SrecReadResult SrecRead(const std::string& fileName, std::span<std::uint8_t> buffer, std::uint32_t origin = 0,
                        std::span<std::uint8_t> held = {});

}  // namespace tarpel::files
