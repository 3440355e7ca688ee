#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "FakeClock.h"
#include "RecordingPort.h"
#include "link/I2cMaster.h"

namespace tarpel::test {
namespace {

struct Step {
    std::uint8_t value;
    std::uint64_t units;  // delay units until the next write (or the end)
    bool operator==(const Step&) const = default;
    friend void PrintTo(const Step& step, std::ostream* out) { *out << int{step.value} << "/" << step.units; }
};

// Builds the expected rows of the waveform tables on a powered bus; Wait adds units to the last.
struct Rows {
    bool scl = true;
    bool sda = true;
    std::vector<Step> steps;
    Rows& Scl(bool level, std::uint64_t units) { return Row(level, sda, units); }
    Rows& Sda(bool level, std::uint64_t units) { return Row(scl, level, units); }
    Rows& Row(bool newScl, bool newSda, std::uint64_t units) {
        scl = newScl;
        sda = newSda;
        steps.push_back({static_cast<std::uint8_t>(0x07 | (scl ? 0x08 : 0) | (sda ? 0x10 : 0)), units});
        return *this;
    }
    Rows& Wait(std::uint64_t units) {
        steps.back().units += units;
        return *this;
    }
    Rows& Start() { return Scl(0, 2).Sda(0, 2).Sda(1, 2).Scl(1, 2).Sda(0, 2); }
    Rows& Stop() { return Scl(0, 2).Sda(0, 2).Scl(1, 2).Sda(1, 2); }
    Rows& AckClock() { return Scl(0, 2).Sda(0, 2).Sda(1, 2).Scl(1, 2); }
    Rows& WriteByte(std::uint8_t value) {
        for (int bit = 7; bit >= 0; --bit) Scl(0, 1).Sda((value >> bit) & 1, 1).Scl(1, 1);
        return *this;
    }
    Rows& ReadByte() {
        for (int bit = 7; bit >= 0; --bit) Scl(0, 1).Sda(0, 1).Sda(1, 0).Scl(1, 1);
        return *this;
    }
    Rows& MasterAck() { return Scl(0, 1).Sda(0, 1).Sda(1, 1).Sda(0, 1).Scl(1, 1); }
    Rows& MasterNack() { return Scl(0, 1).Sda(1, 3).Scl(1, 1); }
};

// The master side of a 24Cxx socket: records every write on fake time, and answers each sample
// of the return line from a script of SDA levels (released, i.e. high, once the script is out).
struct Bus {
    FakeClock clock;
    RecordingPort port{&clock};
    link::BoardLines lines{port};
    link::BitTiming timing{clock};
    link::I2cMaster master{lines, timing};
    std::deque<bool> sda;
    std::vector<std::uint64_t> sampleTimes;
    std::uint64_t unitNs = 0;

    Bus() {
        timing.CalibrateBitDelay();
        timing.DelayFactor = 1;
        const auto before = clock.nowNs;
        timing.BitDelay();
        unitNs = clock.nowNs - before;
        port.statusSource = [this] {
            sampleTimes.push_back(clock.nowNs);
            bool high = true;
            if (!sda.empty()) {
                high = sda.front();
                sda.pop_front();
            }
            return std::uint8_t{high ? std::uint8_t{0x7F} : std::uint8_t{0xFF}};  // the port inverts pin 11
        };
    }
    void Acks(int count) { sda.insert(sda.end(), static_cast<std::size_t>(count), false); }
    void Bytes(const std::vector<std::uint8_t>& bytes) {
        for (auto byte : bytes)
            for (int bit = 7; bit >= 0; --bit) sda.push_back(((byte >> bit) & 1) != 0);
    }
    // Writes from index `from` on, each with the whole delay units that follow it.
    std::vector<Step> Steps(std::size_t from) const {
        std::vector<Step> steps;
        for (std::size_t i = from; i < port.writes.size(); ++i) {
            const auto next = i + 1 < port.writes.size() ? port.writes[i + 1].timeNs : clock.nowNs;
            const auto ns = next - port.writes[i].timeNs;
            EXPECT_EQ(ns % unitNs, 0u) << "write " << i;
            steps.push_back({port.writes[i].value, ns / unitNs});
        }
        return steps;
    }
    // The master-driven lines as bus events: S, P, bytes in hex, and each ninth clock as "."
    // (SDA released to the chip) or "A" (held low: the master's acknowledge).
    std::string Decode() const {
        std::string text;
        bool scl = false, sdaLevel = false;
        int bits = 0, value = 0;
        for (const auto& write : port.writes) {
            const bool newScl = write.value & 0x08, newSda = write.value & 0x10;
            if ((write.value & 0x07) == 0) bits = 0;
            if (scl && newScl && sdaLevel != newSda) {
                text += newSda ? "P " : "S ";
                bits = 0;
            } else if (!scl && newScl) {
                if (bits == 8) {
                    text += newSda ? ". " : "A ";
                    bits = 0;
                } else {
                    value = (bits == 0 ? 0 : value << 1) | (newSda ? 1 : 0);
                    if (++bits == 8) text += Hex(value) + " ";
                }
            }
            scl = newScl;
            sdaLevel = newSda;
        }
        return text;
    }
    // Milliseconds of tick count that passed after the last write's own two delay units.
    std::uint64_t TicksAfterLastStep() const {
        return clock.nowNs / 1'000'000 - (port.writes.back().timeNs + 2 * unitNs) / 1'000'000;
    }
    // The last `count` steps of the trace.
    std::vector<Step> Tail(std::size_t count) const {
        const auto steps = Steps(0);
        return {steps.end() - static_cast<std::ptrdiff_t>(count), steps.end()};
    }
    static std::string Hex(int value) {
        static const char digits[] = "0123456789ABCDEF";
        return {digits[(value >> 4) & 15], digits[value & 15]};
    }
};

TEST(I2cMaster, EachWaveformIsItsTableOfLineChangesAndWaits) {
    Bus bus;
    bus.lines.BusPowerUp();
    Rows expected;
    bus.master.I2cStart();
    expected.Start();
    EXPECT_EQ(bus.port.Last(), 0x0F);  // SCL 1, SDA 0
    bus.master.I2cWriteByte(0xA5);
    expected.WriteByte(0xA5);
    bus.Acks(1);
    EXPECT_TRUE(bus.master.I2cReadAck());
    expected.AckClock();
    EXPECT_EQ(bus.sampleTimes.back(), bus.port.writes.back().timeNs + 2 * bus.unitNs);
    bus.Bytes({0x5A});
    EXPECT_EQ(bus.master.I2cReadByte(), 0x5A);
    expected.ReadByte();
    EXPECT_EQ(bus.sampleTimes.back(), bus.port.writes.back().timeNs + bus.unitNs);
    bus.master.MasterAck();
    expected.MasterAck();
    EXPECT_EQ(bus.port.Last(), 0x0F);
    bus.master.I2cStop();
    expected.Stop();
    EXPECT_EQ(bus.port.Last(), 0x1F);
    EXPECT_EQ(bus.Steps(1), expected.steps);
    EXPECT_EQ(bus.sampleTimes.size(), 9u);
}

TEST(I2cMaster, AcknowledgeAndDataFollowTheReturnLine) {
    Bus bus;
    bus.port.statusSource = nullptr;
    bus.port.status = 0x7F;  // return line stuck high
    EXPECT_FALSE(bus.master.I2cReadAck());
    EXPECT_EQ(bus.master.I2cReadByte(), 0xFF);
    bus.port.status = 0xFF;  // stuck low
    EXPECT_TRUE(bus.master.I2cReadAck());
    EXPECT_EQ(bus.master.I2cReadByte(), 0x00);
}

TEST(I2cMaster, ControlByteRefusedEndsWithAStopAndLeavesTheSupplyOn) {
    Bus read;  // return line released: nothing acknowledges
    EXPECT_FALSE(read.master.EepromReadBegin());
    Rows expected;
    expected.Row(1, 1, 1).Start().Wait(1).WriteByte(0xA0).AckClock().Stop();
    EXPECT_EQ(read.Steps(0), expected.steps);
    EXPECT_EQ(read.Decode(), "S A0 . P ");
    EXPECT_EQ(read.port.Last(), 0x1F);

    Bus write;
    std::vector<std::uint8_t> image(100001, 0x00);
    EXPECT_FALSE(write.master.EepromWritePage(image, 0));
    Rows page;
    page.Row(1, 1, 0).Start().WriteByte(0xA0).AckClock().Stop();
    EXPECT_EQ(write.Steps(0), page.steps);
    EXPECT_EQ(write.port.Last(), 0x1F);
}

TEST(I2cMaster, TransactionsAddressBothKindsOfChip) {
    Bus twoBytes;
    twoBytes.Acks(4);
    EXPECT_TRUE(twoBytes.master.EepromReadBegin());
    EXPECT_EQ(twoBytes.Decode(), "S A0 . 00 . 00 . S A1 . ");

    Bus oneByte;
    oneByte.Acks(3);
    EXPECT_TRUE(oneByte.master.EepromReadBegin({1, 16}));
    EXPECT_EQ(oneByte.Decode(), "S A0 . 00 . S A1 . ");

    std::vector<std::uint8_t> image(100001);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7);
    const auto pageText = [&](std::size_t start, std::size_t size) {
        std::string text;
        for (std::size_t i = start; i < start + size; ++i) text += Bus::Hex(image[i]) + " . ";
        return text;
    };
    Bus page;
    page.Acks(10000);
    EXPECT_TRUE(page.master.EepromWritePage(image, 0x0040));
    EXPECT_EQ(page.Decode(), "S A0 . 00 . 40 . " + pageText(0x40, 32) + "P ");
    std::uint64_t units = 0;
    for (const auto& step : page.Steps(0)) units += step.units;
    EXPECT_EQ(units, 1138u);  // start 10, 35 bytes of 32 units, stop 8
    EXPECT_EQ(page.port.Last(), 0x1F);

    page.port.writes.clear();
    EXPECT_TRUE(page.master.EepromWritePage(image, 0x07F0, {1, 16}));  // last page of a 24C16
    EXPECT_EQ(page.Decode(), "S AE . F0 . " + pageText(0x7F0, 16) + "P ");

    page.port.writes.clear();
    EXPECT_TRUE(page.master.EepromWritePage(image, 0xFFE0));
    EXPECT_EQ(page.Decode(), "S A0 . FF . E0 . " + pageText(0xFFE0, 32) + "P ");
    page.port.writes.clear();
    EXPECT_TRUE(page.master.EepromWritePage(image, 0xFFE1));  // no room left for the data
    EXPECT_EQ(page.Decode(), "S A0 . FF . E1 . P ");
}

TEST(I2cMaster, PageRefusedAtItsLastByteIsSentAgainWhole) {
    Bus bus;
    std::vector<std::uint8_t> image(100001, 0x3C);
    bus.Acks(34);
    bus.sda.push_back(true);  // the 32nd data byte is not acknowledged
    bus.Acks(35);
    EXPECT_TRUE(bus.master.ProgramPageWithRetry(image, 0x20));
    std::string page;
    for (int i = 0; i < 32; ++i) page += "3C . ";
    EXPECT_EQ(bus.Decode(), "S A0 . 00 . 20 . " + page + "P S A0 . 00 . 20 . " + page + "P ");
    EXPECT_GE(bus.TicksAfterLastStep(), 3u);  // the write-cycle wait
}

TEST(I2cMaster, ProgramPageTriesTwentySixTimesAndWaitsOnlyAfterSuccess) {
    for (const bool lastSucceeds : {true, false}) {
        Bus bus;
        std::vector<std::uint8_t> image(100001, 0x00);
        bus.sda.insert(bus.sda.end(), 25, true);  // 25 attempts refused at the control byte
        if (lastSucceeds) bus.Acks(35);
        EXPECT_EQ(bus.master.ProgramPageWithRetry(image, 0), lastSucceeds);
        const std::string text = bus.Decode();
        std::size_t transactions = 0;
        for (auto at = text.find("S A0"); at != std::string::npos; at = text.find("S A0", at + 1)) ++transactions;
        EXPECT_EQ(transactions, 26u);
        if (lastSucceeds) EXPECT_GE(bus.TicksAfterLastStep(), 3u);
        else EXPECT_EQ(bus.clock.nowNs - bus.port.writes.back().timeNs, 2 * bus.unitNs);
    }
}

TEST(I2cMaster, WaitReadyPollsTheControlByteUntilTheWriteCycleIsOver) {
    Bus busy;
    busy.sda = {true, true, false};  // refused twice, then acknowledged
    EXPECT_TRUE(busy.master.EepromWaitReady());
    EXPECT_EQ(busy.Decode(), "S A0 . P S A0 . P S A0 . P ");
    Bus absent;
    EXPECT_FALSE(absent.master.EepromWaitReady());
    std::string polls;
    for (int i = 0; i < 26; ++i) polls += "S A0 . P ";
    EXPECT_EQ(absent.Decode(), polls);
}

TEST(I2cMaster, WaitMillisecondsCountsAcrossTheTickWrap) {
    Bus bus;
    bus.clock.scriptedTicks = {0xFFFFFFFEu, 0xFFFFFFFFu, 0x0u, 0x1u, 0x2u};
    bus.master.WaitMilliseconds(3);
    EXPECT_EQ(bus.clock.scriptedTicks, (std::deque<std::uint32_t>{0x2u}));
}

TEST(I2cMaster, ReadAllStoresEveryByteAndAsksToGoOnAfterEach) {
    Bus bus;
    std::vector<std::uint8_t> chip(512), image(100001, 0x33);
    for (std::size_t i = 0; i < chip.size(); ++i) chip[i] = static_cast<std::uint8_t>(i ^ 0x5A);
    bus.Acks(3);
    bus.Bytes(chip);
    std::vector<std::int64_t> asked;
    const auto progress = [&](std::int64_t done, std::int64_t total) {
        EXPECT_EQ(total, 512);
        asked.push_back(done);
        return true;
    };
    EXPECT_EQ(bus.master.EepromReadAll(std::span(image).first(512), progress, {1, 16}), link::ReadAllResult::Complete);
    EXPECT_TRUE(std::equal(chip.begin(), chip.end(), image.begin()));
    EXPECT_EQ(image[512], 0x33);
    ASSERT_EQ(asked.size(), 512u);
    EXPECT_EQ(asked.front(), 0);
    EXPECT_EQ(asked.back(), 511);
    // The last byte gets no acknowledge: SDA stays released on its ninth clock, so the chip stops
    // sending and the stop reaches the bus. Then every line off.
    auto tail = Rows{true, false, {}}.ReadByte().MasterNack().Stop().steps;
    tail.push_back({0x00, 0});
    EXPECT_EQ(bus.Tail(tail.size()), tail);
}

TEST(I2cMaster, CancelledReadKeepsTheRestAndStopsWithoutTheAcknowledge) {
    Bus bus;
    std::vector<std::uint8_t> image(100001, 0x33);
    bus.Acks(4);
    bus.Bytes(std::vector<std::uint8_t>(100, 0x00));
    // Told to stop after byte 5.
    const auto progress = [](std::int64_t done, std::int64_t) { return done < 5; };
    EXPECT_EQ(bus.master.EepromReadAll(std::span(image).first(16384), progress), link::ReadAllResult::Cancelled);
    EXPECT_EQ(std::count(image.begin(), image.begin() + 6, 0x00), 6);
    EXPECT_EQ(image[6], 0x33);
    std::string bytes;
    for (int i = 0; i < 5; ++i) bytes += "FF A ";
    EXPECT_EQ(bus.Decode(), "S A0 . 00 . 00 . S A1 . " + bytes + "FF . P ");
    auto tail = Rows{true, false, {}}.ReadByte().MasterNack().Stop().steps;  // no acknowledge before the stop
    tail.push_back({0x00, 0});
    EXPECT_EQ(bus.Tail(tail.size()), tail);
}

TEST(I2cMaster, ReadAllRefusedShowsNothingAndStoresNothing) {
    Bus bus;
    bus.Acks(2);  // control byte and high address byte acknowledged, low byte not
    std::vector<std::uint8_t> image(100001, 0x33);
    int asked = 0;
    const auto progress = [&](std::int64_t, std::int64_t) { return ++asked > 0; };
    EXPECT_EQ(bus.master.EepromReadAll(std::span(image).first(512), progress), link::ReadAllResult::NotAcknowledged);
    EXPECT_EQ(bus.Decode(), "S A0 . 00 . 00 . P ");
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(std::count(image.begin(), image.end(), 0x33), 100001);
    EXPECT_EQ(bus.port.Last(), 0x1F);
}

}  // namespace
}  // namespace tarpel::test
