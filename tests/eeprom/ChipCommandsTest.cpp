// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "FakeClock.h"
#include "RecordingPort.h"
#include "RecordingShell.h"
#include "eeprom/ChipCommands.h"

namespace tarpel::test {
namespace {

using shell::CommandOutcome;
using Command = std::function<CommandOutcome(eeprom::CommandFrame&)>;

const std::string NoAck = "Sin acuse de recibo por parte del chip!!!\r            (No se ha recibido ACK)";

// A 24C04 workspace on a recording port whose return line follows a script of SDA levels on
// the clocks a chip answers (SCL rising with SDA released); once the script is out the line
// stays at `restLow` (low: every acknowledge given). Between transactions the bus rests high.
struct Socket {
    FakeClock clock;
    RecordingPort port{&clock};
    link::BoardLines lines{port};
    link::BitTiming timing{clock};
    RecordingShell shell;
    eeprom::EepromWorkspace workspace;
    eeprom::CommandFrame frame{workspace, lines, timing, shell};
    std::deque<bool> sda;
    bool restLow = false;
    int refreshes = 0;

    Socket() {
        timing.CalibrateBitDelay();
        timing.DelayFactor = 1;
        workspace.cbChipChange(2);
        workspace.RefreshGrid = [this] { ++refreshes; };
        port.statusSource = [this] {
            const auto& writes = port.writes;
            const bool answerClock =
                writes.size() >= 2 && writes.back().value == 0x1F && writes.end()[-2].value == 0x17;
            if (!answerClock) return std::uint8_t{0x7F};
            bool high = !restLow;
            if (!sda.empty()) {
                high = sda.front();
                sda.pop_front();
            }
            return std::uint8_t{high ? std::uint8_t{0x7F} : std::uint8_t{0xFF}};
        };
    }
    // A chip that acknowledges its read addressing (one address byte) and then sends these.
    void Answers(const std::vector<std::uint8_t>& bytes) {
        sda.insert(sda.end(), 3, false);
        for (auto byte : bytes)
            for (int bit = 7; bit >= 0; --bit) sda.push_back(((byte >> bit) & 1) != 0);
    }
};

std::vector<std::uint8_t> Pattern(std::uint8_t salt) {
    std::vector<std::uint8_t> bytes(512);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + salt);
    return bytes;
}

TEST(ChipCommands, EveryPathEndsWithItsMessageTheDefaultCursorAndEveryLineOff) {
    const auto chip = Pattern(1);
    auto changed = chip;
    changed[16] ^= 0x01;
    struct Case {
        const char* name;
        Command command;
        std::function<void(Socket&)> setUp;
        CommandOutcome outcome;
        std::string text, caption;
        int refreshes;
        std::vector<std::uint8_t> imageAfter;  // the first 512 bytes
    };
    const std::vector<std::uint8_t> blank(512, 0xFF);
    auto cancelledRead = blank;
    std::copy_n(chip.begin(), 11, cancelledRead.begin());
    const Case cases[] = {
        {"read", eeprom::ReadChip, [&](Socket& s) { s.Answers(chip); }, CommandOutcome::Done, "", "", 1, chip},
        {"read, no chip", eeprom::ReadChip, {}, CommandOutcome::Failed, NoAck, "ERROR", 1, blank},
        {"read, cancelled at byte 10", eeprom::ReadChip,
         [&](Socket& s) {
             s.Answers(chip);
             s.shell.cancelAfterLabels = 11;
         },
         CommandOutcome::Cancelled, "", "", 1, cancelledRead},
        // The scripted socket keeps nothing, so its read-back is left to the virtual chips' tests.
        {"program", eeprom::ProgramChip,
         [](Socket& s) {
             s.restLow = true;
             s.frame.ReadBackAfterProgramming = false;
         },
         CommandOutcome::Done, "", "", 0, blank},
        {"program, no chip", eeprom::ProgramChip, {}, CommandOutcome::Failed,
         "Sin acuse de recibo por parte del chip!!!\r(No se ha recibido ACK en byte nº0)", "ERROR", 0, blank},
        {"program, cancelled", eeprom::ProgramChip,
         [](Socket& s) {
             s.restLow = true;
             s.shell.cancelAfterLabels = 2;
         },
         CommandOutcome::Cancelled, "", "", 0, blank},
        {"verify, equal", eeprom::VerifyChip,
         [&](Socket& s) {
             std::copy(chip.begin(), chip.end(), s.workspace.MemoryImage.begin());
             s.Answers(chip);
         },
         CommandOutcome::Done, "El contenido del chip se ha verificado correctamente!!!", "FIN DE LA COMPROBACION", 1,
         chip},
        {"verify, byte 0x10 differs", eeprom::VerifyChip,
         [&](Socket& s) {
             std::copy(chip.begin(), chip.end(), s.workspace.MemoryImage.begin());
             s.Answers(changed);
         },
         CommandOutcome::Failed, "Hay diferencias en el byte nº:16", "ERROR EN LA COMPROBACION", 0, chip},
        {"verify, no chip", eeprom::VerifyChip,
         [&](Socket& s) { std::copy(chip.begin(), chip.end(), s.workspace.MemoryImage.begin()); },
         CommandOutcome::Failed, NoAck, "ERROR", 0, chip},
        // The bytes read so far match; comparing the unread rest (0xFF) with the image would
        // report a difference that the chip does not have.
        {"verify, cancelled at byte 10", eeprom::VerifyChip,
         [&](Socket& s) {
             std::copy(chip.begin(), chip.end(), s.workspace.MemoryImage.begin());
             s.Answers(chip);
             s.shell.cancelAfterLabels = 11;
         },
         CommandOutcome::Cancelled, "", "", 0, chip},
    };
    for (const auto& c : cases) {
        Socket s;
        if (c.setUp) c.setUp(s);
        EXPECT_EQ(c.command(s.frame), c.outcome) << c.name;
        if (c.text.empty()) {
            EXPECT_TRUE(s.shell.messages.empty()) << c.name;
        } else {
            ASSERT_EQ(s.shell.messages.size(), 1u) << c.name;
            EXPECT_EQ(s.shell.messages[0].text, c.text) << c.name;
            EXPECT_EQ(s.shell.messages[0].caption, c.caption) << c.name;
        }
        EXPECT_EQ(s.refreshes, c.refreshes) << c.name;
        EXPECT_TRUE(std::equal(c.imageAfter.begin(), c.imageAfter.end(), s.workspace.MemoryImage.begin())) << c.name;
        EXPECT_EQ(s.shell.cursorChanges,
                  (std::vector<shell::CursorShape>{shell::CursorShape::Hourglass, shell::CursorShape::Default}))
            << c.name;
        EXPECT_FALSE(s.shell.progressVisible) << c.name;
        EXPECT_EQ(s.port.Last(), 0x00) << c.name;
    }
}

TEST(ChipCommands, ProgrammingA24C04StepsThroughItsSixteenBytePages) {
    Socket s;
    s.restLow = true;
    s.frame.ReadBackAfterProgramming = false;
    EXPECT_EQ(eeprom::ProgramChip(s.frame), CommandOutcome::Done);
    ASSERT_EQ(s.shell.progressLabels.size(), 32u);
    EXPECT_EQ(s.shell.progressLabels[1], "16 bytes grabados...");
    EXPECT_EQ(s.shell.progressLabels.back(), "496 bytes grabados...");
    EXPECT_EQ(s.shell.progressGauges.back(), 97);  // 96.875
    EXPECT_EQ(s.shell.processMessagesCalls, 32);
}

}  // namespace
}  // namespace tarpel::test
