// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Which names may take a command's output: a regular file, or a name where nothing is yet. A
// device node, a FIFO, a socket or a folder (or a link to one) is never replaced by a file nor
// written into: saving over /dev/null as root would otherwise replace the device itself.
#include <string>

namespace tarpel::files {

// The error for a name that, links followed, is neither a regular file nor free, for the
// commands to show before they touch anything; empty when it may take the output.
std::string OutputRefusal(const std::string& fileName);

}  // namespace tarpel::files
