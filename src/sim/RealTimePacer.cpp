// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/RealTimePacer.h"

#include <thread>

namespace tarpel::sim {

namespace {
constexpr std::uint64_t CheckIntervalNs = 1'000'000;
}

void RealTimePacer::SetEnabled(bool on) {
    enabled_ = on;
    startVirtualNs_ = time_.NowNs();
    startWall_ = std::chrono::steady_clock::now();
    nextCheckNs_ = startVirtualNs_ + CheckIntervalNs;
}

void RealTimePacer::CatchUp() {
    const std::uint64_t now = time_.NowNs();
    nextCheckNs_ = now + CheckIntervalNs;
    const auto virtualElapsed = std::chrono::nanoseconds(now - startVirtualNs_);
    const auto wallElapsed = std::chrono::steady_clock::now() - startWall_;
    if (virtualElapsed > wallElapsed) std::this_thread::sleep_for(virtualElapsed - wallElapsed);
}

}  // namespace tarpel::sim
