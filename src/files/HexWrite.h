// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Intel HEX writer: 16 data bytes per record from address 0, upper-case digits, CR LF line
// ends and the end record, nothing else (no extended address or start records). It writes at
// most 65,536 bytes, so the 16-bit address field always suffices.
#include <cstdint>
#include <span>
#include <string>

namespace tarpel::files {

// The whole text HexWrite saves for these bytes (at most 65,536 of them).
std::string HexText(std::span<const std::uint8_t> bytes);

// Writes bytes 0 .. count - 1 of buffer as a HEX file. An existing file is replaced only once
// the new one is complete. False, with any old file untouched, when the file cannot be created
// or completely written, or when count is negative, above 65,536 or beyond buffer.
bool HexWrite(const std::string& fileName, std::span<const std::uint8_t> buffer, std::int32_t count);

}  // namespace tarpel::files
