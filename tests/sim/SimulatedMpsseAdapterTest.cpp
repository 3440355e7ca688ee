// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "sim/SimulatedMpsseAdapter.h"

namespace tarpel::test {
namespace {

// The far side of the cable: keeps each data byte with its virtual time and answers the status
// byte it is given.
class CableEnd final : public port::Port {
public:
    explicit CableEnd(const sim::VirtualTime& time) : time_(time) {}
    void DlPortWritePortUchar(std::uint16_t, std::uint8_t value) override {
        data.push_back(value);
        times.push_back(time_.NowNs());
    }
    std::uint8_t DlPortReadPortUchar(std::uint16_t) override {
        ++statusReads;
        return status;
    }
    std::vector<std::uint8_t> data;
    std::vector<std::uint64_t> times;
    std::uint8_t status = 0xFF;
    int statusReads = 0;

private:
    const sim::VirtualTime& time_;
};

struct Rig {
    explicit Rig(double clockFactor = 1.0) {
        auto owned = std::make_unique<CableEnd>(time);
        end = owned.get();
        adapter = std::make_unique<sim::SimulatedMpsseAdapter>(std::move(owned), time, nullptr, clockFactor);
        port::FtdiAdapter found;
        std::string detail;
        EXPECT_EQ(adapter->Open("", found, detail), port::FtdiOpenError::None);
        EXPECT_EQ(found.chip, port::FtdiChip::Ft232H);
        EXPECT_EQ(adapter->SetBitmode(0, port::FtdiBitmodeMpsse), 0);
        end->data.clear();
        end->times.clear();
    }
    void Write(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(adapter->TransferDone(adapter->SubmitWrite(bytes.data(), static_cast<int>(bytes.size()))),
                  static_cast<int>(bytes.size()));
    }
    std::vector<std::uint8_t> Read(int size) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
        EXPECT_EQ(adapter->TransferDone(adapter->SubmitRead(bytes.data(), size)), size) << adapter->ErrorString();
        return bytes;
    }
    sim::VirtualTime time;
    CableEnd* end = nullptr;
    std::unique_ptr<sim::SimulatedMpsseAdapter> adapter;
};

TEST(SimulatedMpsseAdapter, ClockOnlyCommandsLastTheirTckCyclesWhateverTheCommandSpeed) {
    struct Case {
        std::vector<std::uint8_t> clockSetup;
        std::uint64_t tckNs;
        double clockFactor;
    };
    // 12 MHz / ((1 + 5) x 2) = 1 MHz; 60 MHz / ((1 + 2) x 2) = 10 MHz.
    for (const Case& c : {Case{{0x86, 0x05, 0x00}, 1000, 1.0}, Case{{0x8A, 0x86, 0x02, 0x00}, 100, 2.0}}) {
        Rig rig(c.clockFactor);
        std::vector<std::uint8_t> commands = c.clockSetup;
        // Pin writes around waits of equal command length and different TCK counts, so the
        // decoding time cancels out of the differences.
        const std::vector<std::vector<std::uint8_t>> waits{{0x8E, 0x01}, {0x8E, 0x07}, {0x8F, 0x00, 0x00}, {0x8F, 0x03, 0x00}};
        for (std::size_t i = 0; i < waits.size(); ++i) {
            commands.insert(commands.end(), {0x80, static_cast<std::uint8_t>(i << 1), 0xFE});
            commands.insert(commands.end(), waits[i].begin(), waits[i].end());
        }
        commands.insert(commands.end(), {0x80, 0x00, 0xFE});
        rig.Write(commands);
        const std::vector<std::uint64_t>& t = rig.end->times;
        ASSERT_EQ(t.size(), 5u);
        EXPECT_EQ((t[2] - t[1]) - (t[1] - t[0]), 6 * c.tckNs);   // 8 bits against 2
        EXPECT_EQ((t[4] - t[3]) - (t[3] - t[2]), 24 * c.tckNs);  // 4 x 8 against 1 x 8
        EXPECT_GE(t[3] - t[2], 8 * c.tckNs);
    }
}

TEST(SimulatedMpsseAdapter, AnUnknownCommandAnswersBadCommandAndItsOpcodeAndAnswersWaitForSendImmediate) {
    Rig rig;
    ASSERT_EQ(rig.adapter->SetLatencyTimer(2), 0);
    rig.Write({0xAB, 0x87});
    std::uint64_t before = rig.time.NowNs();
    EXPECT_EQ(rig.Read(2), (std::vector<std::uint8_t>{0xFA, 0xAB}));
    EXPECT_LT(rig.time.NowNs() - before, 1'000'000u);
    EXPECT_EQ(rig.adapter->BadCommands(), std::vector<std::uint8_t>{0xAB});
    // Without 0x87 the answer waits for the latency timer.
    rig.Write({0x81});
    before = rig.time.NowNs();
    rig.Read(1);
    EXPECT_GE(rig.time.NowNs() - before, 1'900'000u);
    EXPECT_EQ(rig.adapter->BadCommands().size(), 1u);
    // Nothing but the MPSSE: the port's synchronous bit-bang is refused.
    EXPECT_LT(rig.adapter->SetBitmode(0xFF, port::FtdiBitmodeSyncBitbang), 0);
}

TEST(SimulatedMpsseAdapter, PinsReachTheBoardThroughTheHCable) {
    Rig rig;
    constexpr std::uint8_t outputs = 0xEA;  // AD1, AD3, AD5, AD6, AD7
    // Each output pin against the data-port bits the cable gives it; TCK (AD0) and inputs drive nothing.
    const std::vector<std::pair<std::uint8_t, std::uint8_t>> rows{
        {0x02, 0x07}, {0x08, 0x08}, {0x20, 0x10}, {0x40, 0x20}, {0x80, 0x40}, {0x01, 0x00}, {0x14, 0x00}, {0xFF, 0x7F}};
    for (const auto& [pins, data] : rows) {
        rig.Write({0x80, pins, static_cast<std::uint8_t>(outputs | 0x01)});
        EXPECT_EQ(rig.end->data.back(), data) << int(pins);
    }
    EXPECT_EQ(rig.end->statusReads, 0);
    // AD4 takes MISO (status 0x40), AD2 the SDA return, which the status byte shows inverted.
    rig.Write({0x80, 0xA8, outputs});
    rig.end->status = 0x40;
    rig.Write({0x81, 0x87});
    EXPECT_EQ(rig.Read(1), std::vector<std::uint8_t>{0xA8 | 0x04 | 0x10});
    rig.end->status = 0x80;
    rig.Write({0x81, 0x87});
    EXPECT_EQ(rig.Read(1), std::vector<std::uint8_t>{0xA8});
    EXPECT_EQ(rig.end->statusReads, 2);
}

}  // namespace
}  // namespace tarpel::test
