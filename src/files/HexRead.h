#pragma once
// The Intel HEX reader (16-bit dialect): data records are placed by their bare 16-bit address
// into a buffer the caller owns and pre-fills; an end record stops the reading. It checks no
// checksum, ignores every other record type and never shows a message.
#include <cstdint>
#include <span>
#include <string>

namespace tarpel::files {

// Loads fileName into buffer. A data record whose address is at most limit is stored whole,
// so its bytes may reach limit + 254; bytes that fall outside buffer are dropped, never
// written. Positions no record names keep their value. Lines end with LF or CR LF (a lone CR
// is part of the line), Ctrl-Z ends the input, nothing after the end record is read, and a
// line too short for its count, address and type fields is a record without data.
// Returns false when the file could not be opened (the buffer is then unchanged) or a read
// failed part-way.
bool HexRead(const std::string& fileName, std::int32_t limit, std::span<std::uint8_t> buffer);

}  // namespace tarpel::files
