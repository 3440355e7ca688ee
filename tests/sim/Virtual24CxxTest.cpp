// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <numeric>

#include "SimChipFixture.h"

namespace tarpel::test {
namespace {

std::vector<std::uint8_t> Pattern(std::size_t count, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(seed + 7 * i);
    return bytes;
}

// Every chip of the catalogue against the same datasheet behaviour, each with its own sizes.
class Virtual24CxxContract : public ::testing::TestWithParam<int> {
protected:
    const sim::Eeprom24CxxModel& type = sim::Eeprom24CxxModels[static_cast<std::size_t>(GetParam())];
    TemporaryFolder folder;
    SimChip sim{type, folder.String()};
    TestI2cMaster& master = *sim.master;
    std::uint32_t size = type.bytes;
    std::uint32_t page = type.pageBytes;

    void SetUp() override { master.PowerUp(); }
    void TearDown() override {
        EXPECT_TRUE(sim.chip->Violations().Empty())
            << sim.chip->Violations().Entries().front().description;
    }
    void WriteAndWait(std::uint32_t address, const std::vector<std::uint8_t>& data) {
        ASSERT_TRUE(master.Write(type, address, data));
        ASSERT_GT(master.AckPoll(type), 0);
    }
};

TEST_P(Virtual24CxxContract, BlankChipReadsErasedAndAPageWriteReadsBack) {
    EXPECT_EQ(master.Read(type, 0, 4), std::vector<std::uint8_t>(4, 0xFF));
    // The last page of the chip: block-select bits or the high address byte must reach it.
    const std::uint32_t last = size - page;
    const auto data = Pattern(page, 0x11);
    WriteAndWait(last, data);
    EXPECT_EQ(master.Read(type, last, page), data);
    const auto memory = sim.chip->Memory();
    EXPECT_TRUE(std::equal(data.begin(), data.end(), memory.begin() + last));
    // Nothing else changed.
    EXPECT_TRUE(std::all_of(memory.begin(), memory.begin() + last, [](auto b) { return b == 0xFF; }));
}

TEST_P(Virtual24CxxContract, WritesPastThePageEndWrapToThePageStart) {
    const std::uint32_t base = page * 3;
    const auto data = Pattern(page + 3, 0x40);  // starts 2 bytes in, so 5 bytes wrap
    WriteAndWait(base + 2, data);
    // Later bytes overwrite the earlier ones at the same page offset.
    std::vector<std::uint8_t> expected(page, 0xFF);
    for (std::uint32_t k = 0; k < data.size(); ++k) expected[(2 + k) % page] = data[k];
    const auto memory = sim.chip->Memory();
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), memory.begin() + base));
    EXPECT_EQ(memory[base + page], 0xFF);
    EXPECT_EQ(memory[base - 1], 0xFF);
}

TEST_P(Virtual24CxxContract, WriteCycleAcknowledgesNothingForFiveMilliseconds) {
    ASSERT_TRUE(master.Write(type, 5, {0xA5}));
    const std::uint64_t stop = sim.board->Time().NowNs();
    EXPECT_TRUE(sim.chip->Busy(stop));
    // Not even a read: the chip is off the bus.
    EXPECT_TRUE(master.ReadCurrent(type, 1).empty());
    // The cells change only when the cycle ends.
    EXPECT_EQ(sim.chip->Memory()[5], 0xFF);
    const int polls = master.AckPoll(type);
    const std::uint64_t acknowledged = sim.board->Time().NowNs();
    EXPECT_GT(polls, 1);
    EXPECT_GE(acknowledged - stop, 5'000'000u);
    EXPECT_EQ(sim.chip->Memory()[5], 0xA5);
}

TEST_P(Virtual24CxxContract, StopWithoutDataSetsTheAddressWithoutAWriteCycle) {
    ASSERT_TRUE(master.Write(type, 9, {}));
    EXPECT_EQ(master.AckPoll(type), 1);
    EXPECT_EQ(sim.chip->AddressCounter(), 9u);
}

TEST_P(Virtual24CxxContract, RepeatedStartDropsTheBufferedData) {
    ASSERT_TRUE(master.WriteHeaderAndData(type, 20, {1, 2, 3}));
    // Repeated start straight into a read: nothing is written and no write cycle runs.
    const auto read = master.ReadCurrent(type, 2);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read, std::vector<std::uint8_t>(2, 0xFF));
    EXPECT_EQ(sim.chip->Memory()[20], 0xFF);
    EXPECT_FALSE(sim.chip->Busy(sim.board->Time().NowNs()));
    // The counter had moved on with the three data bytes, then with the two bytes read.
    EXPECT_EQ(sim.chip->AddressCounter(), 25u);
}

TEST_P(Virtual24CxxContract, CounterKeepsTheLastAddressPlusOneAndReadsRollOverAtTheEnd) {
    WriteAndWait(size - 2, {0xE1, 0xE2});
    // After the write the counter points past it: the end of the memory wraps to 0.
    EXPECT_EQ(sim.chip->AddressCounter(), 0u);
    WriteAndWait(0, {0x01, 0x02});
    EXPECT_EQ(master.ReadCurrent(type, 1), std::vector<std::uint8_t>{0xFF});  // address 2
    // A sequential read goes on across pages and rolls over from the last byte to the first.
    EXPECT_EQ(master.Read(type, size - 2, 5), (std::vector<std::uint8_t>{0xE1, 0xE2, 0x01, 0x02, 0xFF}));
    EXPECT_EQ(sim.chip->AddressCounter(), 3u);
}

TEST_P(Virtual24CxxContract, ReadsSpanPagesWithoutWrapping) {
    const auto first = Pattern(page, 0x20);
    const auto second = Pattern(page, 0x90);
    WriteAndWait(page, first);
    WriteAndWait(2 * page, second);
    auto expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(master.Read(type, page, 2 * page), expected);
}

TEST_P(Virtual24CxxContract, ControlBytesOfOtherDevicesAreNotAcknowledged) {
    // Another device type code, and for chips with address pins, other pin addresses.
    for (const std::uint8_t control : {std::uint8_t{0xB0}, std::uint8_t{0x50}, std::uint8_t{0xA8}}) {
        const bool pinned = type.wordAddressBytes == 2 || type.bytes < 2048;
        if (control == 0xA8 && !pinned) continue;  // the 24C16 takes b3 as A10
        master.Start();
        EXPECT_FALSE(master.WriteByte(control)) << int(control);
        // The chip stays deaf for the rest of that transaction.
        EXPECT_FALSE(master.WriteByte(0x00));
        master.Stop();
    }
    if (type.wordAddressBytes == 2) {
        // The lowest pin bit: b1 unless A16 (A17) take b1 (b2).
        master.Start();
        EXPECT_FALSE(master.WriteByte(static_cast<std::uint8_t>(0xA0 | (2 << type.blockBits))));
        master.Stop();
    }
    EXPECT_EQ(master.AckPoll(type), 1);
}

TEST_P(Virtual24CxxContract, PowerOffResetsTheBusLogicButKeepsTheContents) {
    WriteAndWait(0x30, {0x5A});
    // Cut the power in the middle of a write header.
    master.Start();
    ASSERT_TRUE(master.WriteByte(TestI2cMaster::Control(type, 0x30, false)));
    master.PowerOff();
    EXPECT_FALSE(sim.chip->Powered());
    master.PowerUp();
    // A data byte without a start is ignored by the fresh bus logic.
    EXPECT_FALSE(master.WriteByte(0x00));
    EXPECT_EQ(master.Read(type, 0x30, 1), std::vector<std::uint8_t>{0x5A});
}

std::string ChipName(const ::testing::TestParamInfo<int>& info) {
    return std::string(sim::Eeprom24CxxModels[static_cast<std::size_t>(info.param)].name);
}

INSTANTIATE_TEST_SUITE_P(AllChips, Virtual24CxxContract, ::testing::Range(0, static_cast<int>(sim::Eeprom24CxxModels.size())), ChipName);

// Addressing that differs between the chips.
TEST(Virtual24Cxx, OneByteChipsTakeTheHighAddressBitsFromTheControlByte) {
    TemporaryFolder folder;
    const auto& type = sim::Eeprom24CxxModels[4];  // 24C16: A10..A8 in b3..b1
    SimChip sim(type, folder.String());
    sim.master->PowerUp();
    sim.master->Start();
    ASSERT_TRUE(sim.master->WriteByte(0xAA));  // block 5
    ASSERT_TRUE(sim.master->WriteByte(0x34));
    ASSERT_TRUE(sim.master->WriteByte(0x77));
    sim.master->Stop();
    ASSERT_GT(sim.master->AckPoll(type), 0);
    EXPECT_EQ(sim.chip->Memory()[0x534], 0x77);
}

TEST(Virtual24Cxx, TwoByteChipsIgnoreTheUnusedHighAddressBits) {
    TemporaryFolder folder;
    const auto& type = sim::Eeprom24CxxModels[5];  // 24C32: 12 address bits
    SimChip sim(type, folder.String());
    sim.master->PowerUp();
    sim.master->Start();
    ASSERT_TRUE(sim.master->WriteByte(0xA0));
    ASSERT_TRUE(sim.master->WriteByte(0xF1));
    ASSERT_TRUE(sim.master->WriteByte(0x23));
    ASSERT_TRUE(sim.master->WriteByte(0x66));
    sim.master->Stop();
    ASSERT_GT(sim.master->AckPoll(type), 0);
    EXPECT_EQ(sim.chip->Memory()[0x123], 0x66);
}

TEST(Virtual24Cxx, TheProgramsTwoAddressBytesLandOneByteOffOnASmallChip) {
    // What a two-byte header does to a 24C04: the high byte is taken as the word address and
    // the low byte as the first datum, so the write lands at the wrong place.
    TemporaryFolder folder;
    const auto& type = sim::Eeprom24CxxModels[2];
    SimChip sim(type, folder.String());
    sim.master->PowerUp();
    ASSERT_TRUE(sim.master->Write(type, 0x00, {0x20, 0xAB}));  // meant: address 0x0020, data 0xAB
    ASSERT_GT(sim.master->AckPoll(type), 0);
    EXPECT_EQ(sim.chip->Memory()[0x00], 0x20);
    EXPECT_EQ(sim.chip->Memory()[0x01], 0xAB);
}

TEST(Virtual24Cxx, RefusedPageIsNotAcknowledgedForTheGivenAttemptsThenWritten) {
    TemporaryFolder folder;
    const auto& type = sim::Eeprom24CxxModels[7];  // 24C128, 64-byte pages
    SimChip sim(type, folder.String(), {{2, 3}});
    sim.master->PowerUp();
    EXPECT_FALSE(sim.master->Write(type, 128, {1, 2}));
    EXPECT_FALSE(sim.master->Write(type, 190, {1, 2}));
    EXPECT_EQ(sim.master->AckPoll(type), 1);  // a refused write starts no write cycle
    // Other pages, and reads of the refused page, are not affected.
    EXPECT_TRUE(sim.master->Write(type, 64, {9}));
    ASSERT_GT(sim.master->AckPoll(type), 0);
    EXPECT_EQ(sim.master->Read(type, 128, 1), std::vector<std::uint8_t>{0xFF});
    EXPECT_FALSE(sim.master->Write(type, 128, {1, 2}));
    EXPECT_EQ(sim.chip->Memory()[128], 0xFF);
    EXPECT_TRUE(sim.master->Write(type, 128, {1, 2}));
    ASSERT_GT(sim.master->AckPoll(type), 0);
    EXPECT_EQ(sim.chip->Memory()[129], 2);
    EXPECT_EQ(sim.chip->Memory()[64], 9);
    EXPECT_TRUE(sim.chip->Violations().Empty());
}

TEST(Virtual24Cxx, AStartDuringTheWriteCycleIsAnsweredAsTheCycleStandsAtTheAcknowledge) {
    // The chip follows the bus while it writes: a control byte that begins during the cycle is
    // acknowledged when the cycle is over by its acknowledge clock, and its transaction goes on.
    TemporaryFolder folder;
    const auto& type = sim::Eeprom24CxxModels[7];
    SimChip sim(type, folder.String());
    sim.chip->writeCycleNs = 2'000'000;
    sim.master->PowerUp();
    ASSERT_TRUE(sim.master->Write(type, 0x100, {0x11}));
    sim.master->Wait(1'900'000);
    // The start condition comes within 40 us, the control byte's acknowledge some 250 us later.
    ASSERT_TRUE(sim.chip->Busy(sim.board->Time().NowNs() + 50'000));
    ASSERT_TRUE(sim.master->Write(type, 0x101, {0x22}));
    ASSERT_GT(sim.master->AckPoll(type), 1);  // the second write's own cycle
    EXPECT_EQ(sim.master->Read(type, 0x100, 2), (std::vector<std::uint8_t>{0x11, 0x22}));
    EXPECT_TRUE(sim.chip->Violations().Empty());
}

TEST(Virtual24Cxx, AfterPowerUpTheCounterStandsAwayFromZeroAtTheSameAddressInEveryRun) {
    // A master that reads without setting the address gets unrelated bytes, as from real chips.
    TemporaryFolder folder;
    const auto& type = sim::Eeprom24CxxModels[5];
    std::uint32_t start = 0;
    {
        SimChip sim(type, folder.String());
        sim.master->PowerUp();
        start = sim.chip->AddressCounter();
        ASSERT_NE(start, 0u);
        ASSERT_TRUE(sim.master->Write(type, start, {0x42}));
        ASSERT_GT(sim.master->AckPoll(type), 0);
        sim.master->PowerOff();
    }
    SimChip again(type, folder.String());
    again.master->PowerUp();
    EXPECT_EQ(again.master->ReadCurrent(type, 1), std::vector<std::uint8_t>{0x42});
}

TEST(Virtual24Cxx, AcknowledgedLastByteMakesTheChipDriveTheNextByteSoAStopMayNotHappen) {
    // A master that acknowledges the last byte finds the chip driving the next one: the stop
    // only works when that byte's first bit is 1.
    TemporaryFolder folder;
    const auto& type = sim::Eeprom24CxxModels[5];
    SimChip sim(type, folder.String());
    sim.master->PowerUp();
    ASSERT_TRUE(sim.master->Write(type, 1, {0x00}));
    ASSERT_GT(sim.master->AckPoll(type), 0);
    ASSERT_TRUE(sim.master->WriteHeaderAndData(type, 0, {}));
    sim.master->Start();
    ASSERT_TRUE(sim.master->WriteByte(0xA1));
    EXPECT_EQ(sim.master->ReadByte(true), 0xFF);  // byte 0, acknowledged; byte 1 is 0x00
    sim.master->Stop();
    EXPECT_FALSE(sim.board->SdaBusLevel());  // the chip still holds bit 7 of byte 1 low
    // Clocking on reads the rest of byte 1; the chip lets go at the acknowledge bit.
    std::uint8_t rest = 0;
    for (int bit = 0; bit < 7; ++bit) {
        sim.master->Lines().SetScl(false);
        sim.master->Wait(10'000);
        sim.master->Lines().SetScl(true);
        sim.master->Wait(10'000);
        rest = static_cast<std::uint8_t>((rest << 1) | (sim.master->Lines().ReadSdaIn() ? 1 : 0));
    }
    EXPECT_EQ(rest, 0);
}

}  // namespace
}  // namespace tarpel::test
