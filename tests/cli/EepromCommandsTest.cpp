// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "ExternalTool.h"
#include "TempFolder.h"
#include "cli/Cli.h"
#include "cli/EepromCommands.h"
#include "eeprom/ChipCatalogue.h"
#include "files/Checksums.h"
#include "files/HexWrite.h"
#include "board/Board.h"
#include "cli/CommandContext.h"
#include "sim/ChipStore.h"
#include "sim/SimulatedBoard.h"
#include "sim/Virtual24Cxx.h"

namespace tarpel::test {
namespace {

// tarpel-cli's eeprom group on the simulated board, whose chips live in a folder of the test;
// after each command, the write cycles its virtual 24Cxx went through.
struct EepromCli {
    EepromCli() {
        cli::CommandTable own;
        cli::RegisterEepromCommands(own);
        for (cli::Command command : own.Commands()) {
            command.run = [this, run = command.run](cli::CommandContext& context) {
                const int status = run(context);
                auto* simulation = context.board.simulation;
                const auto* chip = simulation ? dynamic_cast<const sim::Virtual24Cxx*>(simulation->Eeprom()) : nullptr;
                writeCycles = chip ? chip->WriteCycles() : 0;
                return status;
            };
            table.Add(std::move(command));
        }
    }
    int Run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        args.insert(args.begin(), {"--board", "sim", "--sim-dir", folder.Path("chips")});
        return cli::RunCli(table, args, out, err);
    }

    TempFolder folder;
    cli::CommandTable table;
    std::ostringstream out;
    std::ostringstream err;
    std::size_t writeCycles = 0;
};

TEST(EepromCli, WriteVerifyAndReadBackThroughFilesOfBothKinds) {
    EepromCli cli;
    std::vector<std::uint8_t> image(2048);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 29 + (i >> 7));
    const auto source = cli.folder.Write("image.bin", image);
    const std::vector<std::string> chip = {"--sim-eeprom", "24C16", "eeprom"};
    const auto command = [&](const char* name, const std::string& file) {
        auto args = chip;
        args.insert(args.end(), {name, "--chip", "24c16", file});
        return cli.Run(args);
    };

    // Every command that read or wrote the whole chip ends with the chip's checksums.
    const std::string sums = files::ChecksumText(files::ChecksumsOf(image)) + "\n";
    EXPECT_EQ(command("write", source), cli::ExitSuccess) << cli.err.str();
    EXPECT_EQ(cli.err.str(), "");
    EXPECT_EQ(cli.out.str(), sums);
    EXPECT_EQ(command("verify", source), cli::ExitSuccess);
    EXPECT_EQ(cli.err.str(), "FIN DE LA COMPROBACION: El contenido del chip se ha verificado correctamente!!!\n");
    EXPECT_EQ(cli.out.str(), sums);
    EXPECT_EQ(command("read", cli.folder.Path("copy.hex")), cli::ExitSuccess);
    EXPECT_EQ(cli.out.str(), sums);
    EXPECT_EQ(command("write", cli.folder.Path("copy.hex")), cli::ExitSuccess);
    EXPECT_EQ(command("read", cli.folder.Path("copy.bin")), cli::ExitSuccess);
    EXPECT_EQ(cli.folder.ReadBytes("copy.bin"), image);

    image[100] ^= 0x40;
    EXPECT_EQ(command("verify", cli.folder.Write("other.bin", image)), cli::ExitFailure);
    EXPECT_EQ(cli.err.str(), "ERROR EN LA COMPROBACION: Hay diferencias en el byte nº:100\n");
    EXPECT_EQ(cli.out.str(), "0064: fichero 14, chip 54\n" + sums) << "the chip's checksums, not the file's";

    // --backup saves what the write replaces first; a copy that cannot be saved writes nothing,
    // as the next copy shows.
    const std::vector<std::uint8_t> next(image.rbegin(), image.rend());
    const auto writeAfterCopy = [&](const std::string& copy) {
        return cli.Run({"--sim-eeprom", "24C16", "eeprom", "write", "--chip", "24c16", cli.folder.Write("next.bin", next),
                        "--backup", copy});
    };
    EXPECT_EQ(writeAfterCopy(cli.folder.Path("no/such/dir/old.hex")), cli::ExitFailure);
    EXPECT_EQ(cli.err.str(), "ERROR: No se puede crear fichero!!\n"
                             "ERROR: No se ha grabado nada: no se ha podido hacer la copia de seguridad\n");
    image[100] ^= 0x40;
    EXPECT_EQ(writeAfterCopy(cli.folder.Path("old.hex")), cli::ExitSuccess);
    EXPECT_EQ(cli.folder.ReadText("old.hex"), files::HexText(image));
    EXPECT_EQ(command("read", cli.folder.Path("new.bin")), cli::ExitSuccess);
    EXPECT_EQ(cli.folder.ReadBytes("new.bin"), next);
}

TEST(EepromCli, DumpPokeAndWriteKeepTouchOnlyThePagesOfTheBytesGiven) {
    EepromCli cli;
    std::vector<std::uint8_t> chip(65536);
    for (std::size_t i = 0; i < chip.size(); ++i) chip[i] = static_cast<std::uint8_t>(i * 131 + (i >> 9));
    const std::string text = "Hola\x01 24C512 \xE9\xAD\x7FOK";
    std::copy(text.begin(), text.end(), chip.begin() + 0x7FF8);
    const sim::ChipStore store(cli.folder.Path("chips"));
    ASSERT_TRUE(store.Save("24C512.bin", chip));
    const auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--sim-eeprom", "24C512", "eeprom"});
        args.insert(args.begin() + 4, {"--chip", "24C512"});
        return cli.Run(args);
    };

    EXPECT_EQ(run({"dump", "--at", "0x7ff8", "--count", "18"}), cli::ExitSuccess) << cli.err.str();
    EXPECT_EQ(cli.out.str(), "7FF8: 48 6F 6C 61 01 20 32 34 43 35 31 32 20 E9 AD 7F  Hola. 24C512 \u00E9-.\n"
                             "8008: 4F 4B" + std::string(14 * 3, ' ') + "  OK\n");
    EXPECT_EQ(run({"dump", "--at", "65530", "--count", "7"}), cli::ExitUsage);
    EXPECT_EQ(cli.err.str(), "ERROR: Los bytes 65530 a 65536 caen fuera de la 24C512, que tiene 65536 bytes!!\n");

    // Two bytes either side of a page boundary: those two pages, read back, and no other byte.
    EXPECT_EQ(run({"poke", "0x7FFF", "0x5A", "165"}), cli::ExitSuccess) << cli.err.str();
    EXPECT_EQ(cli.err.str(), "OK: Grabadas 2 paginas que diferian de la imagen\n");
    EXPECT_EQ(cli.writeCycles, 2u);
    chip[0x7FFF] = 0x5A;
    chip[0x8000] = 0xA5;
    EXPECT_EQ(store.Load("24C512.bin", chip.size()), chip);
    EXPECT_EQ(run({"poke", "0x7FFF", "0x5A"}), cli::ExitSuccess);
    EXPECT_EQ(cli.err.str(), "OK: El chip ya coincide con la imagen: no se ha grabado nada\n");
    EXPECT_EQ(cli.writeCycles, 0u);
    EXPECT_EQ(run({"poke", "0x10", "0x100"}), cli::ExitUsage);
    EXPECT_EQ(cli.writeCycles, 0u);

    // A HEX file with a hole: its records' bytes only. The record at 0x40 holds what the chip
    // has already, and costs no write.
    std::istringstream records(files::HexText(std::span(chip).first(0x50)));
    std::string same;
    for (int line = 0; line <= 4; ++line) std::getline(records, same);
    ASSERT_EQ(same.substr(0, 7), ":100040");
    const std::string hex = ":04001000DEADBEEFB4\n:02FFF0001234C9\n" + same + "\n:00000001FF\n";
    EXPECT_EQ(run({"write", "--keep", cli.folder.Write("hole.hex", hex)}), cli::ExitSuccess) << cli.err.str();
    EXPECT_EQ(cli.err.str(), "OK: Grabadas 2 paginas que diferian de la imagen\n");
    EXPECT_EQ(cli.writeCycles, 2u);
    std::copy_n("\xDE\xAD\xBE\xEF", 4, chip.begin() + 0x10);
    chip[0xFFF0] = 0x12;
    chip[0xFFF1] = 0x34;
    EXPECT_EQ(store.Load("24C512.bin", chip.size()), chip);
}

TEST(EepromCli, VerifyAndCompareListEveryDifferenceInHexadecimal) {
    EepromCli cli;
    std::vector<std::uint8_t> image(2048);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const std::vector<std::string> verify = {"--sim-eeprom", "24C16", "eeprom", "verify", "--chip", "24C16"};
    const auto run = [&](std::vector<std::string> args, const std::string& file) {
        args.push_back(file);
        return cli.Run(args);
    };
    const auto source = cli.folder.Write("image.bin", image);
    ASSERT_EQ(run({"--sim-eeprom", "24C16", "eeprom", "write", "--chip", "24C16"}, source), cli::ExitSuccess);
    const std::string sums = files::ChecksumText(files::ChecksumsOf(image)) + "\n";

    // A few bytes: the first one's message as it always was, then every one of them in order.
    auto few = image;
    few[0xA0] = 0x00;
    few[0x100] = 0xFF;
    few[0x7FF] = 0x5A;
    EXPECT_EQ(run(verify, cli.folder.Write("few.bin", few)), cli::ExitFailure);
    EXPECT_EQ(cli.err.str(), "ERROR EN LA COMPROBACION: Hay diferencias en el byte nº:160\n");
    EXPECT_EQ(cli.out.str(),
              "00A0: fichero 00, chip 63\n0100: fichero FF, chip 03\n07FF: fichero 5A, chip FC\n" + sums);

    // 250 of them: the first 100 lines, then how many more.
    auto many = image;
    for (std::size_t i = 0x200; i < 0x200 + 250; ++i) many[i] ^= 0x81;
    EXPECT_EQ(run(verify, cli.folder.Write("many.bin", many)), cli::ExitFailure);
    std::vector<std::string> lines;
    for (std::istringstream out(cli.out.str()); !out.eof();) {
        std::string line;
        if (std::getline(out, line)) lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 102u) << cli.out.str();
    EXPECT_EQ(lines[0], "0200: fichero 82, chip 03");
    EXPECT_EQ(lines[99], "0263: fichero 39, chip B8");
    EXPECT_EQ(lines[100], "... y 150 diferencias mas (250 en total)");
    EXPECT_EQ(lines[101] + "\n", sums);

    // Two files against each other, with no board: the lines name the files.
    const std::vector<std::string> compare = {"--board", "ppdev:/dev/tarpel-no-such-parport", "eeprom", "compare",
                                              "--chip", "24C16", source};
    EXPECT_EQ(run(compare, cli.folder.Path("few.bin")), cli::ExitFailure);
    EXPECT_EQ(cli.err.str(),
              "FIN DE LA COMPARACION: La imagen y el fichero difieren en 3 bytes; el primero es el $00A0\n");
    EXPECT_EQ(cli.out.str(),
              "00A0: image.bin 63, few.bin 00\n0100: image.bin 03, few.bin FF\n07FF: image.bin FC, few.bin 5A\n");
    EXPECT_EQ(run(compare, source), cli::ExitSuccess);
    EXPECT_EQ(cli.err.str(), "FIN DE LA COMPARACION: La imagen y el fichero son iguales\n");
    EXPECT_EQ(cli.out.str(), "");
}

TEST(EepromCli, FailuresAndMistakesGiveTheirStatusAndWriteNoFile) {
    EepromCli cli;
    const auto image = cli.folder.Write("image.hex", ":0100000042BD\n:00000001FF\n");
    const std::string sdaHeldLow = "ERROR: La linea SDA esta retenida a nivel bajo!!! (Comprueba el chip y la placa)\n";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string error;
    };
    const Case cases[] = {
        {{"--sim-eeprom", "none", "eeprom", "read", cli.folder.Path("copy.bin")}, cli::ExitFailure,
         "ERROR: Sin acuse de recibo por parte del chip!!! (No se ha recibido ACK)\n"},
        {{"--sim-eeprom", "none", "eeprom", "write", image}, cli::ExitFailure,
         "ERROR: Sin acuse de recibo por parte del chip!!! (No se ha recibido ACK en byte nº0)\n"},
        // The 24C16's own page 2 holds the program's page at 32. The chip's write cycle of the page
        // before takes two of the 26 attempts.
        {{"--sim-eeprom", "24C16", "--sim-fault", "eeprom-refuse-page:2:20", "eeprom", "write", "--chip", "24C16", image},
         cli::ExitSuccess, ""},
        {{"--sim-eeprom", "24C16", "--sim-fault", "eeprom-refuse-page:2:26", "eeprom", "write", "--chip", "24C16", image},
         cli::ExitFailure, "ERROR: Sin acuse de recibo por parte del chip!!! (No se ha recibido ACK en byte nº32)\n"},
        // With the SDA return held low every acknowledge would look given and every bit read 0.
        {{"--sim-fault", "sda-stuck-low", "eeprom", "read", cli.folder.Path("copy.bin")}, cli::ExitFailure, sdaHeldLow},
        {{"--sim-fault", "sda-stuck-low", "eeprom", "write", image}, cli::ExitFailure, sdaHeldLow},
        {{"--sim-fault", "sda-stuck-low", "eeprom", "verify", image}, cli::ExitFailure, sdaHeldLow},
        {{"eeprom", "write", cli.folder.Path("missing.hex")}, cli::ExitFailure, "ERROR: No se puede abrir el fichero!!\n"},
        // A file that is no HEX file at all is not programmed as an all-0xFF image.
        {{"--sim-eeprom", "24C16", "eeprom", "write", "--chip", "24C16", cli.folder.Write("srec.hex", "S9030000FC\n")},
         cli::ExitFailure, "ERROR: El fichero no contiene datos HEX validos!!\n"},
        // Nor is a file that gives the chip no data: empty, or all of it beyond the chip.
        {{"--sim-eeprom", "24C04", "eeprom", "write", "--chip", "24C04", cli.folder.Write("empty.bin", "")},
         cli::ExitFailure, "ERROR: El fichero no contiene ningun dato!!\n"},
        {{"--sim-eeprom", "24C04", "eeprom", "write", "--chip", "24C04",
          cli.folder.Write("far.hex", ":020000040001F9\n:0100000042BD\n:00000001FF\n")},
         cli::ExitFailure, "ERROR: Ningun dato del fichero cae dentro de los 512 bytes del chip: el primero esta en el "
                           "byte 65536!!\n"},
        {{"--sim-eeprom", "24C04", "eeprom", "write", "--chip", "24C04", cli.folder.Write("far.srec", "S306008100004236\n")},
         cli::ExitFailure, "ERROR: Ningun dato del fichero cae dentro de los 512 bytes del chip: el primero esta en el "
                           "byte 8454144!!\n"},
        {{"eeprom", "read", "--chip", "24LC1025", cli.folder.Path("copy.bin")}, cli::ExitUsage,
         "ERROR: Memoria desconocida: 24LC1025 (use 24C01, 24C02, 24C04, 24C08, 24C16, 24C32, 24C64, 24C128, 24C256, "
         "24C512, 24C1024, 24CM02)\n"},
        {{"eeprom", "read", cli.folder.Path("copy.txt")}, cli::ExitUsage,
         "ERROR: El fichero debe acabar en .hex, .bin, .srec, .s19, .s28, .s37 o .mot: " + cli.folder.Path("copy.txt") + "\n"},
    };
    const sim::ChipStore store(cli.folder.Path("chips"));
    ASSERT_TRUE(store.Save("24C04.bin", std::vector<std::uint8_t>(512, 0x3C)));
    for (const auto& c : cases) {
        EXPECT_EQ(cli.Run(c.args), c.status) << ::testing::PrintToString(c.args);
        EXPECT_EQ(cli.err.str(), c.error);
        if (c.status != cli::ExitSuccess) {
            EXPECT_EQ(cli.out.str(), "") << "no checksums of a chip not read or written whole";
        }
    }
    for (const auto& name : cli.folder.Names())
        EXPECT_TRUE(name == "image.hex" || name == "srec.hex" || name == "chips" || name.starts_with("empty.") ||
                    name.starts_with("far."))
            << name;
    EXPECT_EQ(store.Load("24C04.bin", 512), std::vector<std::uint8_t>(512, 0x3C)) << "never wiped to 0xFF";
}

TEST(EepromCli, ConvertTurnsHexIntoBinaryAndBackForEveryChipWithoutABoard) {
    EepromCli cli;
    // A port that cannot be opened: a command that opened the board would fail on it.
    const std::vector<std::string> noPort = {"--board", "ppdev:/dev/tarpel-no-such-parport", "eeprom", "convert"};
    const auto convert = [&](const std::string& chip, const std::string& in, const std::string& out) {
        auto args = noPort;
        args.insert(args.end(), {"--chip", chip, in, out});
        return cli.Run(args);
    };
    for (const auto& chip : eeprom::ChipCatalogue) {
        const std::string name(chip.name);
        std::vector<std::uint8_t> image(static_cast<std::size_t>(chip.size));
        for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + i / 253 + chip.size);
        const auto bin = cli.folder.Write(name + ".bin", image);
        EXPECT_EQ(convert(name, bin, cli.folder.Path(name + ".hex")), cli::ExitSuccess) << name;
        EXPECT_EQ(cli.err.str(), "") << name;
        EXPECT_EQ(convert(name, cli.folder.Path(name + ".hex"), cli.folder.Path(name + "-back.BIN")), cli::ExitSuccess)
            << name;
        EXPECT_EQ(cli.err.str(), "") << name;
        EXPECT_EQ(cli.folder.ReadBytes(name + "-back.BIN"), image) << name;
        ASSERT_TRUE(files::HexWrite(cli.folder.Path("reference.hex"), image, chip.size));
        EXPECT_EQ(cli.folder.ReadText(name + ".hex"), cli.folder.ReadText("reference.hex")) << name;
    }

    // The open command's warnings, then its refusals and the save command's, one line each.
    const auto longer = cli.folder.Write("long.bin", std::vector<std::uint8_t>(600, 0x11));
    EXPECT_EQ(convert("24C04", longer, cli.folder.Path("short.hex")), cli::ExitSuccess);
    EXPECT_EQ(cli.err.str(), "AVISO: El archivo contiene mas datos de los que el chip seleccionado puede almacenar: "
                             "Se truncaran los datos\n");
    struct Case {
        std::string in, out, error;
    };
    const Case cases[] = {
        {cli.folder.Write("fits.bin", std::vector<std::uint8_t>(512, 0x22)), cli.folder.Path("dump.txt"),
         "ERROR: Tipo de fichero desconocido (debe ser .hex, .bin, .srec, .s19, .s28, .s37 o .mot)!!\n"},
        {cli.folder.Write("notes.txt", "0011"), cli.folder.Path("x.bin"),
         "ERROR: Tipo de fichero desconocido (debe ser .hex, .bin, .srec, .s19, .s28, .s37 o .mot)!!\n"},
        {cli.folder.Path("gone.bin"), cli.folder.Path("x.hex"), "ERROR: No se puede abrir el fichero!!\n"},
        {cli.folder.Write("empty.hex", ""), cli.folder.Path("x.bin"), "ERROR: El fichero no contiene datos HEX validos!!\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(convert("24C04", c.in, c.out), cli::ExitFailure) << c.in << " " << c.out;
        EXPECT_EQ(cli.err.str(), c.error) << c.in << " " << c.out;
        EXPECT_FALSE(std::filesystem::exists(c.out)) << c.out;
    }
    EXPECT_EQ(convert("24LC1025", longer, cli.folder.Path("x.bin")), cli::ExitUsage);
}

TEST(EepromCli, ConvertReadsSrecCatSRecordsAndWritesOnesSrecCatReadsBack) {
    TARPEL_REQUIRE_TOOL("srec_cat");
    EepromCli cli;
    const auto run = [&](const std::string& command) {
        return std::system((command + " >" + cli.folder.Path("tool.log") + " 2>&1").c_str());
    };
    const auto convert = [&](const std::string& chip, const std::string& in, const std::string& out) {
        return cli.Run({"eeprom", "convert", "--chip", chip, in, out});
    };
    std::vector<std::uint8_t> block(1500);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 13 + (i >> 8));
    const std::string blocks = "'" + cli.folder.Write("block.bin", block) + "' -binary -offset 0x0101 '" +
                               cli.folder.Path("block.bin") + "' -binary -offset 0x7803 ";
    // srec_cat's S19, S28 and S37 files, with holes and odd record lengths, into a 24C256 image:
    // the bytes of srec_cat's own binary output, 0xFF in the holes.
    const std::string reference = cli.folder.Path("reference.bin");
    ASSERT_EQ(run("srec_cat '(' " + blocks + "')' -fill 0xFF 0 0x8000 -o '" + reference + "' -binary"), 0);
    for (const auto& [ending, length] : {std::pair{".s19", 2}, std::pair{".s28", 3}, std::pair{".s37", 4}}) {
        const std::string srec = cli.folder.Path("in" + std::string(ending));
        ASSERT_EQ(run("srec_cat " + blocks + "-o '" + srec + "' -motorola -address-length=" + std::to_string(length) +
                      " -obs=" + std::to_string(10 + length * 7)),
                  0);
        EXPECT_EQ(convert("24C256", srec, cli.folder.Path("out.bin")), cli::ExitSuccess) << ending;
        EXPECT_EQ(cli.err.str(), "") << ending;
        EXPECT_EQ(cli.folder.ReadBytes("out.bin"), cli.folder.ReadBytes("reference.bin")) << ending;
    }

    // Ours, from a binary image of the biggest chip, read back by srec_cat, checksums checked.
    std::vector<std::uint8_t> image(65536);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    const std::string ours = cli.folder.Path("ours.MOT");
    EXPECT_EQ(convert("24C512", cli.folder.Write("image.bin", image), ours), cli::ExitSuccess);
    ASSERT_EQ(run("srec_cat '" + ours + "' -motorola -o '" + cli.folder.Path("back.bin") + "' -binary"), 0)
        << cli.folder.ReadText("tool.log");
    EXPECT_EQ(cli.folder.ReadBytes("back.bin"), image);

    // A data record whose checksum is wrong still loads, with the warning HEX files get.
    std::string text = cli.folder.ReadText("in.s19");
    const std::size_t secondEnd = text.find('\n', text.find('\n') + 1);
    ASSERT_EQ(text.compare(text.find('\n') + 1, 2, "S1"), 0) << "the header, then the first data record";
    text.replace(secondEnd - 2, 2, text.substr(secondEnd - 2, 2) == "00" ? "01" : "00");
    EXPECT_EQ(convert("24C256", cli.folder.Write("broken.srec", text), cli.folder.Path("broken.bin")),
              cli::ExitSuccess);
    EXPECT_EQ(cli.err.str(), "AVISO: El fichero tiene 1 linea que no es un registro S-record valido (la linea 2): "
                             "se ha cargado tal como esta\n");
    EXPECT_EQ(cli.folder.ReadBytes("broken.bin"), cli.folder.ReadBytes("reference.bin"));

    // A record after an end record (srec_cat writes none here) is not read, and is warned of.
    const std::string whole = cli.folder.ReadText("in.s19");
    const auto lines = std::count(whole.begin(), whole.end(), '\n');
    EXPECT_EQ(convert("24C256", cli.folder.Write("after.srec", whole + "S9030000FC\nS1050100AABB94\n"), cli.folder.Path("after.bin")),
              cli::ExitSuccess);
    EXPECT_EQ(cli.err.str(), "AVISO: El fichero sigue despues de su registro final: la linea " +
                                 std::to_string(lines + 2) + " no se ha cargado\n");
    EXPECT_EQ(cli.folder.ReadBytes("after.bin"), cli.folder.ReadBytes("reference.bin"));
}

TEST(EepromCli, ATraceOnTheCommandsOwnFileIsAUsageErrorThatTouchesNothing) {
    EepromCli cli;
    const std::string text = ":0100000042BD\n:00000001FF\n";
    const auto image = cli.folder.Write("image.hex", text);
    namespace fs = std::filesystem;
    fs::create_symlink(image, cli.folder.Path("soft.vcd"));
    fs::create_hard_link(image, cli.folder.Path("hard.vcd"));
    fs::create_symlink(cli.folder.Path("new.hex"), cli.folder.Path("ahead.vcd"));  // its file is still to come
    const std::vector<std::vector<std::string>> clashes = {
        {"eeprom", "write", image, "--trace", image},
        {"--trace", cli.folder.Path("soft.vcd"), "eeprom", "verify", image},
        {"eeprom", "write", image, "--trace", cli.folder.Path("hard.vcd")},
        {"eeprom", "read", cli.folder.Path("new.hex"), "--trace", cli.folder.Path("ahead.vcd")},
        {"eeprom", "read", cli.folder.Path("./new.hex"), "--trace", cli.folder.Path("new.hex")},
        {"eeprom", "convert", image, cli.folder.Path("new.bin"), "--trace", cli.folder.Path("new.bin")},
    };
    for (const auto& args : clashes) {
        EXPECT_EQ(cli.Run(args), cli::ExitUsage) << ::testing::PrintToString(args);
        EXPECT_EQ(cli.err.str().rfind("tarpel-cli: --trace no puede ser un fichero que lee o escribe la orden: ", 0), 0u)
            << cli.err.str();
        EXPECT_EQ(cli.folder.ReadText("image.hex"), text);
        EXPECT_FALSE(fs::exists(cli.folder.Path("new.hex")));
        EXPECT_FALSE(fs::exists(cli.folder.Path("new.bin")));
        EXPECT_FALSE(fs::exists(cli.folder.Path("chips"))) << "the board is not opened";
    }
    // Nor can it be, or become, a simulated chip's file; and an empty name is no trace at all.
    const std::pair<std::string, std::string> refused[] = {
        {cli.folder.Path("chips/24C128.bin"), "--trace no puede ser un fichero de los chips simulados (carpeta "},
        {"", "--trace necesita el nombre de un fichero"}};
    for (const auto& [trace, message] : refused) {
        EXPECT_EQ(cli.Run({"--trace", trace, "eeprom", "read", cli.folder.Path("new.hex")}), cli::ExitUsage) << trace;
        EXPECT_EQ(cli.err.str().rfind("tarpel-cli: " + message, 0), 0u) << cli.err.str();
        EXPECT_FALSE(fs::exists(cli.folder.Path("chips"))) << "the board is not opened";
    }
    EXPECT_EQ(cli.Run({"eeprom", "write", image, "--trace", cli.folder.Path("bus.vcd")}), cli::ExitSuccess);
    EXPECT_EQ(cli.folder.ReadText("image.hex"), text);
}

TEST(EepromCli, DetectPrintsItsGuessAndLeavesTheChipAsItWas) {
    EepromCli cli;
    std::vector<std::uint8_t> contents(8192);
    for (std::size_t i = 0; i < contents.size(); ++i) contents[i] = static_cast<std::uint8_t>((i * 131) ^ (i >> 5));
    const sim::ChipStore store(cli.folder.Path("chips"));
    ASSERT_TRUE(store.Save("24C64.bin", contents));
    EXPECT_EQ(cli.Run({"--sim-eeprom", "24C64", "eeprom", "detect"}), cli::ExitSuccess) << cli.err.str();
    EXPECT_EQ(cli.out.str(), "Memoria detectada: 24C64, o una mayor que repita su contenido cada 8192 bytes (no se "
                             "pueden distinguir)\n");
    EXPECT_EQ(cli.err.str(), "");
    EXPECT_EQ(store.Load("24C64.bin", 8192), contents);

    EXPECT_EQ(cli.Run({"--sim-eeprom", "24C256", "eeprom", "detect"}), cli::ExitSuccess);
    EXPECT_EQ(cli.out.str(),
              "Memoria de 24C01 a 24C512: su contenido (vacio o un mismo patron repetido) no permite saber cual\n");
    EXPECT_EQ(cli.Run({"--sim-eeprom", "24C08", "eeprom", "detect"}), cli::ExitSuccess);
    EXPECT_EQ(cli.out.str(), "Memoria 24C08 o 24CM02: su contenido (vacio o un mismo patron repetido) no permite saber cual\n");
    EXPECT_EQ(cli.Run({"--sim-eeprom", "24C16", "eeprom", "detect"}), cli::ExitSuccess);
    EXPECT_EQ(cli.out.str(), "Memoria detectada: 24C16\n");

    EXPECT_EQ(cli.Run({"--sim-eeprom", "none", "eeprom", "detect"}), cli::ExitFailure);
    EXPECT_EQ(cli.out.str(), "");
    EXPECT_EQ(cli.err.str(), "ERROR: Sin acuse de recibo por parte del chip!!! (No se ha recibido ACK)\n");
}

}  // namespace
}  // namespace tarpel::test
