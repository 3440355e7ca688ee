// SPDX-License-Identifier: GPL-2.0-or-later
// tarpel-cli's AVR writing commands end to end on the simulated board: exit statuses, what goes
// to standard output and error, what the virtual device keeps in its store afterwards, and the
// waveform of a run as sigrok's SPI and AVR ISP decoders read it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>

#include "ExternalTool.h"
#include "TempFolder.h"
#include "avr/ElfRead.h"
#include "cli/AvrCommands.h"
#include "cli/AvrLockCommands.h"
#include "cli/AvrReadCommands.h"
#include "cli/Cli.h"
#include "files/Checksums.h"
#include "sim/ChipStore.h"

namespace tarpel::test {
namespace {

class AvrCli : public ::testing::Test {
protected:
    void SetUp() override { cli::RegisterAvrCommands(table); }

    // Runs on the simulation with an empty 24Cxx socket and this test's store folder.
    int Run(const std::string& model, std::vector<std::string> args) {
        out.str("");
        err.str("");
        args.insert(args.begin(),
                    {"--board", "sim", "--sim-dir", folder.Path(chips), "--sim-eeprom", "none", "--sim-avr", model});
        return cli::RunCli(table, args, out, err);
    }
    std::vector<std::uint8_t> Stored(const std::string& file, std::size_t size) const {
        return sim::ChipStore(folder.Path(chips)).Load(file, size);
    }

    std::string chips = "chips";  // the store folder: the socket of one virtual board
    TempFolder folder;
    cli::CommandTable table;
    std::ostringstream out;
    std::ostringstream err;
};

std::vector<std::uint8_t> Padded(std::vector<std::uint8_t> bytes, std::size_t size) {
    bytes.resize(size, 0xFF);
    return bytes;
}

// The checksum line of a memory that holds these bytes.
std::string Sums(const std::vector<std::uint8_t>& memory) {
    return files::ChecksumText(files::ChecksumsOf(memory)) + "\n";
}

TEST_F(AvrCli, ErasesProgramsAndReprogramsTheDeviceInTheSocket) {
    ASSERT_TRUE(sim::ChipStore(folder.Path("chips")).Save("at90s8515-flash.bin", std::vector<std::uint8_t>(8192, 0x00)));
    EXPECT_EQ(Run("at90s8515", {"avr", "erase"}), cli::ExitSuccess);
    EXPECT_EQ(err.str(), "OK: Chip borrado !!\n");
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(Stored("at90s8515-flash.bin", 8192), std::vector<std::uint8_t>(8192, 0xFF));

    const std::string flash = folder.Write("p.hex", ":0400000012345678E8\r\n:00000001FF\r\n");
    EXPECT_EQ(Run("at90s8515", {"avr", "write-flash", flash}), cli::ExitSuccess);
    // Blank parts of the file are not read back from a flash that was not erased: the figures
    // say they are the file's.
    EXPECT_EQ(out.str(), "Tipo de micro: AT90S8515 (8kb flash)\n" +
                             files::ChecksumText(files::ChecksumsOf(Padded({0x12, 0x34, 0x56, 0x78}, 8192))) +
                             " del fichero rellenado con FF (la flash no se ha borrado: donde el fichero no tiene "
                             "datos guarda lo que tenia)\n");
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(Stored("at90s8515-flash.bin", 8192), Padded({0x12, 0x34, 0x56, 0x78}, 8192));

    const std::string eeprom = folder.Write("e.bin", std::vector<std::uint8_t>{0xA1, 0xB2});
    EXPECT_EQ(Run("at90s8515", {"avr", "write-eeprom", eeprom}), cli::ExitSuccess);
    EXPECT_EQ(Stored("at90s8515-eeprom.bin", 512), Padded({0xA1, 0xB2}, 512));
    EXPECT_EQ(out.str(), "Tipo de micro: AT90S8515 (8kb flash)\n" + Sums(Padded({0xA1, 0xB2}, 512)));

    // Programming over a written flash fails at the first byte that cannot go from 0 to 1 ...
    const std::string other = folder.Write("q.bin", std::vector<std::uint8_t>{0x21, 0x43});
    EXPECT_EQ(Run("at90s8515", {"avr", "write-flash", other}), cli::ExitFailure);
    EXPECT_EQ(err.str(), "ERROR: Error de comunicacion con Atmel, o intento de grabar flash sin borrar antes..."
                         " (direccion $0000)\n");
    EXPECT_EQ(out.str(), "Tipo de micro: AT90S8515 (8kb flash)\n") << "no checksums of a write that failed";
    // ... while reprogramming erases first. A backup that cannot be saved stops it before that,
    // and one that can holds what the erase takes, EEPROM included.
    EXPECT_EQ(Run("at90s8515", {"avr", "reprogram-flash", other, "--backup", folder.Path("no/such/dir/b.elf")}),
              cli::ExitFailure);
    EXPECT_EQ(err.str(), "ERROR: No se puede crear fichero!!\n"
                         "ERROR: No se ha grabado nada: no se ha podido hacer la copia de seguridad\n");
    const auto programmedOver = Padded({0x12 & 0x21, 0x34, 0x56, 0x78}, 8192);
    EXPECT_EQ(Stored("at90s8515-flash.bin", 8192), programmedOver);
    EXPECT_EQ(Run("at90s8515", {"avr", "reprogram-flash", other, "--backup", other}), cli::ExitUsage)
        << "never over a file the command reads";
    EXPECT_EQ(Run("at90s8515", {"avr", "reprogram-flash", other, "--backup", folder.Path("before.elf")}),
              cli::ExitSuccess);
    EXPECT_EQ(err.str(), "");
    const avr::ElfReadResult before = avr::ElfRead(folder.Path("before.elf"), avr::ElfMemory::Signature);
    EXPECT_EQ(before.flash, programmedOver);
    EXPECT_EQ(before.eeprom, Padded({0xA1, 0xB2}, 512));
    EXPECT_EQ(before.signature, (std::vector<std::uint8_t>{0x1E, 0x93, 0x01}));
    EXPECT_EQ(Stored("at90s8515-flash.bin", 8192), Padded({0x21, 0x43}, 8192));
    EXPECT_EQ(out.str(), "Tipo de micro: AT90S8515 (8kb flash)\nTipo de micro: AT90S8515 (8kb flash)\n" +
                             Sums(Stored("at90s8515-flash.bin", 8192)))
        << "the backup's identification, then the command's";
    EXPECT_EQ(Stored("at90s8515-eeprom.bin", 512), std::vector<std::uint8_t>(512, 0xFF))
        << "the chip erase takes the EEPROM with it";
}

// A whole chip through one ELF file into another virtual board's chip, the file checked with the
// toolchain's own tools.
TEST_F(AvrCli, BackupAndRestoreCarryAWholeChipBetweenTwoVirtualBoards) {
    TARPEL_REQUIRE_TOOL("avr-objdump");
    cli::RegisterAvrReadCommands(table);
    std::vector<std::uint8_t> flash(8192), eeprom(512);
    for (std::size_t i = 0; i < flash.size(); ++i) flash[i] = static_cast<std::uint8_t>(i * 7 + (i >> 9));
    for (std::size_t i = 0; i < eeprom.size(); ++i) eeprom[i] = static_cast<std::uint8_t>(i * 13 + 5);
    const std::vector<std::uint8_t> fuses{0xE4, 0xD9}, lock{0xFE};  // mode 2 still lets it be read
    const sim::ChipStore first(folder.Path("chips"));
    ASSERT_TRUE(first.Save("atmega8515-flash.bin", flash) && first.Save("atmega8515-eeprom.bin", eeprom) &&
                first.Save("atmega8515-fuses.bin", fuses) && first.Save("atmega8515-lock.bin", lock));
    const std::string copy = folder.Path("chip.elf");
    EXPECT_EQ(Run("atmega8515", {"avr", "backup", copy}), cli::ExitSuccess) << err.str();
    EXPECT_EQ(err.str(), "");

    const std::string sections = CommandOutput("avr-objdump -h '" + copy + "'");
    for (const char* section : {".text         00002000  00000000  00000000", ".eeprom       00000200  00810000  00810000",
                                ".fuse         00000002  00820000  00820000", ".lock         00000001  00830000  00830000",
                                ".signature    00000003  00840000  00840000"})
        EXPECT_NE(sections.find(section), std::string::npos) << section << "\n" << sections;
    const auto extracted = [&](const std::string& section) {
        std::system(("avr-objcopy -O binary -j " + section + " '" + copy + "' '" + folder.Path("part.bin") + "'").c_str());
        return folder.ReadBytes("part.bin");
    };
    EXPECT_EQ(extracted(".text"), flash);
    EXPECT_EQ(extracted(".eeprom"), eeprom);
    EXPECT_EQ(extracted(".fuse"), fuses);
    EXPECT_EQ(extracted(".lock"), lock);
    EXPECT_EQ(extracted(".signature"), (std::vector<std::uint8_t>{0x06, 0x93, 0x1E})) << "avr-libc's order";

    // The other board: another device first, then an ATmega8515 with a written flash, other fuses
    // and EESAVE programmed, so that the erase keeps its EEPROM.
    chips = "other";
    EXPECT_EQ(Run("at90s8515", {"avr", "restore", copy}), cli::ExitFailure);
    EXPECT_EQ(err.str(), "ERROR: El fichero es para un ATMEGA 8515 (8kb flash) y el micro del zocalo es un AT90S8515 "
                         "(8kb flash)!!\n");
    EXPECT_EQ(Stored("at90s8515-flash.bin", 8192), std::vector<std::uint8_t>(8192, 0xFF)) << "nothing written";
    const sim::ChipStore second(folder.Path("other"));
    ASSERT_TRUE(second.Save("atmega8515-flash.bin", std::vector<std::uint8_t>(8192, 0x00)) &&
                second.Save("atmega8515-eeprom.bin", std::vector<std::uint8_t>(512, 0x55)) &&
                second.Save("atmega8515-fuses.bin", {0xE1, 0xD1}));
    EXPECT_EQ(Run("atmega8515", {"avr", "restore", copy}), cli::ExitSuccess) << err.str();
    EXPECT_EQ(err.str(), "OK: Copia restaurada y comprobada !!\n");
    EXPECT_EQ(Stored("atmega8515-flash.bin", 8192), flash);
    EXPECT_EQ(Stored("atmega8515-eeprom.bin", 512), eeprom);
    EXPECT_EQ(Stored("atmega8515-fuses.bin", 2), fuses);
    EXPECT_EQ(Stored("atmega8515-lock.bin", 1), lock) << "locked last, after the check";
    // Both chips read the same through the program too.
    std::string outputs[2];
    for (const char* board : {"chips", "other"}) {
        chips = board;
        for (const char* command : {"read-flash", "read-eeprom"}) {
            ASSERT_EQ(Run("atmega8515", {"avr", command, folder.Path(std::string(board) + command + ".hex")}),
                      cli::ExitSuccess);
            outputs[chips == "other"] += out.str();
        }
    }
    EXPECT_EQ(outputs[0], outputs[1]);
    EXPECT_EQ(folder.ReadBytes("chipsread-flash.hex"), folder.ReadBytes("otherread-flash.hex"));
    EXPECT_EQ(folder.ReadBytes("chipsread-eeprom.hex"), folder.ReadBytes("otherread-eeprom.hex"));

    // An ATmega162's copy carries its three fuse bytes, the extended one too, into another one.
    const std::vector<std::uint8_t> fuses162{0xE2, 0x91, 0xF9};
    chips = "chips";
    ASSERT_TRUE(first.Save("atmega162-fuses.bin", fuses162));
    const std::string copy162 = folder.Path("mega162.elf");
    EXPECT_EQ(Run("atmega162", {"avr", "backup", copy162}), cli::ExitSuccess) << err.str();
    EXPECT_NE(CommandOutput("avr-objdump -h '" + copy162 + "'").find(".fuse         00000003"), std::string::npos);
    chips = "other";
    EXPECT_EQ(Run("atmega162", {"avr", "restore", copy162}), cli::ExitSuccess) << err.str();
    EXPECT_EQ(Stored("atmega162-fuses.bin", 3), fuses162);
}

TEST_F(AvrCli, IdentifyTellsTheDeviceAndFailsWithoutOne) {
    EXPECT_EQ(Run("atmega8515", {"avr", "identify"}), cli::ExitSuccess);
    EXPECT_EQ(out.str(), "Tipo de micro: ATMEGA 8515 (8kb flash)\n");
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(Run("at90s4414", {"avr", "identify"}), cli::ExitSuccess);
    EXPECT_EQ(out.str(), "Tipo de micro: AT90S4414 (4kb flash)\n");

    EXPECT_EQ(Run("none", {"avr", "identify"}), cli::ExitFailure);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "ERROR: No se ha detectado ningun micro!!!\n");
    EXPECT_EQ(Run("atmega8515", {"avr", "identify", "--sim-fault", "avr-locked"}), cli::ExitFailure);
    EXPECT_EQ(err.str(), "ERROR: El Atmel esta protegido contra lectura/escritura (Recibido ID=00 01 02)\n");
    EXPECT_EQ(Run("atmega8515", {"avr", "identify", "--sim-fault", "avr-unknown-signature"}), cli::ExitFailure);
    EXPECT_EQ(err.str(), "ERROR: ID de chip desconocido...\n");
}

TEST_F(AvrCli, FileFaultsGiveOneLineEach) {
    EXPECT_EQ(Run("atmega8515", {"avr", "write-flash", folder.Write("empty.hex", "")}), cli::ExitFailure);
    EXPECT_EQ(err.str(), "ERROR: El fichero no contiene datos HEX validos!!\n");
    EXPECT_EQ(out.str(), "") << "not even identified";

    const std::string mega = folder.Write("mega.bin", std::vector<std::uint8_t>(8192, 0x00));
    EXPECT_EQ(Run("at90s4414", {"avr", "write-flash", mega}), cli::ExitFailure);
    EXPECT_EQ(out.str(), "Tipo de micro: AT90S4414 (4kb flash)\n");
    EXPECT_EQ(err.str(), "ERROR: El fichero llega hasta el byte 8192 y la flash del micro solo tiene 4096 bytes!!\n");
    EXPECT_EQ(Stored("at90s4414-flash.bin", 4096), std::vector<std::uint8_t>(4096, 0xFF));

    // A line that is no valid record (here its checksum) loads as it always did, with a warning.
    const std::string flash = folder.Write("p.hex", ":0400000012345678E9\r\n:00000001FF\r\n");
    EXPECT_EQ(Run("at90s8515", {"avr", "write-flash", flash}), cli::ExitSuccess);
    EXPECT_EQ(err.str(),
              "AVISO: El fichero tiene 1 linea que no es un registro HEX valido (la linea 1): se ha cargado tal como esta\n");
    EXPECT_EQ(Stored("at90s8515-flash.bin", 8192), Padded({0x12, 0x34, 0x56, 0x78}, 8192));
}

// A part of unknown signature may be of another size than the table's: no command judges it as
// an AT90S8515. Only the erase, which reads no signature, works on it.
TEST_F(AvrCli, AnUnknownSignatureStopsEveryCommandButTheErase) {
    cli::RegisterAvrReadCommands(table);
    const std::string image = folder.Write("p.bin", std::vector<std::uint8_t>{0x12, 0x34});
    const std::vector<std::vector<std::string>> commands{
        {"identify"},      {"write-flash", image},  {"write-eeprom", image},  {"reprogram-flash", image},
        {"read-flash", folder.Path("f.bin")},       {"read-eeprom", folder.Path("e.bin")},
        {"verify-flash", image},                    {"verify-eeprom", image}, {"blank-test"},
        {"read-fuses"},    {"write-fuses", "--eesave"}};
    for (const auto& command : commands) {
        SCOPED_TRACE(command[0]);
        std::vector<std::string> args{"avr", "--sim-fault", "avr-unknown-signature"};
        args.insert(args.end(), command.begin(), command.end());
        EXPECT_EQ(Run("atmega8515", args), cli::ExitFailure);
        EXPECT_EQ(err.str(), "ERROR: ID de chip desconocido...\n");
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_FALSE(std::filesystem::exists(folder.Path("f.bin")));
    EXPECT_FALSE(std::filesystem::exists(folder.Path("e.bin")));
    EXPECT_EQ(Stored("atmega8515-eeprom.bin", 512), std::vector<std::uint8_t>(512, 0xFF));
    EXPECT_EQ(Stored("atmega8515-fuses.bin", 2), (std::vector<std::uint8_t>{0xFF, 0xFF})) << "never written";

    EXPECT_EQ(Run("atmega8515", {"avr", "erase", "--sim-fault", "avr-unknown-signature"}), cli::ExitSuccess);
    EXPECT_EQ(err.str(), "OK: Chip borrado !!\n");
}

// The lock commands ask nothing; the lock holds in later runs until an erase.
TEST_F(AvrCli, WriteLockLocksTheChipAgainstLaterCommandsUntilAnErase) {
    cli::RegisterAvrLockCommands(table);
    cli::RegisterAvrReadCommands(table);
    const std::string flash = folder.Write("p.bin", std::vector<std::uint8_t>{0x12, 0x34});
    EXPECT_EQ(Run("atmega8515", {"avr", "write-lock", "--mode", "2"}), cli::ExitSuccess);
    EXPECT_EQ(out.str(), "Tipo de micro: ATMEGA 8515 (8kb flash)\nBits de bloqueo: 0xFE\n"
                         "Modo 2: programacion deshabilitada\n");
    EXPECT_EQ(err.str(), "OK: Bits de bloqueo grabados !!\n");
    EXPECT_EQ(Run("atmega8515", {"avr", "write-flash", flash}), cli::ExitFailure);
    EXPECT_EQ(err.str(), "Tarpel v1.5 ATMega8515: Error programando flash! (direccion $0000)\n");
    EXPECT_EQ(Stored("atmega8515-flash.bin", 2), Padded({}, 2));
    EXPECT_EQ(Run("atmega8515", {"avr", "read-lock"}), cli::ExitSuccess);
    EXPECT_EQ(out.str(), "Tipo de micro: ATMEGA 8515 (8kb flash)\nBits de bloqueo: 0xFE\n"
                         "Modo 2: programacion deshabilitada\n");

    // Mode 3: the signature reads 00 01 02, or, as the ATmega8515's datasheet also allows, still
    // reads; then the mode shows, and no read takes what the chip answers for its contents.
    EXPECT_EQ(Run("atmega8515", {"avr", "write-lock", "--mode", "3"}), cli::ExitSuccess);
    EXPECT_EQ(Run("atmega8515", {"avr", "read-lock"}), cli::ExitFailure);
    EXPECT_EQ(err.str(), "ERROR: El Atmel esta protegido contra lectura/escritura (Recibido ID=00 01 02)\n");
    const std::vector<std::string> keeps{"--sim-fault", "avr-lock-keeps-signature"};
    EXPECT_EQ(Run("atmega8515", {"avr", "read-lock", keeps[0], keeps[1]}), cli::ExitSuccess);
    EXPECT_NE(out.str().find("Bits de bloqueo: 0xFC\nModo 3: "), std::string::npos) << out.str();
    EXPECT_EQ(Run("atmega8515", {"avr", "read-flash", folder.Path("f.bin"), keeps[0], keeps[1]}), cli::ExitFailure);
    EXPECT_EQ(err.str().rfind("ERROR: El ATMEGA 8515 (8kb flash) esta bloqueado en el modo 3", 0), 0u) << err.str();
    EXPECT_FALSE(std::filesystem::exists(folder.Path("f.bin")));

    EXPECT_EQ(Run("at90s4414", {"avr", "write-lock", "--mode", "3"}), cli::ExitSuccess);
    EXPECT_EQ(err.str(), "OK: Bits de bloqueo grabados !! Este micro no deja leerlos para comprobarlo.\n");
    EXPECT_EQ(Run("at90s4414", {"avr", "read-lock"}), cli::ExitFailure);
    EXPECT_EQ(err.str(), "ERROR: El Atmel esta protegido contra lectura/escritura (Recibido ID=00 01 02)\n");
    EXPECT_EQ(Run("at90s4414", {"avr", "erase"}), cli::ExitSuccess);
    EXPECT_EQ(Run("at90s4414", {"avr", "read-lock"}), cli::ExitFailure);
    EXPECT_EQ(err.str().rfind("AVISO: El AT90S4414 (4kb flash) no tiene instruccion para leer sus bits", 0), 0u)
        << err.str();
    EXPECT_EQ(Run("at90s4414", {"avr", "write-lock", "--mode", "4"}), cli::ExitUsage);
    EXPECT_EQ(Run("at90s4414", {"avr", "write-lock"}), cli::ExitUsage);
}

TEST_F(AvrCli, FilesThatGiveNoImageAreRefusedBeforeTheDeviceIsTouched) {
    const std::string notes = folder.Write("notes.txt", std::string(":00000001FF\r\n"));
    EXPECT_EQ(Run("atmega8515", {"avr", "write-eeprom", notes}), cli::ExitFailure);
    EXPECT_EQ(err.str(), "ERROR: Tipo de fichero desconocido (debe ser .hex, .bin, .srec, .s19, .s28, .s37, .mot o .elf)!!\n");
    EXPECT_EQ(out.str(), "") << "not even identified";
    EXPECT_EQ(Run("atmega8515", {"avr", "reprogram-flash", folder.Path("gone.hex")}), cli::ExitFailure);
    EXPECT_EQ(err.str(), "ERROR: No se puede abrir el fichero!!\n");
    EXPECT_EQ(Run("atmega8515", {"avr", "write-flash"}), cli::ExitUsage);

    // A file that gives the memory no data at all, whatever its kind: programming it would be
    // 0xFF over what the device holds.
    ASSERT_TRUE(sim::ChipStore(folder.Path("chips")).Save("atmega8515-eeprom.bin", std::vector<std::uint8_t>(512, 0x11)));
    const std::string empty = folder.Write("empty.bin", std::vector<std::uint8_t>{});
    const std::string far = folder.Write("far.srec", std::string("S2060100001234B2\r\n"));
    cli::RegisterAvrReadCommands(table);
    for (const char* command : {"write-flash", "reprogram-flash", "write-eeprom", "verify-flash"}) {
        SCOPED_TRACE(command);
        EXPECT_EQ(Run("atmega8515", {"avr", command, empty}), cli::ExitFailure);
        EXPECT_EQ(err.str(), "ERROR: El fichero no contiene ningun dato!!\n");
        EXPECT_EQ(out.str(), "") << "not even identified";
        EXPECT_EQ(Run("atmega8515", {"avr", command, far}), cli::ExitFailure);
        EXPECT_EQ(err.str(), "ERROR: Ningun dato del fichero cae dentro de los " +
                                 std::string(command == std::string("write-eeprom") ? "512" : "16384") +
                                 " bytes del chip: el primero esta en el byte 65536!!\n");
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_EQ(Stored("atmega8515-eeprom.bin", 512), std::vector<std::uint8_t>(512, 0x11));
    EXPECT_EQ(Stored("atmega8515-flash.bin", 8192), std::vector<std::uint8_t>(8192, 0xFF));
}

TEST_F(AvrCli, APageThatNeverProgramsIsAFailure) {
    const std::string flash = folder.Write("p.bin", std::vector<std::uint8_t>(128, 0x3C));
    EXPECT_EQ(Run("atmega8515", {"avr", "write-flash", flash, "--sim-fault", "avr-flash-stuck:64"}), cli::ExitFailure);
    EXPECT_EQ(err.str(), "Tarpel v1.5 ATMega8515: Error programando flash! (direccion $0040)\n");
}

TEST_F(AvrCli, SigrokDecodesTheInstructionsOfAFlashWriteInBothTimings) {
    TARPEL_REQUIRE_TOOL("sigrok-cli");
    const std::string flash = folder.Write("p.hex", ":0300000012FF5696\r\n:00000001FF\r\n");
    for (const bool fast : {false, true}) {
        SCOPED_TRACE(fast ? "fast timing" : "standard timing");
        const std::string trace = folder.Path(fast ? "fast.vcd" : "run.vcd");
        std::vector<std::string> args = {"avr", "write-flash", flash, "--trace", trace};
        if (fast) args.push_back("--fast");
        ASSERT_EQ(Run("at90s4414", args), cli::ExitSuccess);
        // Port accesses are 1 us apart at least: a 1 us sample grid keeps every edge.
        const std::string sigrok =
            "sigrok-cli -I vcd:downsample=1000 -i '" + trace + "' -P spi:clk=SCK:mosi=MOSI:miso=MISO";

        const std::string isp = CommandOutput(sigrok + ",avr_isp -A avr_isp 2>&1");
        EXPECT_EQ(isp.find("avr_isp-1: Programming enable\n"), 0u) << isp;
        EXPECT_NE(isp.find("avr_isp-1: Device: Atmel AT90S4414\n"), std::string::npos) << isp;
        // The decoder names no flash instruction, but shows each with the bytes the device answered.
        EXPECT_NE(isp.find("Unknown command: 40 00 00 12 (reply: 00 40 00 00)!"), std::string::npos) << isp;
        EXPECT_NE(isp.find("Unknown command: 40 00 01 56 (reply: 00 40 00 01)!"), std::string::npos) << isp;
        EXPECT_NE(isp.find("Unknown command: 20 00 01 00 (reply: 00 20 00 56)!"), std::string::npos) << isp;
        EXPECT_EQ(isp.find("Unknown command: 48 00 00 FF"), std::string::npos) << "0xFF is not written";

        // Every byte the device received, in order: enable, the signature, then the writes and polls.
        std::string mosi;
        std::istringstream lines(CommandOutput(sigrok + " -A spi=mosi-data 2>&1"));
        for (std::string line; std::getline(lines, line);) mosi += line.substr(line.rfind(' ') + 1) + " ";
        EXPECT_EQ(mosi.rfind("AC 53 00 00 30 00 00 00 30 00 01 00 30 00 02 00 40 00 00 12 20 00 00 00 ", 0), 0u)
            << mosi;
    }
}

}  // namespace
}  // namespace tarpel::test
