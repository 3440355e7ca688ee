// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "../avr/AvrToolchain.h"
#include "TempFolder.h"
#include "avr/FuseLists.h"
#include "cli/AvrReadCommands.h"
#include "cli/Cli.h"
#include "files/Checksums.h"

namespace tarpel::test {
namespace {

// tarpel-cli's reading AVR commands on the simulated board, whose device lives in a test folder.
struct AvrReadCli {
    AvrReadCli() { cli::RegisterAvrReadCommands(table); }
    int Run(std::vector<std::string> args, const std::string& model = "atmega8515") {
        out.str("");
        err.str("");
        args.insert(args.begin(), {"--board", "sim", "--sim-dir", folder.Path("chips"), "--sim-avr", model, "avr"});
        return cli::RunCli(table, args, out, err);
    }
    void Store(const std::string& file, const std::vector<std::uint8_t>& bytes) {
        std::filesystem::create_directories(folder.Path("chips"));
        folder.Write("chips/" + file, bytes);
    }
    std::vector<std::uint8_t> Fuses(const std::string& model = "atmega8515") const {
        return folder.ReadBytes("chips/" + model + "-fuses.bin");
    }

    TempFolder folder;
    cli::CommandTable table;
    std::ostringstream out;
    std::ostringstream err;
};

const std::string Mega = "Tipo de micro: ATMEGA 8515 (8kb flash)\n";

TEST(AvrReadCli, ReadFusesPrintsBothBytesAndThePanel) {
    AvrReadCli cli;
    EXPECT_EQ(cli.Run({"read-fuses"}), cli::ExitSuccess) << cli.err.str();
    EXPECT_EQ(cli.out.str(), Mega +
                                 "FuseLow: 0xE1\nFuseHigh: 0xD9\n"
                                 "Reloj: IntRC: 1 Mhz\nSUT: 65 ms\nBoot size: 1024 w\n"
                                 "[ ] BOD Enabled\n[x] BOD Level\n[ ] S8515C\n[ ] WDT on\n[x] Hab. prog. serie\n"
                                 "[ ] CLK Rail-Rail\n[ ] EESAVE\n[ ] BOOTRST\n");
    EXPECT_EQ(cli.err.str(), "");

    cli.Store("atmega8515-fuses.bin", {0xF7, 0x04});
    EXPECT_EQ(cli.Run({"read-fuses"}), cli::ExitSuccess);
    EXPECT_NE(cli.out.str().find("FuseLow: 0xF7\nFuseHigh: 0x04\nReloj: Ext RC\nSUT: (sin seleccion)\n"
                                 "Boot size: 256 w\n[ ] BOD Enabled\n[x] BOD Level\n[x] S8515C\n[x] WDT on\n"
                                 "[x] Hab. prog. serie\n[x] CLK Rail-Rail\n[x] EESAVE\n[x] BOOTRST\n"),
              std::string::npos)
        << cli.out.str();

    // The ATmega162 as it leaves the factory: its own three bytes, shown by its own bits.
    EXPECT_EQ(cli.Run({"read-fuses"}, "atmega162"), cli::ExitSuccess) << cli.err.str();
    EXPECT_EQ(cli.out.str(), "Tipo de micro: ATMEGA 162 (16kb flash)\nFuseLow: 0x62\nFuseHigh: 0x99\nFuseExt: 0xFF\n"
                             "CKDIV8 = 0\nCKOUT = 1\nSUT1:0 = 10\nCKSEL3:0 = 0010 (IntRC: 8 Mhz)\nOCDEN = 1\n"
                             "JTAGEN = 0\nSPIEN = 0\nWDTON = 1\nEESAVE = 1\nBOOTSZ1:0 = 00\nBOOTRST = 1\nM161C = 1\n"
                             "BODLEVEL2:0 = 111\n");
}

TEST(AvrReadCli, WriteFusesChangesOnlyWhatItsOptionsName) {
    AvrReadCli cli;
    const std::string written = "Tarpel v1.5 ATMega8515: Fuses grabados! Leelos para verificarlo\n";
    // The factory bytes already hold this clock, start-up time and boot size: nothing to write,
    // and BOD Level, which no option names, stays as it is.
    EXPECT_EQ(cli.Run({"write-fuses", "--clock", "1", "--sut", "2", "--boot-size", "0"}), cli::ExitSuccess);
    EXPECT_EQ(cli.out.str(),
              Mega + "FuseLow: 0xE1 -> 0xE1\nFuseHigh: 0xD9 -> 0xD9\nSin cambios: no se ha grabado nada\n");
    EXPECT_EQ(cli.err.str(), "");
    EXPECT_FALSE(std::filesystem::exists(cli.folder.Path("chips/atmega8515-fuses.bin"))) << "the device wrote nothing";

    // SUT 01 and BODLEVEL 0 in the low byte, EESAVE programmed in the high one; the rest kept.
    EXPECT_EQ(cli.Run({"write-fuses", "--sut", "4.1 ms", "--no-bod-level", "--eesave"}), cli::ExitSuccess);
    EXPECT_EQ(cli.out.str(), Mega + "FuseLow: 0xE1 -> 0x51\nFuseHigh: 0xD9 -> 0xD1\n");
    EXPECT_EQ(cli.err.str(), written);
    EXPECT_EQ(cli.Fuses(), (std::vector<std::uint8_t>{0x51, 0xD1}));

    // A new clock that wants an RC pair on XTAL1 is only written with --force.
    const std::string warning =
        "AVISO: El reloj \"Ext RC\" necesita un cristal o una red RC en XTAL1, y esta placa le da a XTAL1 una onda "
        "cuadrada desde el PC. Con ese reloj el micro puede dejar de contestar a la placa. Grabar los fuses de todas "
        "formas?\n";
    EXPECT_EQ(cli.Run({"write-fuses", "--clock", "ext rc", "--boden"}), cli::ExitFailure);
    EXPECT_EQ(cli.err.str(), warning + "Respuesta: No. Para contestar Si, repita la orden con --force\n");
    EXPECT_EQ(cli.Fuses(), (std::vector<std::uint8_t>{0x51, 0xD1})) << "nothing written";
    EXPECT_EQ(cli.Run({"write-fuses", "--clock", "ext rc", "--boden", "--force"}), cli::ExitSuccess);
    EXPECT_EQ(cli.err.str(), warning + "Respuesta: Si (--force)\n" + written);
    EXPECT_EQ(cli.Fuses(), (std::vector<std::uint8_t>{0x15, 0xD1}));
    // The clock the device runs on is not asked about again.
    EXPECT_EQ(cli.Run({"write-fuses", "--clock", "5", "--no-eesave"}), cli::ExitSuccess);
    EXPECT_EQ(cli.err.str(), written);
    EXPECT_EQ(cli.Fuses(), (std::vector<std::uint8_t>{0x15, 0xD9}));
}

TEST(AvrReadCli, WriteFusesRefusesWrongOptionsAndDevicesWithoutFuses) {
    AvrReadCli cli;
    cli.Store("atmega8515-fuses.bin", {0xE4, 0xD9});
    EXPECT_EQ(cli.Run({"write-fuses", "--clock", "8"}), cli::ExitUsage);
    EXPECT_EQ(cli.out.str(), "") << "refused before the board is touched";
    EXPECT_NE(cli.err.str().find("--clock 8"), std::string::npos) << cli.err.str();
    EXPECT_EQ(cli.Run({"write-fuses", "--wdton", "--no-wdton"}), cli::ExitUsage);
    EXPECT_EQ(cli.out.str(), "");
    EXPECT_EQ(cli.err.str(), "ERROR: --wdton y --no-wdton no pueden ir juntas\n");
    EXPECT_EQ(cli.Fuses(), (std::vector<std::uint8_t>{0xE4, 0xD9}));
    EXPECT_EQ(cli.Run({"write-fuses", "--clock", "1"}, "at90s8515"), cli::ExitFailure);
    EXPECT_EQ(cli.err.str(), "Tarpel v1.5 ATMega8515: Solo para ATMEGA90S8515 !\n");
}

TEST(AvrReadCli, WriteFusesFromAnAvrGccProgramTakesItsFuseSectionButNeverCutsOffSpien) {
    AvrReadCli cli;
    const auto program = [&](const std::string& name, const std::string& high) {
        return BuildElf(cli.folder, "atmega8515", name,
                        "#include <avr/io.h>\n#include <avr/fuse.h>\n"
                        "FUSES = {.low = 0xE4, .high = " + high + "};\n"
                        "int main(void) { for (;;) PORTB ^= 1; }\n");
    };
    const auto elf = program("fuses", "0xC9");
    TARPEL_SKIP_WITHOUT(elf);
    // IntRC 8 MHz, SUT 10, BODLEVEL and BODEN unprogrammed; CKOPT and SPIEN programmed.
    const std::string shown = "FuseLow: 0xE4\nFuseHigh: 0xC9\n"
                              "Reloj: IntRC: 8 Mhz\nSUT: 65 ms\nBoot size: 1024 w\n"
                              "[ ] BOD Enabled\n[x] BOD Level\n[ ] S8515C\n[ ] WDT on\n[x] Hab. prog. serie\n"
                              "[x] CLK Rail-Rail\n[ ] EESAVE\n[ ] BOOTRST\n";
    EXPECT_EQ(cli.Run({"write-fuses", "--from", *elf}), cli::ExitSuccess) << cli.err.str();
    EXPECT_EQ(cli.out.str(), "Fuses de " + *elf + ":\n" + shown + Mega + "FuseLow: 0xE1 -> 0xE4\nFuseHigh: 0xD9 -> 0xC9\n");
    EXPECT_EQ(cli.err.str(), "Tarpel v1.5 ATMega8515: Fuses grabados! Leelos para verificarlo\n");
    EXPECT_EQ(cli.Fuses(), (std::vector<std::uint8_t>{0xE4, 0xC9}));

    // SPIEN unprogrammed (bit 5 of the high byte set): refused before the device is touched.
    const auto cutOff = program("cut-off", "0xE9");
    ASSERT_TRUE(cutOff);
    EXPECT_EQ(cli.Run({"write-fuses", "--from", *cutOff}), cli::ExitFailure);
    EXPECT_EQ(cli.err.str(), "ERROR: El FuseHigh del fichero ($E9) desactiva SPIEN: el micro ya no se podria "
                             "programar desde esta placa!!\n");
    EXPECT_EQ(cli.out.str(), "") << "not even identified";
    EXPECT_EQ(cli.Fuses(), (std::vector<std::uint8_t>{0xE4, 0xC9}));
    EXPECT_EQ(cli.Run({"write-fuses", "--from", *elf, "--eesave"}), cli::ExitUsage);
    EXPECT_EQ(cli.err.str(), "ERROR: --from no puede ir junto a --eesave\n");

    // The ATmega162's three bytes: the extended one too, and only into an ATmega162.
    const auto mega162 = BuildElf(cli.folder, "atmega162", "mega162",
                                  "#include <avr/io.h>\n#include <avr/fuse.h>\n"
                                  "FUSES = {.low = 0xE2, .high = 0x99, .extended = 0xF9};\n"
                                  "int main(void) { for (;;); }\n");
    ASSERT_TRUE(mega162);
    EXPECT_EQ(cli.Run({"write-fuses", "--from", *mega162}, "atmega162"), cli::ExitSuccess) << cli.err.str();
    EXPECT_NE(cli.out.str().find("FuseExt: 0xF9\nCKDIV8 = 1\n"), std::string::npos) << cli.out.str();
    EXPECT_NE(cli.out.str().find("FuseLow: 0x62 -> 0xE2\nFuseHigh: 0x99 -> 0x99\nFuseExt: 0xFF -> 0xF9\n"),
              std::string::npos) << cli.out.str();
    EXPECT_EQ(cli.Fuses("atmega162"), (std::vector<std::uint8_t>{0xE2, 0x99, 0xF9}));
    EXPECT_EQ(cli.Run({"write-fuses", "--from", *mega162}), cli::ExitFailure);
    EXPECT_NE(cli.err.str().find("tiene 3 bytes y el ATMEGA 8515 (8kb flash) tiene 2!!"), std::string::npos)
        << cli.err.str();
    EXPECT_EQ(cli.Fuses(), (std::vector<std::uint8_t>{0xE4, 0xC9}));
    EXPECT_EQ(cli.Run({"write-fuses", "--eesave"}, "atmega162"), cli::ExitFailure);
    EXPECT_NE(cli.err.str().find("se cambian con --fields o --from!!"), std::string::npos) << cli.err.str();

    // --fields by the datasheet's names: only those bits change; SPIEN is never let go.
    EXPECT_EQ(cli.Run({"write-fuses", "--fields", "ckdiv8=0,BODLEVEL2:0=101"}, "atmega162"), cli::ExitSuccess)
        << cli.err.str();
    EXPECT_EQ(cli.out.str(), "Tipo de micro: ATMEGA 162 (16kb flash)\nFuseLow: 0xE2 -> 0x62\nFuseHigh: 0x99 -> 0x99\n"
                             "FuseExt: 0xF9 -> 0xFB\n");
    for (const char* wrong : {"SPIEN=1", "CKSEL=10", "JTAG=0"})
        EXPECT_EQ(cli.Run({"write-fuses", "--fields", wrong}, "atmega162"), cli::ExitFailure) << wrong;
    EXPECT_EQ(cli.Fuses("atmega162"), (std::vector<std::uint8_t>{0x62, 0x99, 0xFB}));
}

TEST(AvrReadCli, ReadVerifyAndBlankTestGiveTheirStatus) {
    AvrReadCli cli;
    EXPECT_EQ(cli.Run({"blank-test"}, "at90s4414"), cli::ExitSuccess);
    EXPECT_EQ(cli.err.str(), "BLANK-TEST: La flash y la eeprom interna estan vacias\n");

    std::vector<std::uint8_t> eeprom(256, 0xFF);
    eeprom[0x1A3 - 0x100] = 0x00;
    cli.Store("at90s4414-eeprom.bin", eeprom);
    EXPECT_EQ(cli.Run({"blank-test"}, "at90s4414"), cli::ExitFailure);
    EXPECT_EQ(cli.err.str(), "NO BLANK: La EEPROM no esta vacia!!!\n");

    // Read and verify end with the checksums of the memory as the device holds it.
    const std::string sums = files::ChecksumText(files::ChecksumsOf(eeprom)) + "\n";
    EXPECT_EQ(cli.Run({"read-eeprom", cli.folder.Path("e.hex")}, "at90s4414"), cli::ExitSuccess);
    EXPECT_EQ(cli.out.str(), "Tipo de micro: AT90S4414 (4kb flash)\n" + sums);
    EXPECT_EQ(cli.Run({"verify-eeprom", cli.folder.Path("e.hex")}, "at90s4414"), cli::ExitSuccess);
    EXPECT_EQ(cli.err.str(), "Fin de verificacion: VERIFICACION: OK !!!!!\n");
    EXPECT_EQ(cli.Run({"verify-eeprom", cli.folder.Write("blank.bin", std::vector<std::uint8_t>(256, 0xFF))},
                      "at90s4414"),
              cli::ExitFailure);
    EXPECT_EQ(cli.err.str(), "Fin de verificacion: VERIFICACION: ERRONEA (Diferencias en byte: $00A3)\n");
    EXPECT_EQ(cli.out.str(), "Tipo de micro: AT90S4414 (4kb flash)\n00A3: fichero FF, chip 00\n" + sums);

    EXPECT_EQ(cli.Run({"read-flash", cli.folder.Path("f.bin")}, "at90s4414"), cli::ExitSuccess);
    EXPECT_EQ(cli.folder.ReadBytes("f.bin").size(), 4096u);
    EXPECT_EQ(cli.Run({"verify-flash", cli.folder.Path("none.bin")}, "at90s4414"), cli::ExitFailure);
    EXPECT_EQ(cli.err.str(), "ERROR: No se puede abrir el fichero!!\n");
    EXPECT_EQ(cli.Run({"read-flash", cli.folder.Path("f.dat")}, "at90s4414"), cli::ExitFailure);
    EXPECT_EQ(cli.out.str(), "") << "the device is not read for a name nothing can be saved under";
}

TEST(AvrReadCli, ListItemsByCaptionOrNumber) {
    const std::array<std::string_view, 3> sut = avr::SutCaptions;
    EXPECT_EQ(cli::ListItemIndex("4.1 MS", sut), 1);
    EXPECT_EQ(cli::ListItemIndex("2", sut), 2);
    EXPECT_EQ(cli::ListItemIndex("3", sut), std::nullopt);
    EXPECT_EQ(cli::ListItemIndex("-1", sut), std::nullopt);
    EXPECT_EQ(cli::ListItemIndex("", sut), std::nullopt);
    EXPECT_EQ(cli::ListItemIndex("99999999999999999999", sut), std::nullopt);
}

}  // namespace
}  // namespace tarpel::test
