// SPDX-License-Identifier: GPL-2.0-or-later
// The simulated FTDI adapters in front of the simulated board: 24Cxx chips and the AVRs written
// and read back whole without a protocol violation, and the line traces, taken between the adapter
// and the board, decoded by sigrok as the same transactions as through the parallel port.
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "ExternalTool.h"
#include "RecordingShell.h"
#include "TempFolder.h"
#include "board/Board.h"
#include "cli/AvrCommands.h"
#include "cli/AvrReadCommands.h"
#include "cli/BoardCommands.h"
#include "cli/Cli.h"
#include "cli/EepromCommands.h"
#include "eeprom/ChipCatalogue.h"
#include "eeprom/ChipCommands.h"
#include "link/BitTiming.h"
#include "sim/ChipStore.h"
#include "sim/SimulatedBoard.h"

namespace tarpel::test {
namespace {

class FtdiAdapterCli : public ::testing::Test {
protected:
    void SetUp() override {
        cli::RegisterBoardCommands(table);
        cli::RegisterEepromCommands(table);
        cli::RegisterAvrCommands(table);
        cli::RegisterAvrReadCommands(table);
    }
    // Runs on `board` with its own store folder per board kind.
    int Run(const std::string& board, std::vector<std::string> args) {
        out.str("");
        err.str("");
        args.insert(args.begin(), {"--board", board, "--sim-dir", Chips(board)});
        return cli::RunCli(table, args, out, err);
    }
    std::string Chips(const std::string& board) const { return folder.Path("chips-" + board.substr(board.find(':') + 1)); }
    // The decoder's annotations of a trace, one per line, without the decoder's prefix.
    static std::string Decoded(const std::string& trace, const std::string& decoders, const std::string& annotations) {
        const std::string output = CommandOutput("sigrok-cli -I vcd:downsample=1000 -i '" + trace + "' -P " +
                                                 decoders + " -A " + annotations + " 2>&1");
        std::string text;
        std::istringstream lines(output);
        for (std::string line; std::getline(lines, line);) text += line.substr(line.find(' ') + 1) + "\n";
        return text;
    }

    TempFolder folder;
    cli::CommandTable table;
    std::ostringstream out;
    std::ostringstream err;
};

// One 24Cxx command on `board` with the workspace's chip in the socket, traced; the chip's
// protocol violations.
std::string Run24Cxx(const TempFolder& folder, const std::string& board, const std::string& trace,
                     eeprom::EepromWorkspace& workspace, shell::CommandOutcome (*command)(eeprom::CommandFrame&),
                     bool fast = false) {
    board::BoardOptions options;
    options.board = board;
    options.simDir = folder.Path("chips-" + board);
    options.simEeprom = std::string(eeprom::ChipCatalogue[static_cast<std::size_t>(workspace.ChipIndex())].name);
    options.simAvr = "none";
    options.traceFile = trace;
    board::Board opened = board::OpenBoard(options);
    EXPECT_TRUE(opened.Usable()) << opened.error;
    link::BoardLines lines(*opened.port);
    link::BitTiming timing(*opened.clock);
    timing.CalibrateBitDelay();
    timing.FastTiming = fast;
    RecordingShell shell;
    eeprom::CommandFrame frame(workspace, lines, timing, shell);
    EXPECT_EQ(command(frame), shell::CommandOutcome::Done);
    std::string violations;
    for (const auto& entry : opened.simulation->Eeprom()->Violations().Entries()) violations += entry.description + "\n";
    return violations;
}

// One chip of each addressing form: the block bits of a 24C04 and of a 24C16 in the control
// byte, and the two address bytes of the larger chips.
TEST_F(FtdiAdapterCli, A24CxxRoundTripsThroughBothAdaptersWithTheParallelPortsTransactions) {
    TARPEL_REQUIRE_TOOL("sigrok-cli");
    std::mt19937 random(19);
    const std::string i2c = "i2c:scl=SCL:sda=SDA";
    const std::string events = "i2c=start:repeat-start:stop:ack:nack:address-read:address-write:data-read:data-write";

    for (const int chip : {2, 4, 5}) {
        eeprom::EepromWorkspace blank;
        blank.cbChipChange(chip);
        SCOPED_TRACE(eeprom::ChipCatalogue[static_cast<std::size_t>(chip)].name);
        std::vector<std::uint8_t> image(static_cast<std::size_t>(blank.ChipSize));
        for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
        std::string parallelWrite;
        std::string parallelRead;
        for (const std::string board : {"sim", "sim:ft232h", "sim:ft232r"}) {
            SCOPED_TRACE(board);
            const std::string writeTrace = folder.Path("write-" + board + ".vcd");
            const std::string readTrace = folder.Path("read-" + board + ".vcd");
            eeprom::EepromWorkspace written;
            written.cbChipChange(chip);
            std::ranges::copy(image, written.MemoryImage.begin());
            EXPECT_EQ(Run24Cxx(folder, board, writeTrace, written, eeprom::ProgramChip), "") << "no timing was cut short";
            eeprom::EepromWorkspace read;
            read.cbChipChange(chip);
            EXPECT_EQ(Run24Cxx(folder, board, readTrace, read, eeprom::ReadChip), "");
            EXPECT_TRUE(std::equal(image.begin(), image.end(), read.MemoryImage.begin()));
            // The fast timing's short waits hold too: the adapter samples its pins at every byte,
            // but only the samples the program uses are reads of SDA.
            eeprom::EepromWorkspace fastRead;
            fastRead.cbChipChange(chip);
            EXPECT_EQ(Run24Cxx(folder, board, "", fastRead, eeprom::ReadChip, true), "");
            EXPECT_TRUE(std::equal(image.begin(), image.end(), fastRead.MemoryImage.begin()));

            // The acknowledge polls of the write cycles are left out: their number follows the time
            // a poll costs, which the adapter's round trips lengthen.
            static const std::regex poll("Start\nWrite\nAddress write: [0-9A-F]{2}\nNACK\nStop\n");
            const std::string writes = std::regex_replace(Decoded(writeTrace, i2c, events), poll, "");
            const std::string reads = Decoded(readTrace, i2c, events);
            if (board == "sim") {
                parallelWrite = writes;
                parallelRead = reads;
                ASSERT_NE(reads.find("Data read: "), std::string::npos) << "the decode works at all";
                continue;
            }
            EXPECT_EQ(writes, parallelWrite);
            EXPECT_EQ(reads, parallelRead);
        }
    }

    // board check names the adapter it went through.
    ASSERT_EQ(Run("sim:ft232h", {"board", "check"}), cli::ExitSuccess);
    EXPECT_EQ(out.str(), "Placa: simulada tras un FT232H simulado\n");
    EXPECT_EQ(err.str(), "OK: El Velcor responde correctamente!!!\n");
}

TEST_F(FtdiAdapterCli, EachAvrsFlashRoundTripsThroughBothAdaptersWithTheParallelPortsInstructions) {
    TARPEL_REQUIRE_TOOL("sigrok-cli");
    const std::string flash = folder.Write("p.hex", ":080000000C9412345678ABCDCC\r\n:00000001FF\r\n");
    for (const std::string avr : {"at90s4414", "at90s8515", "atmega8515", "atmega162"}) {
        SCOPED_TRACE(avr);
        std::string parallel;
        for (const std::string board : {"sim", "sim:ft232h", "sim:ft232r"}) {
            SCOPED_TRACE(board);
            const std::string trace = folder.Path("avr-" + avr + "-" + board + ".vcd");
            const std::vector<std::string> device{"--sim-eeprom", "none", "--sim-avr", avr};
            auto args = device;
            args.insert(args.end(), {"--trace", trace, "avr", "write-flash", flash});
            ASSERT_EQ(Run(board, args), cli::ExitSuccess) << err.str();
            EXPECT_EQ(err.str(), "");
            const auto stored = sim::ChipStore(Chips(board)).Load(avr + "-flash.bin", 4096);
            EXPECT_EQ(std::vector<std::uint8_t>(stored.begin(), stored.begin() + 9),
                      (std::vector<std::uint8_t>{0x0C, 0x94, 0x12, 0x34, 0x56, 0x78, 0xAB, 0xCD, 0xFF}));
            args = device;
            args.insert(args.end(), {"avr", "verify-flash", flash});
            EXPECT_EQ(Run(board, args), cli::ExitSuccess) << err.str();

            // The instructions the device received, four bytes each, but for the flash reads of
            // the polling, whose number follows the time a sample costs.
            std::istringstream bytes(Decoded(trace, "spi:clk=SCK:mosi=MOSI:miso=MISO", "spi=mosi-data"));
            std::string instructions;
            for (std::string b0, b1, b2, b3; bytes >> b0 >> b1 >> b2 >> b3;)
                if (b0 != "20" && b0 != "28") instructions += b0 + " " + b1 + " " + b2 + " " + b3 + "\n";
            if (board == "sim") {
                parallel = instructions;
                ASSERT_EQ(parallel.rfind("AC 53 00 00\n30 00 00 00\n", 0), 0u) << parallel;
                ASSERT_NE(parallel.find(" CD\n"), std::string::npos) << parallel;
                continue;
            }
            EXPECT_EQ(instructions, parallel);
        }
    }
}

// The deferred reads judge what comes back as the parallel port's routines do: a flash cell that
// does not take, in the middle of a page whose read-back goes out in one batch, and a 24Cxx page
// refused until the attempts run out, end each command with the same message on every port kind.
TEST_F(FtdiAdapterCli, AFaultyChipFailsEachCommandAlikeThroughEveryPortKind) {
    std::vector<std::uint8_t> bytes(256);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
    const std::string image = folder.Write("image.bin", bytes);
    std::string parallelFlash;
    std::string parallelEeprom;
    for (const std::string board : {"sim", "sim:ft232h", "sim:ft232r"}) {
        SCOPED_TRACE(board);
        EXPECT_EQ(Run(board, {"--sim-eeprom", "none", "--sim-avr", "atmega8515", "--sim-fault", "avr-flash-stuck:0x5B",
                              "avr", "write-flash", image}),
                  cli::ExitFailure);
        if (board == "sim") {
            parallelFlash = err.str();
            EXPECT_NE(parallelFlash.find("5B"), std::string::npos) << parallelFlash;
        }
        EXPECT_EQ(err.str(), parallelFlash);
        EXPECT_EQ(Run(board, {"--sim-eeprom", "24C04", "--sim-avr", "none", "--sim-fault", "eeprom-refuse-page:5:40",
                              "eeprom", "write", image, "--chip", "24C04"}),
                  cli::ExitFailure);
        if (board == "sim") parallelEeprom = err.str();
        EXPECT_NE(parallelEeprom, "");
        EXPECT_EQ(err.str(), parallelEeprom);
    }
}

}  // namespace
}  // namespace tarpel::test
