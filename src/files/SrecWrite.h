// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Motorola S-record writer: an S0 header, S1 records of 16 data bytes from address 0, and
// the S9 end record, upper-case digits and CR LF line ends, as the HEX writer does; an image past
// 64 KiB takes S2 records and the S8 end, with 24-bit addresses. It writes at most 262,144
// bytes, the largest chip's.
#include <cstdint>
#include <span>
#include <string>

namespace tarpel::files {

// Writes bytes 0 .. count - 1 of buffer as an S-record file. An existing file is replaced only
// once the new one is complete. False, with any old file untouched, when the file cannot be
// created or completely written, or when count is negative, above 262,144 or beyond buffer.
bool SrecWrite(const std::string& fileName, std::span<const std::uint8_t> buffer, std::int32_t count);

}  // namespace tarpel::files
