// SPDX-License-Identifier: GPL-2.0-or-later
// The lock box's "Grabar" and "Leer" on every virtual AVR, and what each lock mode then does to
// the chip: mode 2 keeps its cells through a write, mode 3 also hides them, and only a chip erase
// unlocks it, in this run or a later one.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "AvrBench.h"
#include "avr/EraseChip.h"
#include "avr/IdentifyMicro.h"
#include "avr/LockMode.h"
#include "avr/ProgramEeprom.h"
#include "avr/ReadLockBits.h"
#include "avr/WriteLockBits.h"

namespace tarpel::test {
namespace {

using ::testing::HasSubstr;
using avr::LockMode;
using shell::CommandOutcome;

class LockModes : public ::testing::TestWithParam<const char*> {};
INSTANTIATE_TEST_SUITE_P(AllParts, LockModes, ::testing::Values("at90s8515", "at90s4414", "atmega8515"));

TEST_P(LockModes, EachModeHoldsOnTheVirtualChipUntilAChipErase) {
    const std::string model = GetParam();
    const bool readsBack = model == "atmega8515";
    TempFolder folder;
    StoreMemory(folder, model, "eeprom", {0x11, 0x22});
    auto bench = std::make_unique<AvrBench>(SimOptions(folder, model));
    const auto lock = [&](LockMode mode) { return avr::WriteLockBits(bench->frame, avr::LockByteOf(mode), true); };
    const auto writeEeprom = [&] { return avr::ProgramEepromFrom(bench->frame, folder.Write("e.bin", std::vector<std::uint8_t>{0x99})); };

    // No to the question: nothing is sent.
    EXPECT_EQ(lock(LockMode::NoProgramming), CommandOutcome::Cancelled);
    ASSERT_EQ(bench->shell.questions.size(), 1u);
    EXPECT_THAT(bench->shell.questions.back().text, HasSubstr("Solo un borrado del chip"));
    EXPECT_EQ(bench->Device().LockBits(), 0xFF);

    bench->shell.answerYes = true;
    EXPECT_EQ(lock(LockMode::NoProgramming), CommandOutcome::Done);
    EXPECT_EQ(bench->Device().LockBits() & 0x03, 0x02);
    EXPECT_EQ(writeEeprom(), CommandOutcome::Failed);
    EXPECT_EQ(bench->Device().Eeprom()[0], 0x11) << "mode 2: the cell keeps its value";
    EXPECT_EQ(avr::ReadLockBits(bench->frame), readsBack ? CommandOutcome::Done : CommandOutcome::Failed);
    EXPECT_EQ(bench->view.lockByte, readsBack ? std::optional<std::uint8_t>(0xFE) : std::nullopt);
    // Lock bits can only be programmed further: mode 1 over mode 2 does not take, and the
    // ATmega8515 says so on reading them back.
    EXPECT_EQ(lock(LockMode::NoLock), readsBack ? CommandOutcome::Failed : CommandOutcome::Done);
    EXPECT_EQ(bench->Device().LockBits() & 0x03, 0x02);

    EXPECT_EQ(lock(LockMode::NoVerification), CommandOutcome::Done);
    // Mode 3 in a later run: the signature reads 00 01 02, and a read gets no contents.
    bench.reset();  // one board at a time on a store folder
    bench = std::make_unique<AvrBench>(SimOptions(folder, model));
    EXPECT_EQ(avr::IdentifyMicro(bench->frame), CommandOutcome::Failed);
    EXPECT_THAT(bench->MessageTexts().back(), HasSubstr("protegido contra lectura/escritura"));
    ASSERT_TRUE(bench->frame.Link().EnterProgrammingMode());
    EXPECT_NE(bench->frame.Link().ReadEepromByte(0), 0x11);
    bench->frame.SwitchOff();

    EXPECT_EQ(avr::EraseChip(bench->frame), CommandOutcome::Done);
    EXPECT_EQ(bench->Device().LockBits(), 0xFF);
    EXPECT_EQ(writeEeprom(), CommandOutcome::Done);
    EXPECT_EQ(bench->Device().Eeprom()[0], 0x99);
    EXPECT_TRUE(bench->Violations().empty());
}

}  // namespace
}  // namespace tarpel::test
