// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/FileSizeSignal.h"

#include <csignal>

namespace tarpel::files {

void IgnoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace tarpel::files
