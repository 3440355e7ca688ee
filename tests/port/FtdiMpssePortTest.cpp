// SPDX-License-Identifier: GPL-2.0-or-later
// The H-series port against a fake libftdi1 layer that runs the few MPSSE commands the port
// uses: the exact bytes of the set-up, a write, a hold and a read, and the cable's pins.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "port/FtdiBoardPort.h"
#include "FakeClock.h"

namespace tarpel::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct MpsseLog {
    std::vector<std::string> calls;
    std::vector<Bytes> writes;
    std::vector<std::uint8_t> driven;  // the pins the board saw, each time they changed
};

// An engine with a loop-back plug on the H-series cable as the README draws it: SDA return
// (ADBUS2) follows SDA (ADBUS5) and MISO (ADBUS4) follows MOSI (ADBUS6). Its output latch
// starts high, as another program may leave it.
struct FakeMpsse final : port::FtdiCalls {
    FakeMpsse(MpsseLog& log, port::FtdiChip chip) : log_(log), chip_(chip) {}

    port::FtdiOpenError Open(const std::string& serial, port::FtdiAdapter& adapter, std::string&) override {
        log_.calls.push_back("Open " + serial);
        adapter = {chip_, "SER1"};
        return port::FtdiOpenError::None;
    }
    int SetBitmode(std::uint8_t mask, std::uint8_t mode) override {
        log_.calls.push_back("SetBitmode " + std::to_string(mask) + " " + std::to_string(mode));
        return 0;
    }
    int SetBaudrate(int) override { return -1; }
    int SetLatencyTimer(std::uint8_t ms) override {
        log_.calls.push_back("SetLatencyTimer " + std::to_string(ms));
        return 0;
    }
    int Purge() override {
        log_.calls.push_back("Purge");
        return 0;
    }
    int SubmitWrite(const std::uint8_t* data, int size) override {
        const Bytes bytes(data, data + size);
        log_.writes.push_back(bytes);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            switch (bytes[i]) {
                case 0x80:
                    latch_ = bytes[++i];
                    direction_ = bytes[++i];
                    Drive();
                    break;
                case 0x81: answers_.push_back(Levels()); break;
                case 0x86:
                case 0x8F: i += 2; break;
                case 0x8E: i += 1; break;
                case 0xAA: answers_.insert(answers_.end(), {0xFA, 0xAA}); break;
                default: break;
            }
        }
        writeSizes_[next_] = size;
        return next_++;
    }
    int SubmitRead(std::uint8_t* data, int size) override {
        reads_[next_] = {data, size};
        return next_++;
    }
    int TransferDone(int transfer) override {
        const auto read = reads_.find(transfer);
        if (read == reads_.end()) return writeSizes_.at(transfer);
        const auto [data, size] = read->second;
        reads_.erase(read);
        if (answers_.size() < static_cast<std::size_t>(size)) return -1;
        for (int i = 0; i < size; ++i, answers_.pop_front()) data[i] = answers_.front();
        return size;
    }
    void Close() override { log_.calls.push_back("Close"); }
    std::string ErrorString() override { return "usb bulk write failed"; }

private:
    std::uint8_t Levels() const {
        const auto out = static_cast<std::uint8_t>(latch_ & direction_);
        std::uint8_t in = 0;
        if (out & 0x20) in |= 0x04;
        if (out & 0x40) in |= 0x10;
        return static_cast<std::uint8_t>(out | (in & ~direction_));
    }
    void Drive() {
        const auto pins = static_cast<std::uint8_t>(latch_ & direction_);
        if (log_.driven.empty() || log_.driven.back() != pins) log_.driven.push_back(pins);
    }

    MpsseLog& log_;
    port::FtdiChip chip_;
    std::uint8_t latch_ = 0xFF;
    std::uint8_t direction_ = 0x00;
    std::deque<std::uint8_t> answers_;
    int next_ = 0;
    std::map<int, int> writeSizes_;
    std::map<int, std::pair<std::uint8_t*, int>> reads_;
};

TEST(FtdiMpssePort, SpeaksTheCommandsFtdiDocumentsAndCarriesEachLineOnItsCablePin) {
    MpsseLog log;
    FakeClock clock;  // the MPSSE times nothing on the PC's clock
    {
        std::string error;
        auto opened = port::OpenFtdiBoardPort(std::make_unique<FakeMpsse>(log, port::FtdiChip::Ft232H), "", clock, error);
        ASSERT_TRUE(opened.port) << error;
        EXPECT_EQ(opened.name, "FT232H SER1");
        port::Port& port = *opened.port;
        // libftdi: ftdi_set_bitmode(mask, BITMODE_RESET = 0x00), then BITMODE_MPSSE = 0x02.
        EXPECT_EQ(log.calls, (std::vector<std::string>{"Open ", "SetBitmode 0 0", "SetBitmode 0 2",
                                                       "SetLatencyTimer 1", "Purge"}));
        ASSERT_EQ(log.writes.size(), 2u);
        // AN_135 / OpenOCD mpsse.c: a bad command (0xAA) answered 0xFA 0xAA shows the engine in
        // step; 0x87 is AN_108's "send immediate".
        EXPECT_EQ(log.writes[0], (Bytes{0xAA, 0x87}));
        // AN_108: 0x8A divide-by-5 off (60 MHz), 0x97 adaptive clocking off, 0x8D three-phase off,
        // 0x85 loopback off, 0x86 divisor 2 (60 MHz / ((1 + 2) * 2) = 10 MHz TCK), 0x80 value
        // 0x00 direction 0xEB (TCK, supply, SCL, SDA, MOSI, SCK out).
        EXPECT_EQ(log.writes[1], (Bytes{0x8A, 0x97, 0x8D, 0x85, 0x86, 0x02, 0x00, 0x80, 0x00, 0xEB}));
        EXPECT_EQ(log.driven, Bytes{0x00}) << "the high latch never reached the board";

        // Supply, SCL and SDA (data 0x1F): AD1, AD3, AD5. Each write stands 0.8 us: 0x8F 0x0000 is
        // 8 TCK cycles (AN_108 "clock for n x 8 bits with no data").
        port.DlPortWritePortUchar(port::DataPort, 0x1F);
        // 5 us less the write's own 0.8: 40 cycles and 2 more (0x8E 0x01, "clock for n bits with
        // no data"), then 2.5 us more: 24 + 1.
        EXPECT_TRUE(port.HoldLines(5000));
        EXPECT_TRUE(port.HoldLines(2500));
        const auto sample = port.RequestSample();
        EXPECT_EQ(log.writes.size(), 2u) << "nothing goes out before a value is needed";
        // 0x81 reads ADBUS0..7 (AN_108 "read data bits low byte"); 0x87 sends it at once.
        EXPECT_EQ(port.StatusOf(sample), 0x3F) << "SDA return high reads as bit 7 clear, MISO low";
        EXPECT_EQ(log.writes.back(), (Bytes{0x80, 0x2A, 0xEB, 0x8F, 0x00, 0x00, 0x8F, 0x04, 0x00, 0x8E, 0x01,
                                            0x8F, 0x02, 0x00, 0x8E, 0x00, 0x81, 0x87}));
        // MOSI (data 0x20, AD6) and SCK (0x40, AD7) with SDA low: MISO comes back on AD4.
        port.DlPortWritePortUchar(port::DataPort, 0x6F);
        EXPECT_EQ(port.DlPortReadPortUchar(port::StatusPort), 0xFF) << "MISO high, SDA return low";
        EXPECT_EQ(log.driven.back(), 0xCA);
    }
    // The release: every pin low, still driven, then the close.
    EXPECT_EQ(log.writes.back(), (Bytes{0x80, 0x00, 0xEB}));
    EXPECT_EQ(log.driven.back(), 0x00);
    EXPECT_EQ(log.calls.back(), "Close");
}

TEST(FtdiMpssePort, AnOlderChipIsRefusedNamingTheSupportedOnes) {
    MpsseLog log;
    FakeClock clock;
    std::string error;
    auto opened = port::OpenFtdiBoardPort(std::make_unique<FakeMpsse>(log, port::FtdiChip::Ft2232CD), "", clock, error);
    EXPECT_FALSE(opened.port);
    EXPECT_NE(error.find("FT2232C/D"), std::string::npos) << error;
    EXPECT_NE(error.find("FT4232H"), std::string::npos) << error;
    EXPECT_EQ(log.calls, (std::vector<std::string>{"Open ", "Close"})) << "no pin was touched";
}

}  // namespace
}  // namespace tarpel::test
