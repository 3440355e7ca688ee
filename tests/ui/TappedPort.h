// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A port that passes every access on to another one and notes the data writes on the way:
// how many there were and the last byte, so a test can tell what the board was left with.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "port/Port.h"

namespace tarpel::test {

class TappedPort final : public port::Port {
public:
    explicit TappedPort(port::Port& inner) : inner_(inner) {}

    void DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) override {
        if (port == port::DataPort) {
            ++dataWrites;
            last = value;
        }
        inner_.DlPortWritePortUchar(port, value);
    }
    std::uint8_t DlPortReadPortUchar(std::uint16_t port) override { return inner_.DlPortReadPortUchar(port); }
    std::string Failure() const override { return inner_.Failure(); }
    void ClearFailure() override { inner_.ClearFailure(); }

    std::size_t dataWrites = 0;
    std::optional<std::uint8_t> last;  // empty until the first data write

private:
    port::Port& inner_;
};

}  // namespace tarpel::test
