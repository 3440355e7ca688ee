// SPDX-License-Identifier: GPL-2.0-or-later
// What the board itself reports to tarpel-cli: a simulated chip whose contents cannot be saved,
// a simulated board that another program holds, and a port that stops working in the middle of
// a command. Each is an error with exit status 1, never a cancel, and a command never goes on
// into nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "FileSizeLimit.h"
#include "RecordingShell.h"
#include "TempFolder.h"
#include "avr/AvrView.h"
#include "avr/CommandFrame.h"
#include "avr/ProgramFlash.h"
#include "avr/ReadMemory.h"
#include "board/Board.h"
#include "cli/AvrCommands.h"
#include "cli/AvrReadCommands.h"
#include "cli/Cli.h"
#include "cli/ConsoleShell.h"
#include "cli/EepromCommands.h"
#include "eeprom/ChipCommands.h"
#include "link/BoardLines.h"
#include "sim/ChipStore.h"

namespace tarpel::test {
namespace {

namespace fs = std::filesystem;

struct BoardCli {
    BoardCli() {
        cli::RegisterEepromCommands(table);
        cli::RegisterAvrCommands(table);
        cli::RegisterAvrReadCommands(table);
    }
    int Run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        args.insert(args.begin(), {"--board", board, "--sim-dir", Chips()});
        return cli::RunCli(table, args, out, err);
    }
    std::string Chips() const { return folder.Path("chips"); }

    std::string board = "sim";
    TempFolder folder;
    cli::CommandTable table;
    std::ostringstream out;
    std::ostringstream err;
};

std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + 5);
    return bytes;
}

TEST(BoardFailure, AVirtualChipThatCannotBeSavedIsAnError) {
    // A folder that refuses the chip's file, and a full disk (as root too, unlike permissions);
    // the same through the simulated adapters, whose port passes the board's failure on.
    for (const char* board : {"sim", "sim:ft232r", "sim:ft232h"}) {
        SCOPED_TRACE(board);
        {
            BoardCli cli;
            cli.board = board;
            const std::string image = cli.folder.Write("image.bin", Pattern(512));
            fs::create_directories(fs::path(cli.Chips()) / "24C04.bin");  // where the file should go
            EXPECT_EQ(cli.Run({"--sim-eeprom", "24C04", "eeprom", "write", "--chip", "24C04", image}),
                      cli::ExitFailure);
            EXPECT_EQ(cli.err.str().rfind("ERROR: No se puede guardar el chip simulado 24C04.bin en la carpeta " +
                                              cli.Chips() + ": ",
                                          0),
                      0u)
                << cli.err.str();
            EXPECT_NE(cli.err.str().find("--sim-dir"), std::string::npos);
        }
        {
            BoardCli cli;
            cli.board = board;
            const std::string image = cli.folder.Write("image.bin", Pattern(512));
            FileSizeLimit full(100);
            EXPECT_EQ(cli.Run({"--sim-eeprom", "none", "--sim-avr", "at90s8515", "avr", "write-eeprom", image}),
                      cli::ExitFailure);
            EXPECT_NE(cli.err.str().find("ERROR: No se puede guardar el chip simulado at90s8515-eeprom.bin"),
                      std::string::npos)
                << cli.err.str();
        }
        {
            BoardCli cli;
            cli.board = board;
            fs::create_directories(fs::path(cli.Chips()) / "atmega8515-fuses.bin");
            EXPECT_EQ(cli.Run({"--sim-eeprom", "none", "--sim-avr", "atmega8515", "avr", "write-fuses", "--boden"}),
                      cli::ExitFailure);
            EXPECT_NE(cli.err.str().find("ERROR: No se puede guardar el chip simulado atmega8515-fuses.bin"),
                      std::string::npos)
                << cli.err.str();
        }
    }
}

TEST(BoardFailure, ASecondProgramOnTheSameSimulatedBoardStopsBeforeTouchingAnything) {
    BoardCli cli;
    ASSERT_TRUE(sim::ChipStore(cli.Chips()).Save("24C04.bin", Pattern(512)));
    const std::string image = cli.folder.Write("image.bin", std::vector<std::uint8_t>(512, 0x00));
    const std::string trace = cli.folder.Path("run.vcd");
    const std::vector<std::string> write = {"--trace", trace, "--sim-eeprom", "24C04", "eeprom", "write",
                                            "--chip", "24C04", image};
    {
        board::BoardOptions options;
        options.board = "sim";
        options.simDir = cli.Chips();
        const board::Board first = board::OpenBoard(options);  // the other program, still open
        ASSERT_TRUE(first.Usable()) << first.error;

        EXPECT_EQ(cli.Run(write), cli::ExitFailure);
        EXPECT_EQ(cli.err.str(), "ERROR: La placa simulada de la carpeta " + cli.Chips() +
                                     " esta en uso por otro programa (tarpel o tarpel-cli). Espere a que termine "
                                     "o cierrelo, o use otra carpeta con --sim-dir.\n");
        EXPECT_FALSE(fs::exists(trace)) << "no trace begun";
        EXPECT_EQ(sim::ChipStore(cli.Chips()).Load("24C04.bin", 512), Pattern(512)) << "the chip untouched";
    }
    // Once the other program has closed its board, the folder is free.
    EXPECT_EQ(cli.Run(write), cli::ExitSuccess) << cli.err.str();
    EXPECT_EQ(sim::ChipStore(cli.Chips()).Load("24C04.bin", 512), std::vector<std::uint8_t>(512, 0x00));
}

// A port that stops working after a number of accesses, as a parallel port whose card is pulled:
// writes go nowhere, reads give 0xFF, and the first failure is kept.
class FailingPort final : public port::Port {
public:
    FailingPort(port::Port& inner, long workingAccesses) : inner_(inner), workingAccesses_(workingAccesses) {}

    void DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) override {
        if (Fails()) return;
        inner_.DlPortWritePortUchar(port, value);
    }
    std::uint8_t DlPortReadPortUchar(std::uint16_t port) override {
        return Fails() ? 0xFF : inner_.DlPortReadPortUchar(port);
    }
    std::string Failure() const override { return failed_ ? "Fallo al escribir en el puerto /dev/parport9" : ""; }

    long accessesAfterFailure = 0;

private:
    bool Fails() {
        if (workingAccesses_-- > 0) return false;
        failed_ = true;
        ++accessesAfterFailure;
        return true;
    }
    port::Port& inner_;
    long workingAccesses_;
    bool failed_ = false;
};

struct NoView final : avr::AvrView {
    void SetDeviceCaption(std::string_view) override {}
};

TEST(BoardFailure, ACommandStopsAtItsNextByteOrPageOnceThePortFailsAndHasFailed) {
    struct Case {
        const char* name;
        const char* model;  // an AVR, or the 24Cxx read whole
        bool program;
    };
    for (const Case c : {Case{"flash read", "at90s8515", false}, Case{"page-mode flash program", "atmega8515", true},
                         Case{"24Cxx read", "24C256", false}}) {
        const bool eepromRead = std::string(c.model) == "24C256";
        TempFolder folder;
        board::BoardOptions options;
        options.board = "sim";
        options.simDir = folder.Path("chips");
        options.simEeprom = eepromRead ? c.model : "none";
        options.simAvr = eepromRead ? "none" : c.model;
        board::Board board = board::OpenBoard(options);
        ASSERT_TRUE(board.Usable()) << board.error;
        // Well past the identification, well before the end.
        FailingPort port(*board.port, 400'000);
        link::BoardLines lines(port);
        std::ostringstream err;
        cli::ConsoleShell shell(err, false);
        NoView view;
        link::BitTiming timing(*board.clock);
        timing.CalibrateBitDelay();
        avr::CommandFrame frame(lines, timing, shell, view);
        eeprom::EepromWorkspace workspace;
        workspace.cbChipChange(8);
        eeprom::CommandFrame eepromFrame(workspace, lines, timing, shell);

        const auto outcome = eepromRead ? eeprom::ReadChip(eepromFrame)
                             : c.program ? avr::ProgramFlashFrom(frame, folder.Write("in.bin", Pattern(8192)))
                                         : avr::ReadFlashTo(frame, folder.Path("out.bin"));
        // Failed, as tarpel-cli and the window report it: the shell saw no cancel.
        EXPECT_EQ(outcome, shell::CommandOutcome::Failed) << c.name;
        EXPECT_FALSE(shell.ProgressCancelRequested()) << c.name;
        ASSERT_GT(port.accessesAfterFailure, 0) << c.name << ": the port failed during the command";
        // The rest of one instruction, a few XTAL1 clocks and the switching off: no instruction
        // after the failure (one is some 700 accesses; the read-back polls would be millions).
        EXPECT_LT(port.accessesAfterFailure, 5'000) << c.name;
        EXPECT_FALSE(fs::exists(folder.Path("out.bin"))) << c.name;
        if (eepromRead) {
            EXPECT_LT(workspace.BytesRead, workspace.ChipSize) << "stopped part-way";
        }
    }
}

}  // namespace
}  // namespace tarpel::test
