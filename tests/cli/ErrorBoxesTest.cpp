// SPDX-License-Identifier: GPL-2.0-or-later
// Every error box of the 24Cxx and AVR commands waits for the user with the board unpowered:
// each failing path on the simulated board, with the data port byte noted as each box shows.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "RecordingShell.h"
#include "TempFolder.h"
#include "avr/AvrView.h"
#include "avr/CommandFrame.h"
#include "avr/EraseChip.h"
#include "avr/IdentifyMicro.h"
#include "avr/ProgramEeprom.h"
#include "avr/ProgramFlash.h"
#include "avr/ReprogramFlash.h"
#include "avr/WriteFuses.h"
#include "board/Board.h"
#include "eeprom/ChipCommands.h"
#include "link/BitTiming.h"
#include "sim/SimulatedBoard.h"

namespace tarpel::test {
namespace {

using shell::CommandOutcome;

class QuietView final : public avr::AvrView {
public:
    void SetDeviceCaption(std::string_view) override {}
};

class FactoryPanel final : public avr::FusePanel {
public:
    avr::FuseSettings settings{4, 2, 0, false, true, false, false, true, false, false, false};
    avr::FuseSettings Settings() const override { return settings; }
    void ShowSettings(const avr::FuseSettings& shown) override { settings = shown; }
};

// Lock mode 2 (LB1 programmed): the ATmega8515 still reads, but refuses every write.
void LockAgainstWriting(avr::CommandFrame& frame) {
    link::AvrLink& link = frame.Link();
    ASSERT_TRUE(link.EnterProgrammingMode());
    for (std::uint8_t b : {std::uint8_t{0xAC}, std::uint8_t{0xE0}, std::uint8_t{0x00}, std::uint8_t{0xFE}}) {
        link.SpiTransfer(b);
        link.ClockXtal(10);
    }
    frame.Clock().Sleep(10);
    link.AllLinesOff();
}

struct Path {
    std::string name;
    std::string eeprom;  // the 24Cxx in the socket, or "none"
    std::string avr;     // the AVR in the socket, or "none"
    std::vector<std::string> faults;
    std::function<CommandOutcome(eeprom::CommandFrame&, avr::CommandFrame&, const TempFolder&)> run;
};

TEST(ErrorBoxes, EveryOneShowsWithEveryLineOff) {
    const auto read = [](eeprom::CommandFrame& f, avr::CommandFrame&, const TempFolder&) {
        return eeprom::ReadChip(f);
    };
    const auto program = [](eeprom::CommandFrame& f, avr::CommandFrame&, const TempFolder&) {
        return eeprom::ProgramChip(f);
    };
    const auto verify = [](eeprom::CommandFrame& f, avr::CommandFrame&, const TempFolder&) {
        return eeprom::VerifyChip(f);
    };
    const auto identify = [](eeprom::CommandFrame&, avr::CommandFrame& a, const TempFolder&) {
        return avr::IdentifyMicro(a);
    };
    const auto writeFlash = [](eeprom::CommandFrame&, avr::CommandFrame& a, const TempFolder& folder) {
        return avr::ProgramFlashFrom(a, folder.Write("f.bin", std::vector<std::uint8_t>(128, 0x3C)));
    };
    const std::vector<Path> paths{
        {"24Cxx read, no chip", "none", "none", {}, read},
        {"24Cxx read, SDA held low", "24C64", "none", {"sda-stuck-low"}, read},
        {"24Cxx program, no chip", "none", "none", {}, program},
        {"24Cxx program, page 3 refused", "24C64", "none", {"eeprom-refuse-page:3:30"}, program},
        {"24Cxx program, SDA held low", "24C64", "none", {"sda-stuck-low"}, program},
        {"24Cxx verify, no chip", "none", "none", {}, verify},
        {"24Cxx verify, SDA held low", "24C64", "none", {"sda-stuck-low"}, verify},
        {"AVR, no device", "none", "none", {}, identify},
        {"AVR, locked", "none", "atmega8515", {"avr-locked"}, identify},
        {"AVR, unknown signature", "none", "atmega8515", {"avr-unknown-signature"}, writeFlash},
        {"AVR erase, no device", "none", "none", {},
         [](eeprom::CommandFrame&, avr::CommandFrame& a, const TempFolder&) { return avr::EraseChip(a); }},
        {"AVR flash byte", "none", "at90s8515", {"avr-flash-stuck:0x10"}, writeFlash},
        {"AVR flash page", "none", "atmega8515", {"avr-flash-stuck:0x10"}, writeFlash},
        {"AVR EEPROM byte", "none", "atmega8515", {},
         [](eeprom::CommandFrame&, avr::CommandFrame& a, const TempFolder& folder) {
             LockAgainstWriting(a);
             return avr::ProgramEepromFrom(a, folder.Write("e.bin", std::vector<std::uint8_t>{0x12}));
         }},
        {"AVR fuses not read back", "none", "atmega8515", {},
         [](eeprom::CommandFrame&, avr::CommandFrame& a, const TempFolder&) {
             LockAgainstWriting(a);
             FactoryPanel panel;
             avr::FuseMemory memory;
             return avr::WriteFuses(a, panel, memory);
         }},
    };
    for (const auto& path : paths) {
        SCOPED_TRACE(path.name);
        TempFolder folder;
        board::BoardOptions options;
        options.board = "sim";
        options.simDir = folder.Path("chips");
        options.simEeprom = path.eeprom;
        options.simAvr = path.avr;
        options.simFaults = path.faults;
        board::Board board = board::OpenBoard(options);
        ASSERT_TRUE(board.Usable()) << board.error;
        link::BoardLines lines(*board.port);
        link::BitTiming timing(*board.clock);
        timing.CalibrateBitDelay();
        RecordingShell shell;
        shell.portProbe = [&] { return board.simulation->DataByte(); };
        eeprom::EepromWorkspace workspace;
        workspace.cbChipChange(6);  // 24C64
        eeprom::CommandFrame eepromFrame(workspace, lines, timing, shell);
        QuietView view;
        avr::CommandFrame avrFrame(lines, timing, shell, view);

        EXPECT_EQ(path.run(eepromFrame, avrFrame, folder), CommandOutcome::Failed);
        ASSERT_FALSE(shell.messages.empty());
        EXPECT_EQ(shell.messages.back().caption, shell.messages.back().plain ? "" : "ERROR");
        EXPECT_EQ(shell.portAtMessages, std::vector<int>(shell.messages.size(), 0x00)) << shell.messages.back().text;
        EXPECT_EQ(board.simulation->DataByte(), 0x00);
    }
}

}  // namespace
}  // namespace tarpel::test
