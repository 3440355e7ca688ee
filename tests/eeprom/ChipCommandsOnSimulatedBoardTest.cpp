// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "RecordingShell.h"
#include "TempFolder.h"
#include "eeprom/ChipCommands.h"
#include "sim/Eeprom24CxxModel.h"
#include "sim/SimulatedBoard.h"
#include "sim/SimulatedClock.h"
#include "sim/Virtual24Cxx.h"

namespace tarpel::test {
namespace {

using shell::CommandOutcome;

// The 24Cxx commands on the simulated board, with a virtual chip (or none) in the socket.
struct SimSocket {
    explicit SimSocket(int index, std::vector<sim::PageRefusal> refusals = {}, bool present = true)
        : board(present ? MakeChip(index, std::move(refusals)) : nullptr, nullptr) {
        timing.CalibrateBitDelay();
        timing.DelayFactor = 1;
        workspace.cbChipChange(index);
        workspace.RefreshGrid = [this] { ++refreshes; };
    }
    std::unique_ptr<sim::EepromSocketChip> MakeChip(int index, std::vector<sim::PageRefusal> refusals) {
        // The chip of that name as its datasheet has it, not as the program's list does.
        const auto* model = sim::FindEeprom24CxxModel(eeprom::ChipCatalogue[static_cast<std::size_t>(index)].name);
        auto made = std::make_unique<sim::Virtual24Cxx>(*model, sim::ChipStore(folder.Path("chips")),
                                                            sim::EepromFaults{.pageRefusals = std::move(refusals), .stuckCells = {}});
        chip = made.get();
        return made;
    }
    void Fill(std::uint32_t seed) {
        std::mt19937 random(seed);
        for (std::int32_t i = 0; i < workspace.ChipSize; ++i)
            workspace.MemoryImage[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(random());
    }
    std::vector<std::uint8_t> Image() const {
        return {workspace.MemoryImage.begin(), workspace.MemoryImage.begin() + workspace.ChipSize};
    }
    std::vector<std::uint8_t> ChipMemory() const { return {chip->Memory().begin(), chip->Memory().end()}; }
    std::string Violations() const {
        std::string text;
        for (const auto& v : chip->Violations().Entries()) text += std::to_string(v.timeNs) + " " + v.description + "\n";
        return text;
    }
    CommandOutcome Run(CommandOutcome (*command)(eeprom::CommandFrame&)) {
        shell.messages.clear();
        return command(frame);
    }

    TempFolder folder;
    sim::Virtual24Cxx* chip = nullptr;
    sim::SimulatedBoard board;
    sim::SimulatedClock clock{board.Time()};
    link::BoardLines lines{board};
    link::BitTiming timing{clock};
    RecordingShell shell;
    eeprom::EepromWorkspace workspace;
    eeprom::CommandFrame frame{workspace, lines, timing, shell};
    int refreshes = 0;
};

// Random bytes differ from page to page, so a page the chip's buffer cannot hold wraps over
// itself and shows.
void ProgramReadAndVerifyEveryChip(std::uint64_t writeCycleNs) {
    for (std::size_t index = 0; index < eeprom::ChipCatalogue.size(); ++index) {
        const auto name = std::string(eeprom::ChipCatalogue[index].name);
        SimSocket s(static_cast<int>(index));
        s.chip->writeCycleNs = writeCycleNs;
        // The program's list against the datasheets: a page size there that the page cap hides
        // would not show on the chip until the cap changed.
        const auto& listed = eeprom::ChipCatalogue[index];
        const auto& model = s.chip->Model();
        EXPECT_EQ(static_cast<std::uint32_t>(listed.size), model.bytes) << name;
        EXPECT_EQ(listed.wordAddressBytes, model.wordAddressBytes) << name;
        EXPECT_EQ(static_cast<std::uint32_t>(listed.pageSize), model.pageBytes) << name;
        s.Fill(static_cast<std::uint32_t>(index) + 1);
        const auto written = s.Image();

        EXPECT_EQ(s.Run(eeprom::ProgramChip), CommandOutcome::Done) << name;
        EXPECT_EQ(s.ChipMemory(), written) << name;  // the last page included
        // 32-byte pages, or the chip's own page where that is smaller: one write cycle each.
        EXPECT_EQ(s.chip->WriteCycles(), model.bytes / std::min<std::uint32_t>(32, model.pageBytes)) << name;
        std::fill(s.workspace.MemoryImage.begin(), s.workspace.MemoryImage.end(), std::uint8_t{0x00});
        EXPECT_EQ(s.Run(eeprom::ReadChip), CommandOutcome::Done) << name;
        EXPECT_EQ(s.Image(), written) << name;
        EXPECT_EQ(s.Run(eeprom::VerifyChip), CommandOutcome::Done) << name;
        ASSERT_EQ(s.shell.messages.size(), 1u) << name;
        EXPECT_EQ(s.shell.messages[0].caption, "FIN DE LA COMPROBACION") << name;

        s.chip->ClearViolations();
        s.workspace.MemoryImage[static_cast<std::size_t>(s.workspace.ChipSize) - 1] ^= 0xFF;
        EXPECT_EQ(s.Run(eeprom::VerifyChip), CommandOutcome::Failed) << name;
        ASSERT_EQ(s.shell.messages.size(), 1u) << name;
        EXPECT_EQ(s.shell.messages[0].text, "Hay diferencias en el byte nº:" + std::to_string(s.workspace.ChipSize - 1));
        EXPECT_EQ(s.Violations(), "") << name;
        EXPECT_EQ(s.board.DataByte(), 0x00) << name;
        EXPECT_FALSE(s.chip->Powered()) << name;
    }
}

// The datasheets' longest write cycle, which the program must outwait, and a chip that is done
// well within the program's fixed wait after each page.
TEST(EepromOnSimulatedBoard, EveryCatalogueChipIsProgrammedReadAndVerified) {
    ProgramReadAndVerifyEveryChip(sim::MaxWriteCycleNs);
}

TEST(EepromOnSimulatedBoard, EveryCatalogueChipIsProgrammedReadAndVerifiedWithAFastWriteCycle) {
    ProgramReadAndVerifyEveryChip(1'000'000);
}

TEST(EepromOnSimulatedBoard, ARefusedPageIsRetriedOrReportedAndAnEmptySocketAnswersNothing) {
    // Chip page 3 of the 24C128 (64 bytes) holds the program's pages 192 and 224.
    const int index = *eeprom::ChipIndexOf("24C128");
    SimSocket patient(index, {{3, 20}});
    patient.Fill(3);
    EXPECT_EQ(patient.Run(eeprom::ProgramChip), CommandOutcome::Done);
    EXPECT_EQ(patient.ChipMemory(), patient.Image());
    EXPECT_EQ(patient.Violations(), "");

    SimSocket stubborn(index, {{3, 26}});
    EXPECT_EQ(stubborn.Run(eeprom::ProgramChip), CommandOutcome::Failed);
    ASSERT_EQ(stubborn.shell.messages.size(), 1u);
    EXPECT_EQ(stubborn.shell.messages[0].text,
              "Sin acuse de recibo por parte del chip!!!\r(No se ha recibido ACK en byte nº192)");
    EXPECT_EQ(stubborn.board.DataByte(), 0x00);

    SimSocket empty(index, {}, false);
    empty.Fill(4);
    const auto image = empty.Image();
    EXPECT_EQ(empty.Run(eeprom::ReadChip), CommandOutcome::Failed);
    EXPECT_EQ(empty.Image(), image);
    EXPECT_EQ(empty.Run(eeprom::ProgramChip), CommandOutcome::Failed);
    ASSERT_EQ(empty.shell.messages.size(), 1u);
    EXPECT_EQ(empty.shell.messages[0].text, "Sin acuse de recibo por parte del chip!!!\r(No se ha recibido ACK en byte nº0)");
    EXPECT_EQ(empty.board.DataByte(), 0x00);
}

}  // namespace
}  // namespace tarpel::test
