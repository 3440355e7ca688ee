// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Direct port I/O at 0x378/0x379 through ioperm, for kernels without ppdev.
// Needs root (CAP_SYS_RAWIO) and an x86 processor.
#include <memory>
#include <string>

#include "port/Port.h"

namespace tarpel::port {

class DirectPort final : public Port {
public:
    static std::unique_ptr<DirectPort> Open(std::string& errorMessage);
    ~DirectPort() override;
    DirectPort(const DirectPort&) = delete;
    DirectPort& operator=(const DirectPort&) = delete;

    void DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) override;
    std::uint8_t DlPortReadPortUchar(std::uint16_t port) override;

private:
    DirectPort() = default;
};

}  // namespace tarpel::port
