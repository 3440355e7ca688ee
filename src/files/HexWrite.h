// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Intel HEX writer: 16 data bytes per record from address 0, upper-case digits, CR LF line
// ends and the end record, and past 64 KiB an extended linear address record before each 64 KiB
// (no start record). It writes at most 262,144 bytes, the largest chip's.
#include <cstdint>
#include <span>
#include <string>

namespace tarpel::files {

// The whole text HexWrite saves for these bytes (at most 262,144 of them, the largest chip).
std::string HexText(std::span<const std::uint8_t> bytes);

// Writes bytes 0 .. count - 1 of buffer as a HEX file. An existing file is replaced only once
// the new one is complete. False, with any old file untouched, when the file cannot be created
// or completely written, or when count is negative, above 262,144 or beyond buffer.
bool HexWrite(const std::string& fileName, std::span<const std::uint8_t> buffer, std::int32_t count);

}  // namespace tarpel::files
