// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Progress as every command shows it: the one rounding of a share of work done to the whole
// percentage the gauges show, and one step of a long command under the progress dialog.
#include <cstdint>
#include <string_view>

#include "shell/Shell.h"

namespace tarpel::shell {

// The whole percentage nearest to done x 100 / total, halves going to the even value, as the
// progress gauges show it. 0 when total is not positive.
int ProgressPercent(std::int64_t done, std::int64_t total);

// One step under the progress dialog: its label, its gauge at done of total, one pump of the
// message loop. True when the user has asked to cancel.
bool ProgressStep(Shell& shell, std::string_view label, std::int64_t done, std::int64_t total);

}  // namespace tarpel::shell
