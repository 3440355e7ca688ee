// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Whole-file writes that never leave a half-written file behind: the bytes go to a temporary
// file in the same folder, are flushed, and only then renamed over the target, which keeps its
// permissions (and a link to it stays a link). Only where the folder refuses new files but the
// file itself may be written is the file rewritten in place.
#include <cstdint>
#include <span>
#include <string>

namespace tarpel::files {

// True when the file now holds exactly these bytes. On false the old file, if any, is untouched
// (except after a failed rewrite in place). A read-only file is never replaced, nor is anything
// that is not a regular file (a device, a FIFO, a folder; errno EINVAL or EISDIR).
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace tarpel::files
