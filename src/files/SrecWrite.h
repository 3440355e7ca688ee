// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Motorola S-record writer: an S0 header, S1 records of 16 data bytes from address 0, and
// the S9 end record, upper-case digits and CR LF line ends, as the HEX writer does. It writes at
// most 65,536 bytes, so the 16-bit address of S1 always suffices.
#include <cstdint>
#include <span>
#include <string>

namespace tarpel::files {

// Writes bytes 0 .. count - 1 of buffer as an S-record file. An existing file is replaced only
// once the new one is complete. False, with any old file untouched, when the file cannot be
// created or completely written, or when count is negative, above 65,536 or beyond buffer.
bool SrecWrite(const std::string& fileName, std::span<const std::uint8_t> buffer, std::int32_t count);

}  // namespace tarpel::files
