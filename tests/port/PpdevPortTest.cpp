// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <linux/ppdev.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "port/PpdevPort.h"
#include "port/SignalSafeOff.h"

namespace tarpel::test {
namespace {

using port::PpdevErrorMessage;
using port::PpdevStage;

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
    auto port = port::PpdevPort::Open("/dev/parport-that-does-not-exist", message);
    EXPECT_EQ(port, nullptr);
    EXPECT_NE(message.find("modprobe"), std::string::npos);
}

TEST(PpdevPort, ADeviceThatIsNotAParallelPortIsRefused) {
    std::string message;
    auto port = port::PpdevPort::Open("/dev/null", message);  // PPEXCL is not a /dev/null ioctl
    EXPECT_EQ(port, nullptr);
    EXPECT_FALSE(message.empty());
}

// A parallel port as ppdev shows it, standing behind /dev/null: every call is noted, and from a
// chosen call on every data write and status read fails as a vanished port's would.
struct FakeParport {
    struct Call {
        unsigned long request;
        int value;  // what the call passed or was given: a data byte, a direction
    };
    std::vector<Call> calls;
    int failFromCall = -1;  // the index of the first failing access, -1 for never
    int failWith = EIO;

    static FakeParport* active;

    static int Ioctl(int, unsigned long request, void* argument) {
        FakeParport& port = *active;
        int value = -1;
        if (request == PPWDATA) value = *static_cast<unsigned char*>(argument);
        if (request == PPDATADIR) value = *static_cast<int*>(argument);
        port.calls.push_back({request, value});
        const bool access = request == PPWDATA || request == PPRSTATUS;
        if (access && port.failFromCall >= 0 && static_cast<int>(port.calls.size()) > port.failFromCall) {
            errno = port.failWith;
            return -1;
        }
        if (request == PPRSTATUS) *static_cast<unsigned char*>(argument) = 0x3F;
        return 0;
    }
};
FakeParport* FakeParport::active = nullptr;

TEST(PpdevPort, AfterTheClaimTheDataLinesAreSetToDriveBeforeAnythingIsWritten) {
    FakeParport fake;
    FakeParport::active = &fake;
    std::string message;
    auto port = port::PpdevPort::Open("/dev/null", message, FakeParport::Ioctl);
    ASSERT_NE(port, nullptr) << message;
    port->DlPortWritePortUchar(port::DataPort, 0x1F);
    ASSERT_EQ(fake.calls.size(), 4u);
    EXPECT_EQ(fake.calls[0].request, static_cast<unsigned long>(PPEXCL));
    EXPECT_EQ(fake.calls[1].request, static_cast<unsigned long>(PPCLAIM));
    EXPECT_EQ(fake.calls[2].request, static_cast<unsigned long>(PPDATADIR));
    EXPECT_EQ(fake.calls[2].value, 0) << "forward: the port drives the data lines";
    EXPECT_EQ(fake.calls[3].request, static_cast<unsigned long>(PPWDATA));
    EXPECT_EQ(port->Failure(), "");
}

TEST(PpdevPort, AFailingWriteOrReadIsKeptWithTheDeviceAndTheCause) {
    for (const bool failOnRead : {false, true}) {
        FakeParport fake;
        FakeParport::active = &fake;
        std::string message;
        auto port = port::PpdevPort::Open("/dev/null", message, FakeParport::Ioctl);
        ASSERT_NE(port, nullptr) << message;
        port->DlPortWritePortUchar(port::DataPort, 0x07);
        EXPECT_EQ(port->DlPortReadPortUchar(port::StatusPort), 0x3F);
        EXPECT_EQ(port->Failure(), "");
        fake.failFromCall = static_cast<int>(fake.calls.size());
        fake.failWith = failOnRead ? ENODEV : EIO;
        if (failOnRead) port->DlPortReadPortUchar(port::StatusPort);
        else port->DlPortWritePortUchar(port::DataPort, 0x0F);
        const std::string failure = port->Failure();
        EXPECT_NE(failure.find("/dev/null"), std::string::npos) << failure;
        EXPECT_NE(failure.find(std::strerror(fake.failWith)), std::string::npos) << failure;
        EXPECT_NE(failure.find(failOnRead ? "leer" : "escribir"), std::string::npos) << failure;
        // The first failure is the one kept; a later one of another kind does not replace it.
        fake.failWith = EBADF;
        port->DlPortWritePortUchar(port::DataPort, 0x00);
        EXPECT_EQ(port->Failure(), failure);
        port->ClearFailure();
        EXPECT_EQ(port->Failure(), "");
    }
}

TEST(PpdevPort, WhileOpenASignalHandlerCanWriteZeroThroughTheOpenDescriptor) {
    FakeParport fake;
    FakeParport::active = &fake;
    std::string message;
    {
        auto port = port::PpdevPort::Open("/dev/null", message, FakeParport::Ioctl);
        ASSERT_NE(port, nullptr) << message;
        port->DlPortWritePortUchar(port::DataPort, 0x47);
        fake.calls.clear();
        EXPECT_TRUE(port::SwitchOffFromSignal());
        ASSERT_EQ(fake.calls.size(), 1u);
        EXPECT_EQ(fake.calls[0].request, static_cast<unsigned long>(PPWDATA));
        EXPECT_EQ(fake.calls[0].value, 0x00);
    }
    fake.calls.clear();
    EXPECT_FALSE(port::SwitchOffFromSignal()) << "a closed port leaves nothing to write to";
    EXPECT_TRUE(fake.calls.empty());
}

}  // namespace
}  // namespace tarpel::test
