// SPDX-License-Identifier: GPL-2.0-or-later
#include "RecordingPort.h"

#include "FakeClock.h"

namespace tarpel::test {

void RecordingPort::DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) {
    if (port != port::DataPort) return;
    writes.push_back({value, clock_ ? clock_->nowNs : 0});
}

std::uint8_t RecordingPort::DlPortReadPortUchar(std::uint16_t port) {
    if (port != port::StatusPort) return 0xFF;
    ++statusReads;
    return statusSource ? statusSource() : status;
}

std::vector<std::uint8_t> RecordingPort::Values() const {
    std::vector<std::uint8_t> values;
    values.reserve(writes.size());
    for (const auto& w : writes) values.push_back(w.value);
    return values;
}

}  // namespace tarpel::test
