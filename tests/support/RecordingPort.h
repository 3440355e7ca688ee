// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A port for tests: records every data write with the fake clock's time, and answers status
// reads from a fixed value or a function of what was written.
#include <cstdint>
#include <functional>
#include <vector>

#include "port/Port.h"

namespace tarpel::test {

class FakeClock;

struct PortWrite {
    std::uint8_t value;
    std::uint64_t timeNs;
};

class RecordingPort final : public port::Port {
public:
    explicit RecordingPort(const FakeClock* clock = nullptr) : clock_(clock) {}

    std::vector<PortWrite> writes;
    int statusReads = 0;
    std::uint8_t status = 0x7F;
    std::function<std::uint8_t()> statusSource;  // overrides status when set

    void DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) override;
    std::uint8_t DlPortReadPortUchar(std::uint16_t port) override;

    std::vector<std::uint8_t> Values() const;
    std::uint8_t Last() const { return writes.empty() ? 0 : writes.back().value; }

private:
    const FakeClock* clock_;
};

}  // namespace tarpel::test
