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
    const TarpelCommandLine files = ParseTarpelCommandLine({"--avr", "prog.hex", "imagen.bin", "--board=sim"});
    EXPECT_EQ(files.error, "");
    EXPECT_EQ(files.eepromFile, "imagen.bin");
    EXPECT_EQ(files.avrFile, "prog.hex");
    EXPECT_EQ(ParseTarpelCommandLine({"--avr=p.elf"}).avrFile, "p.elf");
}

TEST(TarpelCommandLine, ReportsTheFirstProblemAndStillSeesHelp) {
    EXPECT_EQ(ParseTarpelCommandLine({"--board"}).error, "falta el valor de --board");
    EXPECT_EQ(ParseTarpelCommandLine({"--bogus", "x"}).error, "opcion desconocida: --bogus");
    EXPECT_EQ(ParseTarpelCommandLine({"uno.hex", "fichero.hex"}).error, "argumento inesperado: fichero.hex");
    EXPECT_EQ(ParseTarpelCommandLine({"--avr"}).error, "falta el valor de --avr");
    const TarpelCommandLine both = ParseTarpelCommandLine({"-platform", "offscreen", "--help"});
    EXPECT_TRUE(both.help);
    EXPECT_EQ(both.error, "opcion desconocida: -platform");
    EXPECT_NE(TarpelHelpText().find("--sim-fault"), std::string::npos);
    EXPECT_TRUE(TarpelHelpText().starts_with("Uso: tarpel [opciones] [FICHERO]\nProgramador de AVR AT90S8515, AT90S4414, "
                                             "ATmega8515, ATmega162 y memorias 24Cxx con la placa Velcor.\nFICHERO se "
                                             "abre en la pagina 24CXXX; --avr FICHERO queda como fichero de la pagina "
                                             "AVR.\n\n  --board PLACA "));
    EXPECT_NE(TarpelHelpText().find("sda-stuck-high"), std::string::npos);
}

}  // namespace
}  // namespace tarpel::ui
