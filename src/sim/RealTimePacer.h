// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Holds the simulation back to wall-clock speed, for a demonstration in the window program:
// whenever virtual time runs ahead of the wall clock by more than a millisecond, it sleeps the
// difference. Off by default; the simulation then runs as fast as the processor allows.
#include <chrono>
#include <cstdint>

#include "sim/VirtualTime.h"

namespace tarpel::sim {

class RealTimePacer {
public:
    explicit RealTimePacer(const VirtualTime& time) : time_(time) {}

    // Switching on starts the comparison afresh from this moment.
    void SetEnabled(bool on);
    bool Enabled() const { return enabled_; }

    // Cheap when called often: it looks at the wall clock once per millisecond of virtual time.
    void Pace() {
        if (enabled_ && time_.NowNs() >= nextCheckNs_) CatchUp();
    }

private:
    void CatchUp();

    const VirtualTime& time_;
    bool enabled_ = false;
    std::uint64_t startVirtualNs_ = 0;
    std::chrono::steady_clock::time_point startWall_;
    std::uint64_t nextCheckNs_ = 0;
};

}  // namespace tarpel::sim
