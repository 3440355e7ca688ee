// SPDX-License-Identifier: GPL-2.0-or-later
// A production run of tarpel-cli on the simulated board: three chips in a loop, the second one
// failing, each with its own serial number in its own virtual chip, the counter and the log.
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "TempFolder.h"
#include "cli/AvrCommands.h"
#include "cli/Cli.h"
#include "sim/ChipStore.h"

namespace tarpel::test {
namespace {

TEST(ProductionCli, ThreeChipsInALoopEachKeepTheirNumberAndTheFailedOneIsLoggedSo) {
    TempFolder folder;
    cli::CommandTable table;
    cli::RegisterAvrCommands(table);
    std::ostringstream out, err;
    const auto run = [&](std::vector<std::string> args, const std::string& answers) {
        std::istringstream typed(answers);
        std::streambuf* keyboard = std::cin.rdbuf(typed.rdbuf());
        args.insert(args.begin(), {"--board", "sim", "--sim-dir", folder.Path("chips"), "--sim-eeprom", "none",
                                   "--sim-fault", "2:avr-flash-stuck:0x10"});
        const int status = cli::RunCli(table, args, out, err);
        std::cin.rdbuf(keyboard);
        return status;
    };
    const std::string flash = folder.Write("fw.bin", std::vector<std::uint8_t>(64, 0x3C));
    const std::string counter = folder.Write("next.txt", std::string("41\n"));
    const std::string log = folder.Path("run.csv");
    EXPECT_EQ(run({"avr", "program", flash, "--serial", "eeprom:8:2:be", "--serial-file", counter, "--log", log,
                   "--repeat"},
                  "\n\nq\n"),
              cli::ExitFailure)
        << err.str();
    EXPECT_NE(out.str().find("Fin de la produccion: 2 buenos, 1 fallidos; numeros de serie 41 a 43\n"),
              std::string::npos)
        << out.str();
    EXPECT_EQ(folder.ReadText("next.txt"), "44\n");
    // Each chip in its own socket folder, the first in the board's own.
    const auto eeprom = [&](const std::string& chip) {
        return sim::ChipStore(folder.Path(chip)).Load("atmega8515-eeprom.bin", 512);
    };
    const auto first = eeprom("chips");
    EXPECT_EQ(std::vector<std::uint8_t>(first.begin() + 8, first.begin() + 10), (std::vector<std::uint8_t>{0x00, 0x29}));
    EXPECT_EQ(eeprom("chips/chip2")[9], 0xFF) << "its flash failed: nothing after it was written";
    EXPECT_EQ(eeprom("chips/chip3")[9], 0x2B);
    std::istringstream lines(folder.ReadText("run.csv"));
    std::vector<std::string> logged;
    for (std::string line; std::getline(lines, line);) logged.push_back(line);
    ASSERT_EQ(logged.size(), 4u) << folder.ReadText("run.csv");
    EXPECT_EQ(logged[0], "fecha,placa,chip,fichero,crc32,serie,pasos,segundos,resultado");
    EXPECT_NE(logged[2].find(",42,firma:ok borrado:ok flash:fallo,"), std::string::npos) << logged[2];
    EXPECT_TRUE(logged[2].ends_with(",FALLO") && logged[3].ends_with(",OK")) << folder.ReadText("run.csv");

    // A number too large for its place: refused before the counter moves or a chip is touched.
    const std::string full = folder.Write("full.txt", std::string("65536\n"));
    EXPECT_EQ(run({"avr", "program", flash, "--serial", "eeprom:0:2", "--serial-file", full}, ""), cli::ExitFailure);
    EXPECT_EQ(folder.ReadText("full.txt"), "65536\n");
    EXPECT_NE(err.str().find("no cabe en su sitio (como mucho 65535)"), std::string::npos) << err.str();
}

}  // namespace
}  // namespace tarpel::test
