// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The port a board gets when its real port could not be opened: writes go nowhere, and the
// status reads as an idle line with SDA high, so no chip ever seems to acknowledge.
#include "port/Port.h"

namespace tarpel::board {

class InertPort final : public port::Port {
public:
    void DlPortWritePortUchar(std::uint16_t, std::uint8_t) override {}
    std::uint8_t DlPortReadPortUchar(std::uint16_t) override { return 0x7F; }
};

}  // namespace tarpel::board
