// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "FakeClock.h"
#include "RecordingPort.h"
#include "TempFolder.h"
#include "link/I2cMaster.h"
#include "sim/Eeprom24CxxModel.h"
#include "sim/SimulatedBoard.h"
#include "sim/SimulatedClock.h"
#include "sim/Virtual24Cxx.h"

namespace tarpel::test {
namespace {

// The master side of a 24Cxx socket: records every write on fake time, and answers each sample
// of the return line from a script of SDA levels (released, i.e. high, once the script is out).
struct Bus {
    FakeClock clock;
    RecordingPort port{&clock};
    link::BoardLines lines{port};
    link::BitTiming timing{clock};
    link::I2cMaster master{lines, timing};
    std::deque<bool> sda;
    std::uint64_t unitNs = 0;

    Bus() {
        timing.CalibrateBitDelay();
        timing.DelayFactor = 1;
        const auto before = clock.nowNs;
        timing.BitDelay();
        unitNs = clock.nowNs - before;
        port.statusSource = [this] {
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
    static std::string Hex(int value) {
        static const char digits[] = "0123456789ABCDEF";
        return {digits[(value >> 4) & 15], digits[value & 15]};
    }
};

std::vector<std::uint8_t> RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    return bytes;
}

// The master on the simulated board with a virtual 24Cxx in the socket, which answers the bus
// and checks its timing as the datasheets describe them, knowing nothing of this master.
struct ChipSocket {
    ChipSocket(const char* name, bool fast) : board(MakeChip(name), nullptr) {
        timing.CalibrateBitDelay();
        timing.DelayFactor = 1;
        timing.FastTiming = fast;
    }
    std::unique_ptr<sim::Virtual24Cxx> MakeChip(const char* name) {
        auto made = std::make_unique<sim::Virtual24Cxx>(*sim::FindEeprom24CxxModel(name), sim::ChipStore(folder.Path("c")));
        chip = made.get();
        return made;
    }
    std::vector<std::uint8_t> Memory() const { return {chip->Memory().begin(), chip->Memory().end()}; }
    std::string Violations() const {
        std::string text;
        for (const auto& v : chip->Violations().Entries()) text += std::to_string(v.timeNs) + " " + v.description + "\n";
        return text;
    }

    TempFolder folder;
    sim::Virtual24Cxx* chip = nullptr;
    sim::SimulatedBoard board;
    sim::SimulatedClock clock{board.Time()};
    link::BoardLines lines{board};
    link::BitTiming timing{clock};
    link::I2cMaster master{lines, timing};
};

// Whole chips of both addressing kinds in both timings: every page reaches the cells in one write
// cycle, every byte comes back, and the chip logs no violation. The last byte of a read goes
// unacknowledged: the chip would otherwise load one more and move its address counter on.
TEST(I2cMaster, WholeChipsAreWrittenAndReadOnAVirtualChipWithoutAViolation) {
    struct Case {
        const char* chip;
        link::EepromAddressing addressing;
    };
    for (const Case c : {Case{"24C04", {1, 16}}, Case{"24C16", {1, 16}}, Case{"24C64", {2, 32}}}) {
        for (const bool fast : {false, true}) {
            SCOPED_TRACE(std::string(c.chip) + (fast ? " fast" : ""));
            ChipSocket s(c.chip, fast);
            const std::uint32_t size = s.chip->Model().bytes;
            const auto written = RandomBytes(size, size);
            for (std::uint32_t page = 0; page < size; page += static_cast<std::uint32_t>(c.addressing.pageSize))
                ASSERT_TRUE(s.master.ProgramPageWithRetry(written, static_cast<std::uint16_t>(page), c.addressing));
            EXPECT_TRUE(s.master.EepromWaitReady());
            s.lines.AllOff();
            EXPECT_EQ(s.Memory(), written);
            EXPECT_EQ(s.chip->WriteCycles(), size / static_cast<std::uint32_t>(c.addressing.pageSize));

            std::vector<std::uint8_t> image(size);
            const auto goOn = [](std::int64_t, std::int64_t) { return true; };
            EXPECT_EQ(s.master.EepromReadAll(image, goOn, c.addressing),
                      link::ReadAllResult::Complete);
            EXPECT_EQ(image, written);
            EXPECT_EQ(s.chip->AddressCounter(), 0u);  // rolled over past the last byte, no further
            EXPECT_EQ(s.board.DataByte(), 0x00);
            EXPECT_FALSE(s.chip->Powered());

            std::vector<std::uint8_t> some(5);
            const std::uint16_t at = static_cast<std::uint16_t>(size / 2 + 3);
            ASSERT_TRUE(s.master.EepromReadAt(at, some, c.addressing));
            EXPECT_TRUE(std::equal(some.begin(), some.end(), written.begin() + at));
            EXPECT_EQ(s.chip->AddressCounter(), at + 5u);
            s.lines.AllOff();
            EXPECT_EQ(s.Violations(), "");
        }
    }
}

// Two address bytes and 32-byte pages, as for the larger chips, against the 24C04 and 24C16:
// the chip takes the low address byte as data and wraps the page inside its 16-byte buffer.
TEST(I2cMaster, TwoAddressBytesMissAOneByteChip) {
    for (const char* name : {"24C04", "24C16"}) {
        ChipSocket s(name, false);
        const std::uint32_t size = s.chip->Model().bytes;
        const auto written = RandomBytes(size, 7);
        for (std::uint32_t page = 0; page < size; page += 32)
            ASSERT_TRUE(s.master.ProgramPageWithRetry(written, static_cast<std::uint16_t>(page)));
        s.master.EepromWaitReady();
        s.lines.AllOff();
        EXPECT_NE(s.Memory(), written) << name;
        std::vector<std::uint8_t> image(size);
        ASSERT_NE(s.master.EepromReadAll(image, [](auto, auto) { return true; }),
                  link::ReadAllResult::NotAcknowledged);
        EXPECT_NE(image, s.Memory()) << name;  // two address bytes shift the read by one
    }
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
    EXPECT_EQ(read.Decode(), "S A0 . P ");
    EXPECT_EQ(read.port.Last(), 0x1F);

    Bus write;
    std::vector<std::uint8_t> image(100001, 0x00);
    EXPECT_FALSE(write.master.EepromWritePage(image, 0));
    EXPECT_EQ(write.Decode(), "S A0 . P ");
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
    EXPECT_EQ(page.port.Last(), 0x1F);

    page.port.writes.clear();
    EXPECT_TRUE(page.master.EepromWritePage(image, 0x07F0, {1, 16}));  // last page of a 24C16
    EXPECT_EQ(page.Decode(), "S AE . F0 . " + pageText(0x7F0, 16) + "P ");

    page.port.writes.clear();
    EXPECT_TRUE(page.master.EepromWritePage(image, 0x10040, {2, 32, 1, 0x20000}));  // A16 of a 24C1024
    EXPECT_EQ(page.Decode(), "S A2 . 00 . 40 . " + pageText(0x10040, 32) + "P ");
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
    EXPECT_TRUE(bus.Decode().ends_with("A FF . P ")) << bus.Decode();
    EXPECT_EQ(bus.port.Last(), 0x00);
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
    EXPECT_EQ(bus.Decode(), "S A0 . 00 . 00 . S A1 . " + bytes + "FF . P ");  // no acknowledge before the stop
    EXPECT_EQ(bus.port.Last(), 0x00);
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
