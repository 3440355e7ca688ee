// SPDX-License-Identifier: GPL-2.0-or-later
// Both timings end to end through tarpel-cli with --sim-strict: every catalogue 24Cxx and every
// AVR written, read back and verified with the fast timing, a few with the standard one, on the
// parallel port and through both simulated FTDI adapters (whose waits are the pin clock's), with
// not one protocol violation logged by the virtual chips (which check the datasheets' minimum
// timings); and a violation, when there is one, reported and failing the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "cli/AvrCommands.h"
#include "cli/AvrReadCommands.h"
#include "cli/Cli.h"
#include "cli/EepromCommands.h"
#include "eeprom/ChipCatalogue.h"
#include "sim/ChipStore.h"

namespace tarpel::test {
namespace {

struct StrictCli {
    StrictCli() {
        cli::RegisterEepromCommands(table);
        cli::RegisterAvrCommands(table);
        cli::RegisterAvrReadCommands(table);
    }
    // One run on the simulated board with --sim-strict; `socket` picks the chips.
    int Run(const std::vector<std::string>& socket, std::vector<std::string> args, const std::string& board = "sim") {
        err.str("");
        out.str("");
        std::vector<std::string> all = {"--board", board, "--sim-dir", folder.Path("chips"), "--sim-strict"};
        all.insert(all.end(), socket.begin(), socket.end());
        all.insert(all.end(), args.begin(), args.end());
        return cli::RunCli(table, all, out, err);
    }
    std::vector<std::uint8_t> Stored(const std::string& file, std::size_t size) const {
        return sim::ChipStore(folder.Path("chips")).Load(file, size);
    }

    TempFolder folder;
    cli::CommandTable table;
    std::ostringstream out;
    std::ostringstream err;
};

std::vector<std::uint8_t> Pattern(std::size_t size, unsigned seed) {
    std::vector<std::uint8_t> bytes(size);
    unsigned x = seed;
    for (auto& byte : bytes) {
        x = x * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(x >> 16);
    }
    return bytes;
}

struct RoundTrip {
    std::string chip;  // a catalogue 24Cxx, or an AVR model
    bool fast;
    std::string board;
    std::vector<std::string> options = {};  // more board options
};

// Writes, reads back and verifies the chip, with no violation logged.
void RoundTripsWithoutAViolation(const RoundTrip& c) {
    StrictCli cli;
    const std::string name = c.chip + (c.fast ? " --fast" : "") + " on " + c.board;
    std::vector<std::string> timing = c.fast ? std::vector<std::string>{"--fast"} : std::vector<std::string>{};
    timing.insert(timing.end(), c.options.begin(), c.options.end());
    const auto run = [&](std::vector<std::string> socket, std::vector<std::string> args) {
        socket.insert(socket.end(), timing.begin(), timing.end());
        const int status = cli.Run(socket, args, c.board);
        EXPECT_EQ(status, cli::ExitSuccess) << name << ": " << args[1] << "\n" << cli.err.str();
        EXPECT_EQ(cli.err.str().find("violacion"), std::string::npos) << name << ": " << cli.err.str();
    };
    if (c.chip.starts_with("24C")) {
        const eeprom::ChipType* type = nullptr;
        for (const auto& chip : eeprom::ChipCatalogue)
            if (chip.name == c.chip) type = &chip;
        const auto size = static_cast<std::size_t>(type->size);
        const auto image = Pattern(size, static_cast<unsigned>(size) + c.fast);
        const std::string source = cli.folder.Write("image.bin", image);
        std::vector<std::string> socket = {"--sim-eeprom", c.chip, "--sim-avr", "none"};
        // The fast timing never ends an acknowledged control byte with a stop, which this chip
        // would take for a write cycle of its last page: it must lose nothing.
        if (c.fast) socket.insert(socket.end(), {"--sim-fault", "eeprom-stop-starts-cycle"});
        run(socket, {"eeprom", "write", source, "--chip", c.chip});
        EXPECT_EQ(cli.Stored(c.chip + ".bin", size), image) << name << ": the chip's own cells";
        run(socket, {"eeprom", "read", cli.folder.Path("copy.bin"), "--chip", c.chip});
        EXPECT_EQ(cli.folder.ReadBytes("copy.bin"), image) << name;
        run(socket, {"eeprom", "verify", source, "--chip", c.chip});
        return;
    }
    // Flash: 1 KiB of data and the rest erased, which keeps the byte-wise parts' 9 ms writes
    // few; EEPROM: all of it.
    const bool small = c.chip == "at90s4414";
    const std::size_t flashSize = small ? 4096 : c.chip == "atmega162" ? 16384 : 8192;
    const std::size_t eepromSize = small ? 256 : 512;
    auto flash = Pattern(1024, 7 + c.fast);
    const std::string flashFile = cli.folder.Write("flash.bin", flash);
    flash.resize(flashSize, 0xFF);
    const auto eeprom = Pattern(eepromSize, 11 + c.fast);
    const std::string eepromFile = cli.folder.Write("eeprom.bin", eeprom);
    const std::vector<std::string> socket = {"--sim-eeprom", "none", "--sim-avr", c.chip};
    run(socket, {"avr", "write-flash", flashFile});
    run(socket, {"avr", "write-eeprom", eepromFile});
    EXPECT_EQ(cli.Stored(c.chip + "-flash.bin", flashSize), flash) << name << ": the device's own flash";
    EXPECT_EQ(cli.Stored(c.chip + "-eeprom.bin", eepromSize), eeprom) << name << ": the device's own EEPROM";
    run(socket, {"avr", "read-flash", cli.folder.Path("flash-copy.bin")});
    EXPECT_EQ(cli.folder.ReadBytes("flash-copy.bin"), flash) << name;
    run(socket, {"avr", "read-eeprom", cli.folder.Path("eeprom-copy.bin")});
    EXPECT_EQ(cli.folder.ReadBytes("eeprom-copy.bin"), eeprom) << name;
    run(socket, {"avr", "verify-flash", flashFile});
    run(socket, {"avr", "verify-eeprom", eepromFile});
}

// Every chip in both timings (the standard one on one chip of each addressing form and the two
// page-writing AVRs), through each kind of port: one test each, so that they run side by side
// and none of them, the 256 KiB chip through the slowest adapter under the sanitizers included,
// comes near the test timeout.
std::vector<RoundTrip> RoundTrips() {
    std::vector<RoundTrip> cases;
    for (const char* board : {"sim", "sim:ft232h", "sim:ft232r"}) {
        for (const auto& chip : eeprom::ChipCatalogue) cases.push_back({std::string(chip.name), true, board});
        for (const char* model : {"at90s8515", "at90s4414", "atmega8515", "atmega162"}) cases.push_back({model, true, board});
        for (const char* chip : {"24C02", "24C04", "24C64", "24C1024"}) cases.push_back({chip, false, board});
        cases.push_back({"atmega8515", false, board});
        cases.push_back({"atmega162", false, board});
    }
    return cases;
}

void PrintTo(const RoundTrip& c, std::ostream* os) { *os << c.chip << (c.fast ? " --fast" : "") << " on " << c.board; }

class SimStrictRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(SimStrictRoundTrip, RoundTripsWithoutAProtocolViolation) { RoundTripsWithoutAViolation(GetParam()); }

INSTANTIATE_TEST_SUITE_P(EachChipAndPortKind, SimStrictRoundTrip, ::testing::ValuesIn(RoundTrips()),
                         [](const ::testing::TestParamInfo<RoundTrip>& c) {
                             std::string name = c.param.board + "_" + c.param.chip + (c.param.fast ? "_fast" : "");
                             std::replace(name.begin(), name.end(), ':', '_');
                             return name;
                         });

TEST(SimStrict, ProgrammingReadsBackAndNamesTheFirstAddressAWornOrSmallPagedChipGotWrong) {
    struct Case {
        std::string chip, fault, timing;
        std::size_t expected;  // first wrong address; SIZE_MAX: from the wrapped page
    };
    for (const Case& c : {Case{"24C16", "eeprom-stuck:0x123", "", 0x123},
                          Case{"24C512", "eeprom-page:64", "--fast", SIZE_MAX}}) {
        StrictCli cli;
        const std::size_t size = c.chip == "24C16" ? 2048 : 65536;
        auto image = Pattern(size, 3);
        image[0x123] = static_cast<std::uint8_t>(~0xFF);  // unlike the blank cell that stays
        const std::string source = cli.folder.Write("image.bin", image);
        std::vector<std::string> socket = {"--sim-eeprom", c.chip, "--sim-avr", "none", "--sim-fault", c.fault};
        if (!c.timing.empty()) socket.push_back(c.timing);
        // 128-byte pages into a 64-byte buffer: the first page's second half lands on its first.
        std::size_t expected = c.expected;
        for (std::size_t i = 0; expected == SIZE_MAX; ++i)
            if (image[i] != image[64 + i]) expected = i;
        char text[40];
        std::snprintf(text, sizeof text, "(direccion $%04zX)", expected);
        EXPECT_EQ(cli.Run(socket, {"eeprom", "write", source, "--chip", c.chip}), cli::ExitFailure) << c.fault;
        EXPECT_NE(cli.err.str().find(text), std::string::npos) << c.fault << ": " << cli.err.str();
        EXPECT_EQ(cli.Run(socket, {"eeprom", "write", source, "--chip", c.chip, "--no-verify"}), cli::ExitSuccess)
            << c.fault << ": unchecked, the same chip passes";
    }
}

TEST(SimStrict, AViolationIsReportedAndFailsACommandThatWorked) {
    StrictCli cli;
    // Fuses that choose a crystal oscillator, which the board's square wave on XTAL1 is not made
    // for: the device answers, but logs a violation at every power-up.
    ASSERT_TRUE(sim::ChipStore(cli.folder.Path("chips")).Save("atmega8515-fuses.bin", {0xEF, 0xD9}));
    const std::vector<std::string> socket = {"--sim-eeprom", "none", "--sim-avr", "atmega8515"};
    EXPECT_EQ(cli.Run(socket, {"avr", "identify"}), cli::ExitFailure);
    EXPECT_NE(cli.out.str().find("ATMEGA 8515"), std::string::npos) << "the command itself worked";
    EXPECT_NE(cli.err.str().find("tarpel-cli: 1 violacion del protocolo en la placa simulada:\n"), std::string::npos)
        << cli.err.str();
    EXPECT_NE(cli.err.str().find(" s: AVR: alimentado con CKSEL 15 (cristal)"), std::string::npos) << cli.err.str();

    EXPECT_EQ(cli.Run({"--board", "ppdev:/dev/no-such-port"}, {"avr", "identify"}), cli::ExitUsage) << cli.err.str();

    // With both sockets filled, the 24Cxx sees the AVR's clock on its SCL: told, but an AVR
    // command that caused no violation on its own chip passes.
    cli.err.str("");
    ASSERT_TRUE(sim::ChipStore(cli.folder.Path("chips")).Save("atmega8515-fuses.bin", {0xE1, 0xD9}));
    EXPECT_EQ(cli.Run({"--sim-eeprom", "24C04", "--sim-avr", "atmega8515"}, {"avr", "identify"}), cli::ExitSuccess)
        << cli.err.str();
    EXPECT_NE(cli.err.str().find("tarpel-cli: la 24Cxx del otro zocalo vio "), std::string::npos) << cli.err.str();
    EXPECT_EQ(cli.err.str().find("en la placa simulada"), std::string::npos) << cli.err.str();
}

// The FT232R's pins at any tick the documents allow, from half the rate asked of libftdi to
// twenty times it: the port measures the tick when it opens and no hold comes out short.
class SimStrictFtdiClock : public ::testing::TestWithParam<const char*> {};

TEST_P(SimStrictFtdiClock, EachAddressingFormAndAnAvrRoundTripWithoutAProtocolViolation) {
    const std::vector<std::string> clock = {"--sim-ftdi-clock", GetParam()};
    for (const char* chip : {"24C04", "24C32", "at90s4414"}) RoundTripsWithoutAViolation({chip, true, "sim:ft232r", clock});
    RoundTripsWithoutAViolation({"24C04", false, "sim:ft232r", clock});
}

INSTANTIATE_TEST_SUITE_P(EachFactor, SimStrictFtdiClock, ::testing::Values("0.5", "1", "4", "20"),
                         [](const ::testing::TestParamInfo<const char*>& factor) {
                             std::string name = std::string("x") + factor.param;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

}  // namespace
}  // namespace tarpel::test
