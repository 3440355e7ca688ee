#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "cli/Cli.h"
#include "cli/EepromCommands.h"
#include "files/Checksums.h"
#include "sim/ChipStore.h"

namespace tarpel::test {
namespace {

// tarpel-cli's eeprom group on the simulated board, whose chips live in a folder of the test.
struct EepromCli {
    EepromCli() { cli::RegisterEepromCommands(table); }
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
    EXPECT_EQ(cli.out.str(), sums) << "the chip's, not the file's";
}

TEST(EepromCli, FailuresAndMistakesGiveTheirStatusAndWriteNoFile) {
    EepromCli cli;
    const auto image = cli.folder.Write("image.hex", ":00000001FF\n");
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
        {{"eeprom", "write", cli.folder.Path("missing.hex")}, cli::ExitFailure,
         "ERROR: No se puede leer el fichero: " + cli.folder.Path("missing.hex") + "\n"},
        {{"eeprom", "read", "--chip", "24C1024", cli.folder.Path("copy.bin")}, cli::ExitUsage,
         "ERROR: Memoria desconocida: 24C1024 (use 24C04, 24C08, 24C16, 24C32, 24C64, 24C128, 24C256, 24C512)\n"},
        {{"eeprom", "read", cli.folder.Path("copy.txt")}, cli::ExitUsage,
         "ERROR: El fichero debe acabar en .hex o .bin: " + cli.folder.Path("copy.txt") + "\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cli.Run(c.args), c.status) << ::testing::PrintToString(c.args);
        EXPECT_EQ(cli.err.str(), c.error);
        if (c.status != cli::ExitSuccess) {
            EXPECT_EQ(cli.out.str(), "") << "no checksums of a chip not read or written whole";
        }
    }
    for (const auto& name : cli.folder.Names()) EXPECT_TRUE(name == "image.hex" || name == "chips") << name;
}

TEST(EepromCli, DetectPrintsItsGuessAndLeavesTheChipAsItWas) {
    EepromCli cli;
    std::vector<std::uint8_t> contents(8192);
    for (std::size_t i = 0; i < contents.size(); ++i) contents[i] = static_cast<std::uint8_t>((i * 131) ^ (i >> 5));
    const sim::ChipStore store(cli.folder.Path("chips"));
    ASSERT_TRUE(store.Save("24C64.bin", contents));
    EXPECT_EQ(cli.Run({"--sim-eeprom", "24C64", "eeprom", "detect"}), cli::ExitSuccess) << cli.err.str();
    EXPECT_EQ(cli.out.str(), "Memoria detectada: 24C64\n");
    EXPECT_EQ(cli.err.str(), "");
    EXPECT_EQ(store.Load("24C64.bin", 8192), contents);

    EXPECT_EQ(cli.Run({"--sim-eeprom", "24C256", "eeprom", "detect"}), cli::ExitSuccess);
    EXPECT_EQ(cli.out.str(),
              "Memoria de 24C32 a 24C512: su contenido (vacio o un mismo patron repetido) no permite saber cual\n");
    EXPECT_EQ(cli.Run({"--sim-eeprom", "24C08", "eeprom", "detect"}), cli::ExitSuccess);
    EXPECT_EQ(cli.out.str(), "Memoria detectada: 24C08\n");

    EXPECT_EQ(cli.Run({"--sim-eeprom", "none", "eeprom", "detect"}), cli::ExitFailure);
    EXPECT_EQ(cli.out.str(), "");
    EXPECT_EQ(cli.err.str(), "ERROR: Sin acuse de recibo por parte del chip!!! (No se ha recibido ACK)\n");
}

}  // namespace
}  // namespace tarpel::test
