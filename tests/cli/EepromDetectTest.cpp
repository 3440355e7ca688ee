// SPDX-License-Identifier: GPL-2.0-or-later
// "Detectar chip" on the simulated board: every virtual chip of the datasheet table, with
// contents that tell its size and with contents that cannot, and never a byte written.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "RecordingShell.h"
#include "TempFolder.h"
#include "eeprom/DetectChip.h"
#include "sim/Eeprom24CxxModel.h"
#include "sim/SimulatedBoard.h"
#include "sim/SimulatedClock.h"
#include "sim/Virtual24Cxx.h"

namespace tarpel::test {
namespace {

using shell::CommandOutcome;
using Bytes = std::vector<std::uint8_t>;

// A virtual chip that starts with the given contents, and the window's default chip selected.
struct DetectRig {
    DetectRig(const sim::Eeprom24CxxModel* model, const Bytes& contents)
        : board(MakeChip(model, contents), nullptr) {
        timing.CalibrateBitDelay();
        timing.DelayFactor = 1;
        workspace.cbChipChange(eeprom::DefaultChipIndex);
        std::mt19937 random(9);
        for (auto& byte : workspace.MemoryImage) byte = static_cast<std::uint8_t>(random());
    }
    std::unique_ptr<sim::EepromSocketChip> MakeChip(const sim::Eeprom24CxxModel* model, const Bytes& contents) {
        if (model == nullptr) return nullptr;
        const sim::ChipStore store(folder.Path("chips"));
        EXPECT_TRUE(store.Save(std::string(model->name) + ".bin", contents));
        auto made = std::make_unique<sim::Virtual24Cxx>(*model, store);
        chip = made.get();
        return made;
    }
    CommandOutcome Detect() { return eeprom::DetectChip(frame, detection); }

    TempFolder folder;
    sim::Virtual24Cxx* chip = nullptr;
    sim::SimulatedBoard board;
    sim::SimulatedClock clock{board.Time()};
    link::BoardLines lines{board};
    link::BitTiming timing{clock};
    RecordingShell shell;
    eeprom::EepromWorkspace workspace;
    eeprom::CommandFrame frame{workspace, lines, timing, shell};
    eeprom::ChipDetection detection;
};

Bytes RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    return bytes;
}

int IndexOf(std::string_view name) {
    for (std::size_t index = 0; index < eeprom::ChipCatalogue.size(); ++index)
        if (eeprom::ChipCatalogue[index].name == name) return static_cast<int>(index);
    return -1;
}

// Runs the detection on the chip and checks what must hold for every chip: nothing written
// (no write cycle, the same cells), no bus timing broken, the workspace as it was, lines off.
eeprom::ChipDetection DetectAndCheckNothingChanged(const sim::Eeprom24CxxModel& model, const Bytes& contents,
                                                   CommandOutcome expected) {
    DetectRig rig(&model, contents);
    const Bytes image = rig.workspace.MemoryImage;
    EXPECT_EQ(rig.Detect(), expected) << model.name;
    EXPECT_EQ(rig.chip->WriteCycles(), 0u) << model.name;
    EXPECT_EQ(Bytes(rig.chip->Memory().begin(), rig.chip->Memory().end()), contents) << model.name;
    EXPECT_TRUE(rig.chip->Violations().Entries().empty()) << model.name << ": "
                                                          << rig.chip->Violations().Entries().front().description;
    EXPECT_EQ(rig.workspace.ChipIndex(), eeprom::DefaultChipIndex);
    EXPECT_EQ(rig.workspace.MemoryImage, image);
    EXPECT_EQ(rig.board.DataByte(), 0x00);
    EXPECT_EQ(rig.shell.cursor, shell::CursorShape::Default);
    return rig.detection;
}

TEST(DetectChip, EveryChipWithRandomContentsIsRecognisedAndNothingIsWritten) {
    for (const auto& model : sim::Eeprom24CxxModels) {
        const auto detection = DetectAndCheckNothingChanged(model, RandomBytes(model.bytes, model.bytes),
                                                            CommandOutcome::Done);
        EXPECT_EQ(detection.verdict, eeprom::DetectionVerdict::Recognised) << model.name;
        EXPECT_EQ(detection.smallestIndex, IndexOf(model.name)) << model.name;
        EXPECT_EQ(detection.largestIndex, IndexOf(model.name)) << model.name;
        // Chips answering on 0xA0 alone are known by where their contents repeat.
        const std::string repeats = model.bytes <= 256 || (model.wordAddressBytes == 2 && model.bytes < 65536)
                                        ? ", o una mayor que repita su contenido cada " + std::to_string(model.bytes) +
                                              " bytes (no se pueden distinguir)"
                                        : "";
        EXPECT_EQ(eeprom::DetectionText(detection), "Memoria detectada: " + std::string(model.name) + repeats);
    }
}

// The 24C04 to 24C16 tell their size by the control bytes they answer, whatever they hold; the
// 128 and 256 KiB chips answer as the 24C04 and 24C08 and, blank, may be either; the others,
// blank, fit every size that answers on 0xA0 alone.
TEST(DetectChip, ABlankChipIsRecognisedByItsBlocksOrGivesTheRangeThatFits) {
    for (const auto& model : sim::Eeprom24CxxModels) {
        const auto detection = DetectAndCheckNothingChanged(model, Bytes(model.bytes, 0xFF), CommandOutcome::Done);
        if (model.blockBits != 0) {
            const std::uint32_t blocks = model.wordAddressBytes == 2 ? model.bytes >> 16 : model.bytes >> 8;
            const int small = IndexOf("24C0" + std::to_string(blocks * 2)), large = blocks == 2 ? IndexOf("24C1024")
                                                                            : blocks == 4 ? IndexOf("24CM02") : -1;
            EXPECT_EQ(detection.verdict, large < 0 ? eeprom::DetectionVerdict::Recognised
                                                   : eeprom::DetectionVerdict::Undecided) << model.name;
            EXPECT_EQ(detection.smallestIndex, blocks == 8 ? IndexOf("24C16") : small) << model.name;
            EXPECT_EQ(detection.largestIndex, large < 0 ? IndexOf("24C16") : large) << model.name;
            EXPECT_EQ(detection.answeringControlBytes, (1u << blocks) - 1) << model.name;
        } else {
            EXPECT_EQ(detection.verdict, eeprom::DetectionVerdict::Undecided) << model.name;
            EXPECT_EQ(detection.smallestIndex, IndexOf("24C01")) << model.name;
            EXPECT_EQ(detection.largestIndex, IndexOf("24C512")) << model.name;
            EXPECT_EQ(detection.answeringControlBytes, 1u) << model.name;
        }
    }
}

TEST(DetectChip, ContentsThatRepeatInsideTheChipOnlyNarrowTheRange) {
    const auto& model = sim::Eeprom24CxxModels[9];
    ASSERT_EQ(model.name, "24C512");
    // One 512-byte pattern all over the chip: every place looks like every other.
    Bytes pattern = RandomBytes(512, 5);
    Bytes repeated(model.bytes);
    for (std::size_t i = 0; i < repeated.size(); ++i) repeated[i] = pattern[i % pattern.size()];
    auto detection = DetectAndCheckNothingChanged(model, repeated, CommandOutcome::Done);
    EXPECT_EQ(detection.verdict, eeprom::DetectionVerdict::Undecided);
    EXPECT_EQ(detection.smallestIndex, IndexOf("24C32"));
    EXPECT_EQ(detection.largestIndex, IndexOf("24C512"));

    // Two equal halves: a 24C256 as far as any reading can tell, and the text says so.
    Bytes halves = RandomBytes(model.bytes / 2, 7);
    halves.insert(halves.end(), halves.begin(), halves.end());
    detection = DetectAndCheckNothingChanged(model, halves, CommandOutcome::Done);
    EXPECT_EQ(eeprom::DetectionText(detection), "Memoria detectada: 24C256, o una mayor que repita su contenido cada "
                                                "32768 bytes (no se pueden distinguir)");

    // Blank but for data at 8 KB: the chip holds more than 8 KB, but the blank cells above do not
    // prove where it ends.
    Bytes sparse(model.bytes, 0xFF);
    const Bytes data = RandomBytes(0x1000, 6);
    std::copy(data.begin(), data.end(), sparse.begin() + 0x2000);
    detection = DetectAndCheckNothingChanged(model, sparse, CommandOutcome::Done);
    EXPECT_EQ(detection.verdict, eeprom::DetectionVerdict::Undecided);
    EXPECT_EQ(detection.smallestIndex, IndexOf("24C128"));
    EXPECT_EQ(detection.largestIndex, IndexOf("24C512"));
    EXPECT_EQ(eeprom::DetectionText(detection),
              "Memoria de 24C128 a 24C512: su contenido (vacio o un mismo patron repetido) no permite saber cual");
}

TEST(DetectChip, AnEmptySocketOrASdaHeldLowIsAnErrorShownWithTheLinesOff) {
    DetectRig empty(nullptr, {});
    EXPECT_EQ(empty.Detect(), CommandOutcome::Failed);
    EXPECT_EQ(empty.detection.verdict, eeprom::DetectionVerdict::NoAnswer);
    ASSERT_EQ(empty.shell.messages.size(), 1u);
    EXPECT_EQ(empty.shell.messages[0].text, "Sin acuse de recibo por parte del chip!!!\r            (No se ha recibido ACK)");
    EXPECT_EQ(empty.shell.messages[0].caption, "ERROR");
    EXPECT_EQ(empty.board.DataByte(), 0x00);

    // Every control byte would look acknowledged on a held line, and a 24C16 would be guessed.
    DetectRig held(sim::FindEeprom24CxxModel("24C64"), RandomBytes(8192, 5));
    held.board.returnLineFault = sim::ReturnLineFault::StuckLow;
    held.shell.portProbe = [&] { return held.board.DataByte(); };
    EXPECT_EQ(held.Detect(), CommandOutcome::Failed);
    ASSERT_EQ(held.shell.messages.size(), 1u);
    EXPECT_EQ(held.shell.messages[0].text, "La linea SDA esta retenida a nivel bajo!!!\r(Comprueba el chip y la placa)");
    EXPECT_EQ(held.shell.portAtMessages, std::vector<int>{0x00});
}

}  // namespace
}  // namespace tarpel::test
