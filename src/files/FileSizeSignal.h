// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A file-size limit (RLIMIT_FSIZE) as the write error it is. By default the system kills a
// program whose write would pass the limit (SIGXFSZ), in the middle of a command: no message,
// the board's lines left powered and a temporary file left beside the output. Ignored, the
// write fails with EFBIG instead, and the writers report it as they report a full disk.

namespace tarpel::files {

// Called once at the start of each program, before anything is written.
void IgnoreFileSizeSignal();

}  // namespace tarpel::files
