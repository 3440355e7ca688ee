// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "SimChipFixture.h"

namespace tarpel::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SimPersistence, ContentsSurviveARestartInAFileNamedAfterTheChip) {
    TemporaryFolder folder;
    const auto& type = sim::Eeprom24CxxModels[3];  // 24C08
    {
        SimChip sim(type, folder.String());
        sim.master->PowerUp();
        ASSERT_TRUE(sim.master->Write(type, 0x3F0, {0xDE, 0xAD}));
        ASSERT_GT(sim.master->AckPoll(type), 0);
        EXPECT_FALSE(fs::exists(folder.Path() / "24C08.bin"));  // not on every write cycle
        sim.master->PowerOff();                                  // saved when the power goes
        const auto saved = FileBytes(folder.Path() / "24C08.bin");
        ASSERT_EQ(saved.size(), 1024u);
        EXPECT_EQ(saved[0x3F0], 0xDE);
        EXPECT_EQ(saved[0x3F1], 0xAD);
        EXPECT_EQ(saved[0], 0xFF);
    }
    SimChip again(type, folder.String());
    EXPECT_EQ(again.chip->Memory()[0x3F1], 0xAD);
    // Another chip type has its own file: a blank one.
    SimChip other(sim::Eeprom24CxxModels[2], folder.String());
    EXPECT_EQ(other.chip->Memory()[0x1F0], 0xFF);
}

TEST(SimPersistence, ABoardDestroyedWithThePowerOnStillSavesAndFinishesTheWriteCycle) {
    TemporaryFolder folder;
    const auto& type = sim::Eeprom24CxxModels[9];  // 24C512
    {
        SimChip sim(type, folder.String());
        sim.master->PowerUp();
        ASSERT_TRUE(sim.master->Write(type, 0xFFFF, {0x77}));
    }
    EXPECT_EQ(FileBytes(folder.Path() / "24C512.bin").at(0xFFFF), 0x77);
}

TEST(SimPersistence, AShortFileIsPaddedWithBlankBytes) {
    TemporaryFolder folder;
    std::ofstream(folder.Path() / "24C04.bin", std::ios::binary) << "AB";
    SimChip sim(sim::Eeprom24CxxModels[2], folder.String());
    EXPECT_EQ(sim.chip->Memory()[0], 'A');
    EXPECT_EQ(sim.chip->Memory()[1], 'B');
    EXPECT_EQ(sim.chip->Memory()[2], 0xFF);
    EXPECT_EQ(sim.chip->Memory().size(), 512u);
}

TEST(SimPersistenceDeathTest, ACrashMidWriteLeavesTheLastSavedContents) {
    // Forked without re-running the program, so the child works in this test's folder.
    GTEST_FLAG_SET(death_test_style, "fast");
    TemporaryFolder folder;
    const auto& type = sim::Eeprom24CxxModels[7];
    // The child programs one byte and switches off (saved), then starts another write and dies
    // in its write cycle without running any destructor.
    EXPECT_EXIT(
        {
            SimChip sim(type, folder.String());
            sim.master->PowerUp();
            sim.master->Write(type, 10, {0x01});
            sim.master->AckPoll(type);
            sim.master->PowerOff();
            sim.master->PowerUp();
            sim.master->Write(type, 11, {0x02});
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    const auto saved = FileBytes(folder.Path() / "24C128.bin");
    ASSERT_EQ(saved.size(), 16384u);
    EXPECT_EQ(saved[10], 0x01);
    EXPECT_EQ(saved[11], 0xFF);
    // No temporary file of an unfinished save is left looking like a chip.
    for (const auto& entry : fs::directory_iterator(folder.Path()))
        EXPECT_EQ(entry.path().filename(), "24C128.bin");
}

}  // namespace
}  // namespace tarpel::test
