#pragma once
// The one rounding of progress: what share of a command's work is done, as the gauges and the
// progress dialog show it.
#include <cstdint>

namespace tarpel::shell {

// The whole percentage nearest to done x 100 / total, halves going to the even value, as the
// progress gauges show it. 0 when total is not positive.
int ProgressPercent(std::int64_t done, std::int64_t total);

}  // namespace tarpel::shell
