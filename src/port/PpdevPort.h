// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The Linux ppdev backend: /dev/parportN, claimed exclusively for the whole run, its data lines
// set to drive the board. Data register through PPWDATA, status register through PPRSTATUS; one
// system call each. A call that fails (the port's card gone, the driver unloaded) is kept as the
// port's failure, naming the device and the cause.
#include <memory>
#include <string>

#include "port/Port.h"

namespace tarpel::port {

class PpdevPort final : public Port {
public:
    // The one system call the port makes on its open device; a test stands in for a parallel
    // port by giving its own. Being a plain function, it may also be called from a signal handler.
    using IoctlCall = int (*)(int fd, unsigned long request, void* argument);
    static int SystemIoctl(int fd, unsigned long request, void* argument);

    // Opens and claims the device. On failure returns null and a message that names the
    // device, the cause and the fix.
    static std::unique_ptr<PpdevPort> Open(const std::string& device, std::string& errorMessage,
                                           IoctlCall ioctl = SystemIoctl);
    ~PpdevPort() override;
    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;

    void DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) override;
    std::uint8_t DlPortReadPortUchar(std::uint16_t port) override;
    std::string Failure() const override { return failure_; }
    void ClearFailure() override { failure_.clear(); }

private:
    PpdevPort(int fd, std::string device, IoctlCall ioctl) : fd_(fd), device_(std::move(device)), ioctl_(ioctl) {}
    // Keeps the first failure: `message` is a whole sentence, %1 the device, %2 the system's error.
    void RecordFailure(const char* message, int error);

    int fd_;
    std::string device_;
    IoctlCall ioctl_;
    std::string failure_;
};

enum class PpdevStage { Open, Exclusive, Claim, DataDirection };

// The user's message for a failure of one step of opening the device.
std::string PpdevErrorMessage(const std::string& device, PpdevStage stage, int error);

}  // namespace tarpel::port
