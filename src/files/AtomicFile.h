#pragma once
// Whole-file writes that never leave a half-written file behind: the bytes go to a temporary
// file in the same folder, are flushed, and only then renamed over the target.
#include <cstdint>
#include <span>
#include <string>

namespace tarpel::files {

// True when the file now holds exactly these bytes. On false the old file, if any, is untouched.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace tarpel::files
