#pragma once
// The Linux ppdev backend: /dev/parportN, claimed exclusively for the whole run.
// Data register through PPWDATA, status register through PPRSTATUS; one system call each.
#include <memory>
#include <string>

#include "hw/Port.h"

namespace tarpel::hw {

class PpdevPort final : public Port {
public:
    // Opens and claims the device. On failure returns null and a message that names the
    // device, the cause and the fix.
    static std::unique_ptr<PpdevPort> Open(const std::string& device, std::string& errorMessage);
    ~PpdevPort() override;
    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;

    void DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) override;
    std::uint8_t DlPortReadPortUchar(std::uint16_t port) override;

private:
    explicit PpdevPort(int fd) : fd_(fd) {}
    int fd_;
};

enum class PpdevStage { Open, Exclusive, Claim };

// The user's message for a failure of one step of opening the device.
std::string PpdevErrorMessage(const std::string& device, PpdevStage stage, int error);

}  // namespace tarpel::hw
