#include <gtest/gtest.h>

#include <cerrno>

#include "hw/PpdevPort.h"

namespace tarpel::test {
namespace {

using hw::PpdevErrorMessage;
using hw::PpdevStage;

TEST(PpdevPort, EachOpeningFailureNamesTheDeviceAndItsFix) {
    const std::string device = "/dev/parport3";
    for (int error : {ENOENT, ENODEV, ENXIO}) {
        const auto text = PpdevErrorMessage(device, PpdevStage::Open, error);
        EXPECT_NE(text.find(device), std::string::npos);
        EXPECT_NE(text.find("modprobe parport_pc ppdev"), std::string::npos) << error;
    }
    const auto denied = PpdevErrorMessage(device, PpdevStage::Open, EACCES);
    EXPECT_NE(denied.find("grupo"), std::string::npos);
    EXPECT_NE(denied.find(device), std::string::npos);

    // A claim refused because another driver holds the port is a busy port, not a permission.
    for (auto [stage, error] : {std::pair{PpdevStage::Claim, EBUSY}, {PpdevStage::Exclusive, EBUSY},
                                {PpdevStage::Claim, EPERM}}) {
        const auto busy = PpdevErrorMessage(device, stage, error);
        EXPECT_NE(busy.find("ocupado"), std::string::npos) << error;
        EXPECT_NE(busy.find("lp"), std::string::npos);
    }
    EXPECT_NE(PpdevErrorMessage(device, PpdevStage::Open, EIO).find(device), std::string::npos);
}

TEST(PpdevPort, OpeningAMissingDeviceFailsWithTheModuleHint) {
    std::string message;
    auto port = hw::PpdevPort::Open("/dev/parport-that-does-not-exist", message);
    EXPECT_EQ(port, nullptr);
    EXPECT_NE(message.find("modprobe"), std::string::npos);
}

TEST(PpdevPort, ADeviceThatIsNotAParallelPortIsRefused) {
    std::string message;
    auto port = hw::PpdevPort::Open("/dev/null", message);  // PPEXCL is not a /dev/null ioctl
    EXPECT_EQ(port, nullptr);
    EXPECT_FALSE(message.empty());
}

}  // namespace
}  // namespace tarpel::test
