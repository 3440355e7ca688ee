// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Intel HEX reader: data records are placed by their full address (the 16-bit field plus
// the base set by extended segment (02) and extended linear (04) address records) into a buffer
// the caller owns and pre-fills; an end record stops the reading. Lines that are not valid
// records are still read as far as their fields go, as the program always did, and counted.
// It never shows a message: what it found comes back as an ImageFileRead.
#include <cstdint>
#include <span>
#include <string>

#include "files/ImageFileRead.h"

namespace tarpel::files {

// Loads fileName into buffer. A data record whose full address is at most limit is stored
// whole, so its bytes may reach limit + 254; bytes that fall outside buffer are dropped, never
// written. Positions no record names keep their value. Full addresses from `origin` on count
// from 0, for toolchains that place a memory at an address of its own (AVR EEPROM at 0x810000).
// Lines end with LF or CR LF (a lone CR is part of the line), Ctrl-Z ends the input, nothing
// after the end record is read, and a line too short for its count, address and type fields is
// a record without data.
// The file is read whole before any record is applied: when it cannot be opened, or its reading
// fails part-way, `opened` is false and the buffer unchanged.
// `held`, when given, gets a 1 at every position a data byte was stored in (as far as it
// reaches), for commands that write only what the file holds; the rest of it is left as it is.
ImageFileRead HexRead(const std::string& fileName, std::int32_t limit, std::span<std::uint8_t> buffer,
                      std::uint32_t origin = 0, std::span<std::uint8_t> held = {});

}  // namespace tarpel::files
