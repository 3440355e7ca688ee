// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../sim/VcdReader.h"
#include "FileSizeLimit.h"
#include "cli/BoardCommands.h"
#include "cli/Cli.h"
#include "cli/CommandContext.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleShell.h"

namespace tarpel::test {
namespace {

namespace fs = std::filesystem;

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("tarpel-cli-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                  "-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        cli::RegisterBoardCommands(table);
    }
    void TearDown() override { fs::remove_all(folder); }

    // Runs on the simulation in this test's folder unless the arguments choose otherwise.
    int Run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        args.insert(args.begin(), {"--board", "sim", "--sim-dir", folder.string()});
        return cli::RunCli(table, args, out, err);
    }

    fs::path folder;
    cli::CommandTable table;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(Cli, BoardCheckPassesOnTheSimulationAndFailsWithAStuckReturnLine) {
    EXPECT_EQ(Run({"board", "check"}), cli::ExitSuccess);
    EXPECT_EQ(err.str(), "OK: El Velcor responde correctamente!!!\n");
    EXPECT_EQ(Run({"board", "check", "--sim-fault", "sda-stuck-high"}), cli::ExitFailure);
    EXPECT_EQ(err.str(), "ERROR: El Velcor NO responde correctamente!!!\n");
    EXPECT_EQ(Run({"--sim-fault=sda-stuck-low", "board", "check"}), cli::ExitFailure);
    EXPECT_EQ(err.str(), "ERROR: El Velcor no responde correctamente!!!\n");
}

TEST_F(Cli, UsageErrorsGiveStatusTwoAndAHint) {
    const std::vector<std::vector<std::string>> mistakes = {
        {},
        {"board"},
        {"board", "dance"},
        {"fly", "away"},
        {"board", "check", "extra"},
        {"board", "check", "--delay", "0"},
        {"board", "check", "--delay", "x"},
        {"board", "check", "--delay"},
        {"board", "check", "--colour", "red"},
        {"board", "check", "-x"},
        {"board", "check", "--sim-eeprom", "24LC1025"},
        {"board", "check", "--sim-fault", "melt"},
        {"board", "check", "--sim-avr", "z80"},
        {"board", "check", "--board", "usb"},
        {"board", "check", "--sim-eeprom-write-ms", "0"},
        {"board", "check", "--sim-eeprom-write-ms", "5.5"},
        {"board", "check", "--sim-eeprom-write-ms", "3ms"},
        {"board", "check", "--sim-ftdi-clock", "0.4"},
        {"board", "check", "--sim-ftdi-clock", "21"},
        {"board", "check", "--sim-ftdi-clock", "4x"},
        {"board", "check", "--real-time=yes"},
    };
    for (const auto& args : mistakes) {
        EXPECT_EQ(Run(args), cli::ExitUsage) << ::testing::PrintToString(args);
        EXPECT_NE(err.str().find("tarpel-cli --help"), std::string::npos) << err.str();
    }
}

TEST_F(Cli, AnUnusableRealPortIsAFailureThatSaysWhy) {
    EXPECT_EQ(Run({"board", "check", "--board", "ppdev:/dev/tarpel-no-such-parport"}), cli::ExitFailure);
    EXPECT_EQ(err.str().rfind("ERROR: ", 0), 0u);
    EXPECT_NE(err.str().find("/dev/tarpel-no-such-parport"), std::string::npos);
}

TEST_F(Cli, ATraceThatCannotBeWrittenWholeFailsTheCommand) {
    const std::string trace = (folder / "bus.vcd").string();
    const std::vector<std::string> check = {"board", "check", "--sim-eeprom", "none", "--sim-avr", "none",
                                            "--trace", trace};
    {
        test::FileSizeLimit diskFull(100);
        EXPECT_EQ(Run(check), cli::ExitFailure);
    }
    EXPECT_EQ(err.str(), "OK: El Velcor responde correctamente!!!\nERROR: El fichero de traza " + trace +
                             " ha quedado incompleto: " + std::strerror(EFBIG) + "\n");
    EXPECT_EQ(Run(check), cli::ExitSuccess);
    EXPECT_EQ(err.str(), "OK: El Velcor responde correctamente!!!\n");
    EXPECT_GT(ReadVcd(trace).changes.at("SDA_OUT").size(), 2u) << "the whole trace is there now";
}

TEST_F(Cli, HelpExplainsTheCommandsAndEveryCommonOption) {
    EXPECT_EQ(Run({"--help"}), cli::ExitSuccess);
    const std::string help = out.str();
    for (const char* part : {"board check", "--board", "--trace", "--sim-dir", "--sim-eeprom", "--sim-avr",
                             "--sim-fault", "--delay", "sda-stuck-high", "eeprom-refuse-page:K:N"})
        EXPECT_NE(help.find(part), std::string::npos) << part;
    EXPECT_EQ(err.str(), "");
}

TEST_F(Cli, CommandsGetTheirArgumentsOptionsAndDelayAndTheRunEndsWithEveryLineOff) {
    std::vector<std::string> seenArguments;
    std::map<std::string, std::string> seenOptions;
    std::int32_t seenDelay = 0;
    table.Add({.group = "test",
               .name = "probe",
               .arguments = "A [B]",
               .summary = "a test command",
               .minArguments = 1,
               .maxArguments = 2,
               .options = {{"chip", "CHIP", "chip"}, {"fast", "", "flag"}},
               .run = [&](cli::CommandContext& context) {
                   seenArguments = context.arguments;
                   seenOptions = context.options;
                   seenDelay = context.timing.DelayFactor;
                   context.lines.WriteIspLines(true, true, true, false, true);
                   context.out << "resultado\n";
                   context.shell.ShowMessage("Error programando flash!");
                   return cli::ExitFailure;
               }});
    const std::string trace = (folder / "probe.vcd").string();
    EXPECT_EQ(Run({"test", "probe", "one", "--chip", "24C64", "--fast", "--delay=7", "two", "--trace", trace}),
              cli::ExitFailure);
    EXPECT_EQ(seenArguments, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(seenOptions, (std::map<std::string, std::string>{{"chip", "24C64"}, {"fast", ""}}));
    EXPECT_EQ(seenDelay, 7);
    EXPECT_EQ(out.str(), "resultado\n");
    EXPECT_EQ(err.str(), "Tarpel v1.5 ATMega8515: Error programando flash!\n");
    const VcdTrace vcd = ReadVcd(trace);
    EXPECT_EQ(vcd.changes.at("VCC").back().value, '0');
    EXPECT_EQ(vcd.changes.at("SCK").back().value, '0');

    // A command's own option before its words, and a flag given a value, are usage errors.
    EXPECT_EQ(Run({"--chip", "24C64", "test", "probe", "one"}), cli::ExitUsage);
    EXPECT_EQ(Run({"test", "probe", "one", "--fast=yes"}), cli::ExitUsage);
    EXPECT_EQ(Run({"test", "probe", "--", "--odd-name"}), cli::ExitFailure);
    EXPECT_EQ(seenArguments, (std::vector<std::string>{"--odd-name"}));
}

TEST(CommandLine, TakesTheBoardOptionsOfTheWindowProgram) {
    cli::CommandTable table;
    cli::RegisterBoardCommands(table);
    cli::CommandLine line;
    std::string error;
    ASSERT_TRUE(cli::ParseCommandLine({"--real-time", "board", "check", "--sim-eeprom-write-ms=2.5", "--sim-fault",
                                       "sda-stuck-low", "--sim-fault=sda-stuck-low"},
                                      table, line, error))
        << error;
    EXPECT_TRUE(line.board.realTime);
    EXPECT_EQ(line.board.simEepromWriteMs, 2.5);
    EXPECT_EQ(line.board.simFaults, (std::vector<std::string>{"sda-stuck-low", "sda-stuck-low"}));
    EXPECT_EQ(cli::CommandLine().board.simEepromWriteMs, std::nullopt) << "the chip's own time by default";
}

TEST(ConsoleShell, MessagesAreOneLineEachAndFileChoicesComeFromTheCommandLine) {
    std::ostringstream err;
    cli::ConsoleShell shell(err, false);
    shell.MessageBox("Sin acuse de recibo por parte del chip!!!\r            (No se ha recibido ACK)", "ERROR");
    shell.MessageBox(
        "El archivo contiene mas datos de los que el \rchip seleccionado puede almacenar: Se truncaran los datos",
        "AVISO:");
    shell.MessageBox("Hay diferencias en el byte nº:16", "ERROR EN LA COMPROBACION");
    EXPECT_EQ(err.str(),
              "ERROR: Sin acuse de recibo por parte del chip!!! (No se ha recibido ACK)\n"
              "AVISO: El archivo contiene mas datos de los que el chip seleccionado puede almacenar: Se truncaran "
              "los datos\n"
              "ERROR EN LA COMPROBACION: Hay diferencias en el byte nº:16\n");

    // Without a terminal, progress prints nothing.
    err.str("");
    shell.ProgressShow();
    shell.ProgressSetLabel("100 bytes leidos...");
    shell.ProgressSetGauge(50);
    shell.ProgressClose();
    EXPECT_EQ(err.str(), "");
    EXPECT_FALSE(shell.ProgressCancelRequested());

    EXPECT_EQ(shell.ChooseOpenFile(), std::nullopt);
    shell.QueueOpenFile("in.hex");
    shell.QueueSaveFile("out.bin");
    EXPECT_EQ(shell.ChooseOpenFile("Verificar"), "in.hex");
    EXPECT_EQ(shell.LastOpenFile(), "in.hex");
    EXPECT_EQ(shell.ChooseSaveFile(), "out.bin");
    EXPECT_EQ(shell.ChooseSaveFile(), std::nullopt);
}

TEST(ConsoleShell, OnATerminalProgressRewritesOneLineAndClearsItBeforeAMessage) {
    std::ostringstream err;
    cli::ConsoleShell shell(err, true);
    shell.ProgressShow();
    for (int i = 0; i < 4; ++i) {
        shell.ProgressSetLabel(std::to_string(i) + " bytes leidos...");
        shell.ProgressSetGauge(i < 2 ? 0 : 50);  // redrawn only when the percentage moves
    }
    shell.MessageBox("texto", "ERROR");
    EXPECT_EQ(err.str(), "\r\x1b[K0 bytes leidos... 0%\r\x1b[K2 bytes leidos... 50%\r\x1b[KERROR: texto\n");
}

}  // namespace
}  // namespace tarpel::test
