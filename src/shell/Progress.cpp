// SPDX-License-Identifier: GPL-2.0-or-later
#include "shell/Progress.h"

namespace tarpel::shell {

int ProgressPercent(std::int64_t done, std::int64_t total) {
    if (total <= 0) return 0;
    const std::int64_t scaled = done * 100;
    std::int64_t quotient = scaled / total;
    const std::int64_t twiceRemainder = 2 * (scaled % total);
    if (twiceRemainder > total || (twiceRemainder == total && quotient % 2 != 0)) ++quotient;
    return static_cast<int>(quotient);
}

bool ProgressStep(Shell& shell, std::string_view label, std::int64_t done, std::int64_t total) {
    shell.ProgressSetLabel(label);
    shell.ProgressSetGauge(ProgressPercent(done, total));
    shell.ProcessMessages();
    return shell.ProgressCancelRequested();
}

}  // namespace tarpel::shell
