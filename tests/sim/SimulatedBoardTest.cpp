// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "RecordingShell.h"
#include "SimChipFixture.h"
#include "VcdReader.h"
#include "board/Board.h"
#include "link/BitTiming.h"
#include "board/CheckBoard.h"
#include "sim/SimulatedClock.h"

namespace tarpel::test {
namespace {

// An AVR socket device that only listens and drives MISO when told to.
class ListeningAvr final : public sim::AvrSocketChip {
public:
    std::vector<std::uint8_t> writes;
    std::vector<std::uint64_t> times;
    std::optional<bool> miso;
    void OnDataWrite(std::uint8_t data, std::uint64_t nowNs) override {
        writes.push_back(data);
        times.push_back(nowNs);
    }
    std::optional<bool> Miso(std::uint64_t) const override { return miso; }
    const sim::ViolationLog& Violations() const override { return log; }
    void ClearViolations() override {}
    sim::ViolationLog log;
};

TEST(SimulatedBoard, StatusByteReportsTheSdaBusInvertedAndMisoAsItReads) {
    auto avr = std::make_unique<ListeningAvr>();
    ListeningAvr* device = avr.get();
    sim::SimulatedBoard board(nullptr, std::move(avr));
    // No 24Cxx: the return line follows the PC's SDA; MISO rests high while not driven.
    board.DlPortWritePortUchar(port::DataPort, 0x1F);
    EXPECT_EQ(board.DlPortReadPortUchar(port::StatusPort), 0x7F);
    board.DlPortWritePortUchar(port::DataPort, 0x0F);
    EXPECT_EQ(board.DlPortReadPortUchar(port::StatusPort), 0xFF);
    device->miso = false;
    EXPECT_EQ(board.DlPortReadPortUchar(port::StatusPort), 0xBF);
    device->miso = true;
    EXPECT_EQ(board.DlPortReadPortUchar(port::StatusPort), 0xFF);
    device->miso.reset();
    board.misoRestingLevel = false;
    EXPECT_EQ(board.DlPortReadPortUchar(port::StatusPort), 0xBF);
    // Stuck return lines, whatever the bus does.
    board.returnLineFault = sim::ReturnLineFault::StuckHigh;
    EXPECT_EQ(board.DlPortReadPortUchar(port::StatusPort) & 0x80, 0);
    board.returnLineFault = sim::ReturnLineFault::StuckLow;
    board.DlPortWritePortUchar(port::DataPort, 0x1F);
    EXPECT_EQ(board.DlPortReadPortUchar(port::StatusPort) & 0x80, 0x80);
    // Only the status port is wired.
    EXPECT_EQ(board.DlPortReadPortUchar(0x37A), 0xFF);
}

TEST(SimulatedBoard, BothSocketsSeeEveryDataWriteAndEveryAccessCostsTime) {
    TemporaryFolder folder;
    auto eeprom = std::make_unique<sim::Virtual24Cxx>(sim::Eeprom24CxxModels[7], sim::ChipStore(folder.String()));
    sim::Virtual24Cxx* chip = eeprom.get();
    auto avr = std::make_unique<ListeningAvr>();
    ListeningAvr* device = avr.get();
    sim::SimulatedBoard board(std::move(eeprom), std::move(avr));
    board.accessTimeNs = 250;
    board.DlPortWritePortUchar(port::DataPort, 0x07);  // the AVR side's power-up powers the 24Cxx too
    board.DlPortWritePortUchar(port::DataPort, 0x07);  // a rewrite of the same byte still reaches both
    board.DlPortReadPortUchar(port::StatusPort);
    board.DlPortWritePortUchar(0x37A, 0x00);  // the control port reaches no socket
    EXPECT_TRUE(chip->Powered());
    EXPECT_EQ(device->writes, (std::vector<std::uint8_t>{0x07, 0x07}));
    EXPECT_EQ(device->times, (std::vector<std::uint64_t>{250, 500}));
    EXPECT_EQ(board.Time().NowNs(), 1000u);
    EXPECT_EQ(board.DataByte(), 0x07);
}

TEST(SimulatedClock, BusyWaitsEndOnVirtualTimeAndSleepOnlyMovesItOn) {
    sim::VirtualTime time;
    sim::SimulatedClock clock(time);
    link::BitTiming timing(clock);
    timing.CalibrateBitDelay();
    ASSERT_TRUE(timing.HasPerformanceCounter);
    EXPECT_EQ(timing.CounterFrequency, 1e9);
    timing.DelayFactor = 4;
    timing.BitDelay();
    // 100 us, overshooting by at most one counter reading.
    EXPECT_GT(time.NowNs(), 100'000u);
    EXPECT_LE(time.NowNs(), 100'000u + 2 * clock.counterReadNs);

    const std::uint32_t before = clock.GetTickCount();
    clock.Sleep(1500);
    EXPECT_EQ(clock.GetTickCount() - before, 1500u);
    const auto counter = clock.QueryPerformanceCounter();
    EXPECT_EQ(clock.QueryPerformanceCounter() - counter, static_cast<std::int64_t>(clock.counterReadNs));
}

board::BoardOptions SimOptions(const TemporaryFolder& folder) {
    board::BoardOptions options;
    options.board = "sim";
    options.simDir = folder.String();
    options.simAvr = "none";
    return options;
}

TEST(OpenBoard, TheSimulationRunsOnItsOwnClockWithTheChosenChip) {
    TemporaryFolder folder;
    auto options = SimOptions(folder);
    options.simEeprom = "24c32";  // any case
    options.simFaults = {"eeprom-refuse-page:3:2", "sda-stuck-low"};
    options.simEepromWriteMs = 2.3;
    board::Board board = board::OpenBoard(options);
    ASSERT_TRUE(board.Usable()) << board.error;
    EXPECT_EQ(board.description, "Placa: simulada");
    ASSERT_NE(board.simulation, nullptr);
    auto* chip = dynamic_cast<sim::Virtual24Cxx*>(board.simulation->Eeprom());
    ASSERT_NE(chip, nullptr);
    EXPECT_EQ(chip->Model().name, "24C32");
    EXPECT_EQ(chip->writeCycleNs, 2'300'000u);
    EXPECT_EQ(board.simulation->Avr(), nullptr);
    EXPECT_EQ(board.simulation->returnLineFault, sim::ReturnLineFault::StuckLow);
    // An hour of sleep is an instant of wall time.
    board.clock->Sleep(3'600'000);
    EXPECT_EQ(board.simulation->Time().NowNs(), 3'600'000'000'000u);
    board.port->DlPortWritePortUchar(port::DataPort, 0x1F);
    EXPECT_EQ(board.simulation->Time().NowNs(), 3'600'000'001'000u);
}

TEST(OpenBoard, NoChipInTheSocket) {
    TemporaryFolder folder;
    auto options = SimOptions(folder);
    options.simEeprom = "none";
    board::Board board = board::OpenBoard(options);
    ASSERT_TRUE(board.Usable());
    EXPECT_EQ(board.simulation->Eeprom(), nullptr);
}

TEST(OpenBoard, AFailingRealPortGivesAnErrorAndAnInertPortNeverTheSimulation) {
    board::BoardOptions options;
    options.board = "ppdev:/dev/tarpel-no-such-parport";
    board::Board board = board::OpenBoard(options);
    EXPECT_FALSE(board.Usable());
    EXPECT_FALSE(board.badOptions);
    EXPECT_NE(board.error.find("/dev/tarpel-no-such-parport"), std::string::npos);
    EXPECT_EQ(board.description, "Placa: /dev/tarpel-no-such-parport");
    EXPECT_EQ(board.simulation, nullptr);
    ASSERT_NE(board.port, nullptr);
    ASSERT_NE(board.clock, nullptr);
    board.port->DlPortWritePortUchar(port::DataPort, 0x0F);
    EXPECT_EQ(board.port->DlPortReadPortUchar(port::StatusPort), 0x7F);  // SDA high: no acknowledge
}

TEST(OpenBoard, TheAutomaticChoiceTakesTheParallelPortOnlyWhenItExists) {
    TemporaryFolder folder;
    auto options = SimOptions(folder);
    options.board = "";
    board::Board board = board::OpenBoard(options);
    if (std::filesystem::exists("/dev/parport0")) {
        EXPECT_EQ(board.description, "Placa: /dev/parport0");
        EXPECT_EQ(board.simulation, nullptr);
    } else {
        EXPECT_EQ(board.description, "Placa: simulada");
        EXPECT_NE(board.simulation, nullptr);
    }
}

TEST(OpenBoard, OptionsThatMakeNoSenseAreUsageErrors) {
    TemporaryFolder folder;
    const std::vector<std::function<void(board::BoardOptions&)>> mistakes = {
        [](auto& o) { o.board = "usb"; },
        [](auto& o) { o.board = "ppdev:"; },
        [](auto& o) { o.board = "ftdi:"; },
        [](auto& o) { o.board = "sim:ft232x"; },
        [](auto& o) { o.simEeprom = "24LC1025"; },  // its block bit needs A2 high
        [](auto& o) { o.simFaults = {"eeprom-refuse-page:x:1"}; },
        [](auto& o) { o.simFaults = {"sda-stuck-sideways"}; },
        [](auto& o) { o.simFaults = {"sda-stuck-high", "sda-stuck-low"}; },
        [](auto& o) { o.simAvr = "z80"; },
        [](auto& o) { o.simEepromWriteMs = -0.5; },
        [](auto& o) { o.simEepromWriteMs = std::nan(""); },
    };
    for (std::size_t i = 0; i < mistakes.size(); ++i) {
        auto options = SimOptions(folder);
        mistakes[i](options);
        board::Board board = board::OpenBoard(options);
        EXPECT_FALSE(board.Usable()) << i;
        EXPECT_TRUE(board.badOptions) << i;
        EXPECT_EQ(board.simulation, nullptr) << i;
        EXPECT_EQ(board.port->DlPortReadPortUchar(port::StatusPort), 0x7F) << i;
    }
    // Both lists come from the one table of board kinds.
    auto unknown = SimOptions(folder);
    unknown.board = "usb";
    EXPECT_EQ(board::ValidateBoardOptions(unknown),
              "Placa desconocida: usb (use sim, sim:ft232r, sim:ft232h, ppdev, ppdev:/dev/parportN, direct, ftdi o "
              "ftdi:SERIE)");
    EXPECT_EQ(board::BoardKindsHelp(), "sim | sim:ft232r | sim:ft232h | ppdev[:/dev/parportN] | direct | ftdi[:SERIE]");
}

TEST(OpenBoard, TheTraceWrapsTheChosenBoard) {
    TemporaryFolder folder;
    auto options = SimOptions(folder);
    options.traceFile = (folder.Path() / "board.vcd").string();
    {
        board::Board board = board::OpenBoard(options);
        ASSERT_TRUE(board.Usable()) << board.error;
        link::BoardLines lines(*board.port);
        lines.BusPowerUp();
        lines.AllOff();
    }
    const VcdTrace trace = ReadVcd(options.traceFile);
    EXPECT_EQ(trace.At("SUPPLY", 1000), '1');
    EXPECT_EQ(trace.At("SDA", 1000), '1');
    EXPECT_EQ(trace.At("SUPPLY", 2000), '0');

    options.traceFile = (folder.Path() / "missing" / "board.vcd").string();
    board::Board failed = board::OpenBoard(options);
    EXPECT_FALSE(failed.Usable());
    EXPECT_FALSE(failed.badOptions);
    EXPECT_EQ(failed.simulation, nullptr);
}

TEST(CheckBoardOnTheSimulation, PassesAndFailsWithEachStuckReturnLine) {
    TemporaryFolder folder;
    struct Case {
        std::vector<std::string> faults;
        std::string eeprom;
        bool ok;
        const char* text;
    };
    const Case cases[] = {
        {{}, "24C128", true, "El Velcor responde correctamente!!!"},
        {{}, "none", true, "El Velcor responde correctamente!!!"},
        {{"sda-stuck-low"}, "24C128", false, "El Velcor no responde correctamente!!!"},
        {{"sda-stuck-high"}, "24C128", false, "El Velcor NO responde correctamente!!!"},
    };
    for (const auto& c : cases) {
        auto options = SimOptions(folder);
        options.simFaults = c.faults;
        options.simEeprom = c.eeprom;
        board::Board board = board::OpenBoard(options);
        ASSERT_TRUE(board.Usable()) << board.error;
        link::BoardLines lines(*board.port);
        RecordingShell shell;
        EXPECT_EQ(board::CheckBoard(lines, shell), c.ok) << c.text;
        ASSERT_EQ(shell.messages.size(), 1u);
        EXPECT_EQ(shell.messages[0].text, c.text);
        EXPECT_EQ(board.simulation->DataByte(), 0x00);
        // The start and stop it makes on the 24Cxx socket do the chip no harm.
        if (auto* chip = board.simulation->Eeprom()) {
            EXPECT_TRUE(chip->Violations().Empty());
        }
    }
}

}  // namespace
}  // namespace tarpel::test
