// SPDX-License-Identifier: GPL-2.0-or-later
// The FTDI port against a fake libftdi1 layer: the set-up and release calls and the pins they
// leave, the cable's pin map and the status byte as the line layer reads it, the queue and its
// blocks, and the errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/BoardLines.h"
#include "port/FtdiPort.h"

namespace tarpel::test {
namespace {

using port::FtdiOpenError;

// What the fake saw, kept apart so the test still has it once the port owns the fake.
struct FtdiLog {
    std::vector<std::string> calls;
    std::vector<std::size_t> writeSizes;
    std::vector<std::uint8_t> driven;  // the pins the board saw, each time they changed
    std::uint8_t outputMask = 0;
    bool closed = false;
    int mostWritesInFlight = 0;
    double pinClockFactor = 1;  // the pins' real rate over the rate asked
    std::int64_t ns = 0;        // the PC's time, which the pins' ticks advance
};

struct FakeClock final : port::Clock {
    explicit FakeClock(FtdiLog& log) : log_(log) {}
    bool QueryPerformanceFrequency(std::int64_t& frequency) override { return (frequency = 1'000'000'000) > 0; }
    std::int64_t QueryPerformanceCounter() override { return log_.ns; }
    std::uint32_t GetTickCount() override { return static_cast<std::uint32_t>(log_.ns / 1'000'000); }
    void Sleep(std::uint32_t ms) override { log_.ns += ms * 1'000'000ll; }
    FtdiLog& log_;
};

// An adapter in synchronous bit-bang with a loop-back plug on the cable, wired from the README's
// cable table: SDA return (RTS#, bit 2) follows SDA (DSR#, bit 5) and MISO (TXD, bit 0) follows
// MOSI (DCD#, bit 6). Its output latch starts high, as another program may leave it. Reads hand
// back at most a few bytes at a time, as USB packets do.
struct FakeFtdi final : port::FtdiCalls {
    explicit FakeFtdi(FtdiLog& log) : log_(log) {}

    FtdiOpenError Open(const std::string& serial, port::FtdiAdapter& adapter, std::string& detail) override {
        log_.calls.push_back("Open " + serial);
        detail = openDetail;
        if (openResult != FtdiOpenError::None) return openResult;
        adapter = {port::FtdiChip::Ft232R, "SER1"};
        return FtdiOpenError::None;
    }
    int SetBitmode(std::uint8_t mask, std::uint8_t mode) override {
        log_.calls.push_back("SetBitmode " + std::to_string(mask) + " " + std::to_string(mode));
        if (failBitmode) return -1;
        log_.outputMask = mask;
        Drive();
        return 0;
    }
    int SetBaudrate(int rate) override {
        log_.calls.push_back("SetBaudrate " + std::to_string(rate));
        rate_ = rate;
        return 0;
    }
    int SetLatencyTimer(std::uint8_t ms) override {
        log_.calls.push_back("SetLatencyTimer " + std::to_string(ms));
        return 0;
    }
    int Purge() override {
        log_.calls.push_back("Purge");
        pending_.clear();
        return 0;
    }
    int SubmitWrite(const std::uint8_t* data, int size) override {
        log_.calls.push_back("SubmitWrite");
        log_.writeSizes.push_back(static_cast<std::size_t>(size));
        if (failWrites) return -1;
        for (int i = 0; i < size; ++i) {
            const std::uint8_t out = latch_ & log_.outputMask;
            std::uint8_t in = 0;
            if (out & 0x20) in |= 0x04;
            if (out & 0x40) in |= 0x01;
            pending_.push_back(static_cast<std::uint8_t>(out | (in & ~log_.outputMask)));
            latch_ = data[i];
            Drive();
        }
        log_.ns += std::llround(size * 1e9 / (rate_ * log_.pinClockFactor));
        log_.mostWritesInFlight = std::max(log_.mostWritesInFlight, ++writesInFlight_);
        sizes_[next_] = size;
        return next_++;
    }
    int SubmitRead(std::uint8_t* data, int size) override {
        reads_[next_] = {data, size};
        return next_++;
    }
    int TransferDone(int transfer) override {
        if (const auto read = reads_.find(transfer); read != reads_.end()) {
            const auto [data, size] = read->second;
            reads_.erase(read);
            if (pending_.size() < static_cast<std::size_t>(size)) return -1;
            std::copy_n(pending_.begin(), size, data);
            pending_.erase(pending_.begin(), pending_.begin() + size);
            return size;
        }
        --writesInFlight_;
        return sizes_.at(transfer);
    }
    void Close() override {
        log_.calls.push_back("Close");
        log_.closed = true;
    }
    std::string ErrorString() override { return "usb bulk write failed"; }

    void Drive() {
        const auto pins = static_cast<std::uint8_t>(latch_ & log_.outputMask);
        if (log_.driven.empty() || log_.driven.back() != pins) log_.driven.push_back(pins);
    }

    FtdiOpenError openResult = FtdiOpenError::None;
    std::string openDetail;
    bool failBitmode = false;
    bool failWrites = false;

private:
    FtdiLog& log_;
    std::uint8_t latch_ = 0xFF;
    std::vector<std::uint8_t> pending_;
    int next_ = 0;
    int rate_ = 1;
    int writesInFlight_ = 0;
    std::map<int, int> sizes_;
    std::map<int, std::pair<std::uint8_t*, int>> reads_;
};

std::unique_ptr<port::FtdiPort> OpenPort(FtdiLog& log, FakeFtdi** fake = nullptr) {
    auto calls = std::make_unique<FakeFtdi>(log);
    if (fake) *fake = calls.get();
    std::string error;
    FakeClock clock(log);
    auto port = port::FtdiPort::Open(std::move(calls), "", clock, error);
    EXPECT_TRUE(port) << error;
    return port;
}

TEST(FtdiPort, StartsWithEveryPinOffBeforeTheyDriveAndLeavesThemOffAndDriven) {
    FtdiLog log;
    {
        auto port = OpenPort(log);
        const std::vector<std::string> setUp{"Open ",       "SetBitmode 0 4", "SetLatencyTimer 1",  "Purge",
                                             "SetBaudrate 2500", "SubmitWrite", "SubmitWrite", "SetBaudrate 750000",
                                             "SubmitWrite",      "SetBitmode 234 4"};
        EXPECT_EQ(log.calls, setUp);
        // The high latch an earlier program left never reached the board.
        EXPECT_EQ(log.driven, std::vector<std::uint8_t>{0x00});
        link::BoardLines lines(*port);
        lines.BusPowerUp();
        log.calls.clear();
    }
    // The power-up went out with the release, then every pin off; the pins stay outputs.
    EXPECT_EQ(log.calls, (std::vector<std::string>{"SubmitWrite", "Close"}));
    EXPECT_EQ(log.driven, (std::vector<std::uint8_t>{0x00, 0x2A, 0x00}));
    EXPECT_EQ(log.outputMask, 0xEA);
}

TEST(FtdiPort, CarriesEachBoardLineOnItsCablePinAndReadsTheStatusAsAParallelPort) {
    FtdiLog log;
    auto port = OpenPort(log);
    link::BoardLines lines(*port);

    // 24Cxx side: supply on RXD (bit 1), SCL on CTS# (bit 3), SDA on DSR# (bit 5).
    lines.WriteBusLines(true, true, true);
    EXPECT_TRUE(lines.ReadSdaIn());
    EXPECT_EQ(log.driven.back(), 0x2A);
    EXPECT_EQ(port->DlPortReadPortUchar(port::StatusPort), 0x3F) << "pin 11 high, pin 10 low";
    lines.SetSda(false);
    EXPECT_FALSE(lines.ReadSdaIn());
    EXPECT_EQ(log.driven.back(), 0x0A);
    EXPECT_EQ(port->DlPortReadPortUchar(port::StatusPort), 0xBF) << "pin 11 low reads as bit 7 set";

    // AVR side: XTAL1 on CTS#, RESET on DSR#, MOSI on DCD# (bit 6), SCK on RI# (bit 7).
    lines.WriteIspLines(true, true, true, false, true);
    EXPECT_TRUE(lines.ReadMiso());
    EXPECT_EQ(log.driven.back(), 0xCA);
    EXPECT_EQ(port->DlPortReadPortUchar(port::StatusPort), 0xFF) << "pin 10 high, pin 11 low";
    lines.WriteIspLines(true, false, false, true, false);
    EXPECT_FALSE(lines.ReadMiso());
    EXPECT_EQ(log.driven.back(), 0x22);
    // Bit 7 of the data port (pin 9) is not wired; the other ports read as nothing.
    port->DlPortWritePortUchar(port::DataPort, 0x80);
    EXPECT_EQ(port->DlPortReadPortUchar(0x37A), 0xFF);
    port->Flush();
    EXPECT_EQ(log.driven.back(), 0x00);
}

TEST(FtdiPort, QueuesWritesUntilASampleIsNeededAndSendsThemInBlocks) {
    FtdiLog log;
    auto port = OpenPort(log);
    link::BoardLines lines(*port);
    log.writeSizes.clear();

    lines.BusPowerUp();
    lines.SetScl(false);
    lines.SetSda(false);
    EXPECT_TRUE(log.writeSizes.empty()) << "nothing goes out before it is needed";
    const auto first = port->RequestSample();
    lines.SetSda(true);
    const auto second = port->RequestSample();
    EXPECT_TRUE(log.writeSizes.empty());
    // The first sample's value sends everything queued, both samples with it.
    EXPECT_EQ(port->StatusOf(first) & 0x80, 0x80) << "SDA was low at the first sample";
    EXPECT_EQ(log.writeSizes, std::vector<std::size_t>{6});
    EXPECT_EQ(port->StatusOf(second) & 0x80, 0x00) << "and high at the second";
    EXPECT_EQ(log.writeSizes.size(), 1u);

    // A long run streams in blocks of 64 bytes, two in flight, never more samples outstanding
    // than the FT232R's 128-byte buffer towards the PC holds, in order and whole: the loop-back
    // still answers the last sample right.
    log.writeSizes.clear();
    for (int i = 0; i < 4000; ++i) lines.SetScl(i % 2 == 0);
    EXPECT_TRUE(lines.ReadSdaIn());
    EXPECT_LE(*std::ranges::max_element(log.writeSizes), 64u);
    EXPECT_EQ(log.mostWritesInFlight, 2);
    std::size_t total = 0;
    for (const std::size_t size : log.writeSizes) total += size;
    EXPECT_EQ(total, 4001u);

    // Every line off, as each command ends, goes out at once: no read or wait may follow.
    lines.SetSda(false);
    lines.AllOff();
    EXPECT_EQ(log.writeSizes.back(), 2u);
    EXPECT_EQ(log.driven.back(), 0x00);

    // Holding lines, the I2C side's way, counts the ticks measured at open less their margin:
    // 5 us at 750 kHz is five ticks of 1.2 us, the byte that set the pins being the first.
    log.calls.clear();
    lines.SetScl(true);
    EXPECT_TRUE(port->HoldLines(5000));
    lines.AllOff();
    EXPECT_EQ(log.calls, (std::vector<std::string>{"SubmitWrite"}));
    EXPECT_EQ(log.writeSizes.back(), 6u);
}

// Pins four times faster than asked hold four times as many ticks; twenty-five times is beyond
// what any document gives, and the adapter is refused before its pins drive anything.
TEST(FtdiPort, CountsHoldsAtTheMeasuredPinClockAndRefusesOneBeyondTheDocuments) {
    FtdiLog log;
    log.pinClockFactor = 4;
    auto port = OpenPort(log);
    link::BoardLines lines(*port);
    lines.SetScl(true);
    EXPECT_TRUE(port->HoldLines(5000));
    lines.AllOff();
    EXPECT_EQ(log.writeSizes.back(), 18u) << "17 ticks of 0.3 us, and every line off";

    FtdiLog fast;
    fast.pinClockFactor = 25;
    FakeClock clock(fast);
    std::string error;
    EXPECT_EQ(port::FtdiPort::Open(std::make_unique<FakeFtdi>(fast), "", clock, error), nullptr);
    EXPECT_NE(error.find("25.0 veces"), std::string::npos) << error;
    EXPECT_TRUE(fast.closed);
    EXPECT_EQ(fast.outputMask, 0) << "no pin ever driven";
}

TEST(FtdiPort, EachOpeningFailureNamesItsCauseAndFix) {
    struct Case {
        FtdiOpenError error;
        std::string serial;
        std::vector<std::string> words;
    };
    const std::vector<Case> cases{
        {FtdiOpenError::NotFound, "", {"ningun adaptador", "lsusb -d 0403:"}},
        {FtdiOpenError::NotFound, "A5XK3", {"A5XK3", "iSerial"}},
        {FtdiOpenError::NoPermission, "", {"permiso", "/etc/udev/rules.d/", "0403", "plugdev"}},
        {FtdiOpenError::Busy, "A5XK3", {"A5XK3", "ftdi_sio", "rmmod ftdi_sio"}},
        {FtdiOpenError::Other, "", {"libusb_init() failed"}},
    };
    for (const Case& c : cases) {
        FtdiLog log;
        auto fake = std::make_unique<FakeFtdi>(log);
        fake->openResult = c.error;
        fake->openDetail = "libusb_init() failed";
        std::string error;
        FakeClock clock(log);
        EXPECT_EQ(port::FtdiPort::Open(std::move(fake), c.serial, clock, error), nullptr);
        for (const std::string& word : c.words) EXPECT_NE(error.find(word), std::string::npos) << word << ": " << error;
        EXPECT_EQ(log.calls, std::vector<std::string>{"Open " + c.serial});
    }

    // An adapter that refuses the mode is let go at once.
    FtdiLog log;
    auto fake = std::make_unique<FakeFtdi>(log);
    fake->failBitmode = true;
    std::string error;
    FakeClock clock(log);
    EXPECT_EQ(port::FtdiPort::Open(std::move(fake), "", clock, error), nullptr);
    EXPECT_NE(error.find("bit-bang"), std::string::npos) << error;
    EXPECT_TRUE(log.closed);
}

TEST(FtdiPort, ATransferThatFailsIsKeptAsTheFailureAndTheLinesReadIdle) {
    FtdiLog log;
    FakeFtdi* fake = nullptr;
    auto port = OpenPort(log, &fake);
    link::BoardLines lines(*port);
    lines.WriteBusLines(true, true, false);
    fake->failWrites = true;
    EXPECT_TRUE(lines.ReadSdaIn()) << "a lost adapter reads as an idle, pulled-up bus";
    EXPECT_TRUE(lines.PortFailed());
    EXPECT_NE(port->Failure().find("FT232R SER1"), std::string::npos) << port->Failure();
    EXPECT_NE(port->Failure().find("usb bulk write failed"), std::string::npos);
    // No further transfer is tried until the failure is cleared.
    const std::size_t tries = log.writeSizes.size();
    lines.SetSda(false);
    lines.ReadSdaIn();
    EXPECT_EQ(log.writeSizes.size(), tries);
    fake->failWrites = false;
    port->ClearFailure();
    EXPECT_FALSE(lines.ReadSdaIn());
    EXPECT_FALSE(lines.PortFailed());
}

}  // namespace
}  // namespace tarpel::test
