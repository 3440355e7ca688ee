// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "SimChipFixture.h"

namespace tarpel::test {
namespace {

const sim::Eeprom24CxxModel& Chip24C64() { return sim::Eeprom24CxxModels[6]; }

std::vector<std::string> Descriptions(const sim::Virtual24Cxx& chip) {
    std::vector<std::string> texts;
    for (const auto& v : chip.Violations().Entries()) texts.push_back(v.description);
    return texts;
}

bool Contains(const std::vector<std::string>& texts, std::string_view part) {
    return std::any_of(texts.begin(), texts.end(), [&](const auto& t) { return t.find(part) != std::string::npos; });
}

TEST(SimProtocolCheck, ACleanWriteAndReadCausesNone) {
    TemporaryFolder folder;
    SimChip sim(Chip24C64(), folder.String());
    sim.master->PowerUp();
    ASSERT_TRUE(sim.master->Write(sim.type, 0x100, {1, 2, 3}));
    ASSERT_GT(sim.master->AckPoll(sim.type), 0);
    EXPECT_EQ(sim.master->Read(sim.type, 0x100, 3), (std::vector<std::uint8_t>{1, 2, 3}));
    sim.master->PowerOff();
    EXPECT_TRUE(sim.chip->Violations().Empty());
}

TEST(SimProtocolCheck, CatchesAWaveformWithoutWaits) {
    // The same transaction with every wait left out: one port access (1 us) between changes.
    TemporaryFolder folder;
    SimChip sim(Chip24C64(), folder.String());
    TestI2cMaster hasty(*sim.board, 0);
    hasty.PowerUp();
    hasty.Write(sim.type, 0, {0x42});
    const auto texts = Descriptions(*sim.chip);
    EXPECT_TRUE(Contains(texts, "tLOW")) << texts.size();
    EXPECT_TRUE(Contains(texts, "tHIGH"));
    EXPECT_TRUE(Contains(texts, "tSU:STA"));
    EXPECT_TRUE(Contains(texts, "tHD:STA"));
    EXPECT_TRUE(Contains(texts, "tSU:STO"));
    // Each is stamped with the virtual time it happened at, in order.
    const auto& entries = sim.chip->Violations().Entries();
    EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(),
                               [](const auto& a, const auto& b) { return a.timeNs < b.timeNs; }));
    EXPECT_LE(entries.back().timeNs, sim.board->Time().NowNs());
}

TEST(SimProtocolCheck, CatchesSdaReadSoonerThanTAaAfterTheChipChangedIt) {
    TemporaryFolder folder;
    SimChip sim(Chip24C64(), folder.String());
    const std::vector<std::uint8_t> data{0x55, 0x0F};
    sim.master->PowerUp();
    ASSERT_TRUE(sim.master->Write(sim.type, 0x40, data));
    ASSERT_GT(sim.master->AckPoll(sim.type), 0);
    EXPECT_EQ(sim.master->Read(sim.type, 0x40, 2), data);
    ASSERT_TRUE(sim.chip->Violations().Empty());
    // One port access (1 us) between SCL falling and rising, the read right after: 2-3 us, under
    // the 3.5 us a chip may take to drive the bit it changed at that edge.
    TestI2cMaster hasty(*sim.board, 0);
    hasty.PowerUp();
    hasty.Read(sim.type, 0x40, 2);
    EXPECT_TRUE(Contains(Descriptions(*sim.chip), "tAA"));
}

TEST(SimProtocolCheck, CatchesLineChangesOnAnUnpoweredChipButNotTheSwitchingItself) {
    TemporaryFolder folder;
    SimChip sim(Chip24C64(), folder.String());
    auto& lines = sim.master->Lines();
    lines.WriteBusLines(true, true, true);  // everything comes up together: fine
    lines.WriteBusLines(false, false, false);
    EXPECT_TRUE(sim.chip->Violations().Empty());
    lines.SetScl(true);  // a setter never powers the chip: SCL drives an unpowered input
    ASSERT_EQ(sim.chip->Violations().Entries().size(), 1u);
    EXPECT_NE(sim.chip->Violations().Entries()[0].description.find("sin alimentacion"), std::string::npos);
    sim.chip->ClearViolations();
    // The AVR side's byte 0x47 powers the socket too, with SCL high: nothing wrong there.
    sim.board->DlPortWritePortUchar(port::DataPort, 0x47);
    EXPECT_TRUE(sim.chip->Violations().Empty());
}

TEST(SimProtocolCheck, CatchesSdaMovingWhileSclIsHighInsideAByte) {
    TemporaryFolder folder;
    SimChip sim(Chip24C64(), folder.String());
    auto& m = *sim.master;
    m.PowerUp();
    m.Start();
    // Three bits of a control byte, then SDA falls during the fourth bit's high phase.
    for (bool bit : {true, false, true}) {
        m.Lines().SetScl(false);
        m.Wait(10'000);
        m.Lines().SetSda(bit);
        m.Wait(10'000);
        m.Lines().SetScl(true);
        m.Wait(10'000);
    }
    m.Lines().SetSda(false);
    const auto texts = Descriptions(*sim.chip);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("mitad de un byte"), std::string::npos);
}

TEST(SimProtocolCheck, CatchesSclAndSdaChangingInOneWrite) {
    TemporaryFolder folder;
    SimChip sim(Chip24C64(), folder.String());
    sim.master->PowerUp();
    sim.master->Lines().WriteBusLines(true, false, false);
    EXPECT_TRUE(Contains(Descriptions(*sim.chip), "misma escritura"));
}

TEST(SimProtocolCheck, PowerOffDuringTheWriteCycleIsRecordedAndTheOldContentsStay) {
    TemporaryFolder folder;
    SimChip sim(Chip24C64(), folder.String());
    sim.master->PowerUp();
    ASSERT_TRUE(sim.master->Write(sim.type, 0x40, {0x12}));
    sim.master->Wait(1'000'000);  // 1 ms into the 5 ms cycle
    sim.master->PowerOff();
    EXPECT_TRUE(Contains(Descriptions(*sim.chip), "ciclo de escritura"));
    EXPECT_EQ(sim.chip->Memory()[0x40], 0xFF);

    // Once the cycle is over, switching off is harmless.
    sim.chip->ClearViolations();
    sim.master->PowerUp();
    ASSERT_TRUE(sim.master->Write(sim.type, 0x40, {0x34}));
    sim.master->Wait(5'000'000);
    sim.master->PowerOff();
    EXPECT_TRUE(sim.chip->Violations().Empty());
    EXPECT_EQ(sim.chip->Memory()[0x40], 0x34);
}

TEST(SimProtocolCheck, AStormOfViolationsIsCountedNotStored) {
    // The AVR side clocks XTAL1 (the 24Cxx socket's SCL) once per port write while powered.
    TemporaryFolder folder;
    SimChip sim(Chip24C64(), folder.String());
    for (int i = 0; i < 5000; ++i)
        sim.board->DlPortWritePortUchar(port::DataPort, static_cast<std::uint8_t>(i % 2 ? 0x0F : 0x07));
    EXPECT_EQ(sim.chip->Violations().Entries().size(), sim::ViolationLog::MaxEntries);
    EXPECT_GT(sim.chip->Violations().Suppressed(), 3000u);
}

}  // namespace
}  // namespace tarpel::test
