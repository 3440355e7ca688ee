// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "ui/TarpelCommandLine.h"

namespace tarpel::ui {
namespace {

TEST(TarpelCommandLine, TakesBothOptionFormsAndRepeatedFaults) {
    const TarpelCommandLine parsed =
        ParseTarpelCommandLine({"--board", "sim", "--sim-eeprom=24C512", "--sim-fault", "sda-stuck-low",
                                "--sim-fault=eeprom-refuse-page:3:2", "--trace", "lineas.vcd", "--sim-dir=/tmp/chips",
                                "--real-time"});
    EXPECT_EQ(parsed.error, "");
    EXPECT_FALSE(parsed.help);
    EXPECT_EQ(parsed.options.board, "sim");
    EXPECT_EQ(parsed.options.simEeprom, "24C512");
    EXPECT_EQ(parsed.options.simAvr, "atmega8515");  // untouched default
    EXPECT_EQ(parsed.options.simFaults, (std::vector<std::string>{"sda-stuck-low", "eeprom-refuse-page:3:2"}));
    EXPECT_EQ(parsed.options.traceFile, "lineas.vcd");
    EXPECT_EQ(parsed.options.simDir, "/tmp/chips");
    EXPECT_TRUE(parsed.options.realTime);
    EXPECT_EQ(ParseTarpelCommandLine({"--sim-avr", "none", "--board="}).options.simAvr, "none");
}

TEST(TarpelCommandLine, ReportsTheFirstProblemAndStillSeesHelp) {
    EXPECT_EQ(ParseTarpelCommandLine({"--board"}).error, "falta el valor de --board");
    EXPECT_EQ(ParseTarpelCommandLine({"--bogus", "x"}).error, "opcion desconocida: --bogus");
    EXPECT_EQ(ParseTarpelCommandLine({"fichero.hex"}).error, "argumento inesperado: fichero.hex");
    const TarpelCommandLine both = ParseTarpelCommandLine({"-platform", "offscreen", "--help"});
    EXPECT_TRUE(both.help);
    EXPECT_EQ(both.error, "opcion desconocida: -platform");
    EXPECT_NE(TarpelHelpText().find("--sim-fault"), std::string::npos);
    EXPECT_TRUE(TarpelHelpText().starts_with("Uso: tarpel [opciones]\nProgramador de AVR AT90S8515, AT90S4414, "
                                             "ATmega8515, ATmega162 y memorias 24Cxx con la placa Velcor.\n\n  --board PLACA "));
    EXPECT_NE(TarpelHelpText().find("sda-stuck-high"), std::string::npos);
}

}  // namespace
}  // namespace tarpel::ui
