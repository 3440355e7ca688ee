// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The simulated board's time, in nanoseconds since the board was made. It advances only when
// something costs time: a port access, a clock reading, a sleep. Nothing here reads a real clock.
#include <cstdint>

namespace tarpel::sim {

class VirtualTime {
public:
    std::uint64_t NowNs() const { return nowNs_; }
    void Advance(std::uint64_t ns) { nowNs_ += ns; }

private:
    std::uint64_t nowNs_ = 0;
};

}  // namespace tarpel::sim
