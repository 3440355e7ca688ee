// SPDX-License-Identifier: GPL-2.0-or-later
// tarpel-cli as a separate process, as users and scripts meet it: exit status, standard error,
// the final line state in its trace, and stop signals in the middle of a command, paced at
// wall-clock speed (--real-time) so that "the middle" lasts long enough to be hit.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "../sim/VcdReader.h"
#include "CliProcess.h"
#include "FileSizeLimit.h"
#include "TempFolder.h"
#include "sim/ChipStore.h"

namespace tarpel::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Ends within this of a signal, or the test fails; the real figure is far smaller.
constexpr auto EndTimeout = 10s;
constexpr auto StartTimeout = 30s;

// Every line the PC drives; SDA and MISO are inputs and read what the chips leave.
const std::vector<std::string> DrivenLines = {"SUPPLY", "SCL", "SDA_OUT", "VCC", "XTAL1", "RESET", "MOSI", "SCK"};

void ExpectEveryLineLowAtTheEnd(const std::string& tracePath, const std::string& what) {
    const VcdTrace trace = ReadVcd(tracePath);
    for (const auto& line : DrivenLines) {
        ASSERT_FALSE(trace.changes.at(line).empty()) << what << " " << line;
        EXPECT_EQ(trace.changes.at(line).back().value, '0') << what << " " << line;
    }
}

// The trace has grown past its header: the command is at work.
std::function<bool()> TraceBeyond(const std::string& path, std::uintmax_t bytes) {
    return [path, bytes] {
        std::error_code error;
        const auto size = fs::file_size(path, error);
        return !error && size > bytes;
    };
}

struct Folders {
    TempFolder folder;
    std::string Chips() const { return folder.Path("chips"); }
    std::string Trace() const { return folder.Path("run.vcd"); }
    std::vector<std::string> Board(const std::vector<std::string>& rest, const std::string& eeprom = "24C512",
                                   const std::string& avr = "none") const {
        std::vector<std::string> args = {"--board", "sim", "--sim-dir", Chips(), "--sim-eeprom", eeprom,
                                         "--sim-avr", avr, "--real-time", "--trace", Trace()};
        args.insert(args.end(), rest.begin(), rest.end());
        return args;
    }
};

TEST(Process, EachStopSignalEndsACommandMidwayWithEveryLineOffAndStatusOne) {
    for (const int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        Folders run;
        const std::string name = ::strsignal(number);
        CliProcess process(run.Board({"eeprom", "read", "--chip", "24C512", run.folder.Path("out.bin")}),
                           run.folder.Path("err.txt"));
        ASSERT_TRUE(process.WaitFor(TraceBeyond(run.Trace(), 0), StartTimeout)) << name << process.ErrorText();
        process.Signal(number);
        const auto status = process.Wait(EndTimeout);
        ASSERT_TRUE(status.has_value()) << name << ": still running";
        EXPECT_EQ(CliProcess::ExitCode(status), 1) << name;
        EXPECT_EQ(process.ErrorText(), "Operacion cancelada\n") << name;
        EXPECT_FALSE(fs::exists(run.folder.Path("out.bin"))) << name << ": part of a chip is no copy of it";
        ExpectEveryLineLowAtTheEnd(run.Trace(), name);
        // Stopped long before the whole chip's 54 s of board time.
        EXPECT_LT(ReadVcd(run.Trace()).endNs, 20'000'000'000u) << name;
    }
}

// Writes are what a stop must not leave powered: the 24C512 (pages) and the AT90S8515 (bytes).
TEST(Process, SigtermInTheMiddleOfAWriteEndsAtTheNextPageOrByteWithEveryLineLow) {
    struct Case {
        const char* name;
        std::string eeprom;
        std::string avr;
        std::vector<std::string> command;
        std::string storeFile;
        std::size_t size;
        std::uintmax_t traceBytes;  // once the trace is this long, the command is well into its work
    };
    Folders run;
    const std::string image = run.folder.Write("image.bin", std::vector<std::uint8_t>(65536, 0x5A));
    const Case cases[] = {
        {"24C512 write", "24C512", "none", {"eeprom", "write", "--chip", "24C512", image}, "24C512.bin", 65536, 256 << 10},
        {"AT90S8515 flash write", "none", "at90s8515", {"avr", "write-flash", run.folder.Write("f.bin", std::vector<std::uint8_t>(8192, 0x5A))},
         "at90s8515-flash.bin", 8192, 2 << 20},
    };
    for (const auto& c : cases) {
        fs::remove_all(run.Chips());
        fs::remove(run.Trace());
        CliProcess process(run.Board(c.command, c.eeprom, c.avr), run.folder.Path("err.txt"));
        // Well into the work: several pages of the 24Cxx, past the identification of the AVR.
        ASSERT_TRUE(process.WaitFor(TraceBeyond(run.Trace(), c.traceBytes), StartTimeout))
            << c.name << process.ErrorText();

        if (c.eeprom != "none") {
            // Meanwhile a second program on the same simulated board is turned away untouched.
            CliProcess second({"--board", "sim", "--sim-dir", run.Chips(), "eeprom", "read", run.folder.Path("o.bin")},
                              run.folder.Path("err2.txt"));
            EXPECT_EQ(CliProcess::ExitCode(second.Wait(EndTimeout)), 1);
            EXPECT_NE(second.ErrorText().find("esta en uso por otro programa"), std::string::npos)
                << second.ErrorText();
        }

        const auto signalled = std::chrono::steady_clock::now();
        process.Signal(SIGTERM);
        const auto status = process.Wait(EndTimeout);
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                                signalled);
        ASSERT_TRUE(status.has_value()) << c.name << ": still running";
        // For the record only; the promise is within the next page or byte.
        std::cout << "[ measured ] " << c.name << ": SIGTERM to exit " << took.count() << " ms\n";
        EXPECT_EQ(CliProcess::ExitCode(status), 1) << c.name;
        // Each write names how far it had come.
        EXPECT_EQ(process.ErrorText().rfind(c.avr == "none" ? "Operacion cancelada; ya hecho: 24C512 grabada hasta"
                                                            : "Operacion cancelada; ya hecho: flash grabada hasta",
                                            0),
                  0u)
            << c.name << ": " << process.ErrorText();
        ExpectEveryLineLowAtTheEnd(run.Trace(), c.name);
        const auto stored = sim::ChipStore(run.Chips()).Load(c.storeFile, c.size);
        const auto written = std::count(stored.begin(), stored.end(), 0x5A);
        EXPECT_GT(written, 0) << c.name << ": stopped in the middle";
        EXPECT_LT(written, static_cast<long>(c.size)) << c.name << ": stopped in the middle";
    }
}

// A stop that comes while the device is being powered up, before any destructive step: the
// erase, the fuse write, the erase of a reprogram, the first flash page, the first EEPROM byte
// never happen, and the power-up's waits end early.
TEST(Process, AStopDuringThePowerUpLeavesTheDeviceUntouched) {
    Folders run;
    const std::string hex = run.folder.Write("f.hex", std::string(":0400000001020304F2\n:00000001FF\n"));
    const std::string eeprom = run.folder.Write("e.bin", std::vector<std::uint8_t>(512, 0x11));
    const std::vector<std::vector<std::string>> commands = {
        {"avr", "erase"}, {"avr", "write-fuses", "--eesave"}, {"avr", "reprogram-flash", hex},
        {"avr", "write-flash", hex}, {"avr", "write-eeprom", eeprom}};
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> memories = {
        {"atmega8515-flash.bin", std::vector<std::uint8_t>(8192, 0x5A)},
        {"atmega8515-eeprom.bin", std::vector<std::uint8_t>(512, 0xA5)},
        {"atmega8515-fuses.bin", {0xE1, 0xD9}}};
    for (const auto& command : commands) {
        for (const int number : {SIGINT, SIGTERM}) {
            const std::string name = command[1] + " " + ::strsignal(number);
            fs::remove_all(run.Chips());
            fs::remove(run.Trace());
            for (const auto& [file, bytes] : memories) ASSERT_TRUE(sim::ChipStore(run.Chips()).Save(file, bytes));
            CliProcess process(run.Board(command, "none", "atmega8515"), run.folder.Path("err.txt"));
            // The board is open once the simulated chips' folder is: the power-up follows at once.
            ASSERT_TRUE(process.WaitFor([&] { return process.HasOpen(run.Chips()); }, StartTimeout))
                << name << process.ErrorText();
            process.Signal(number);
            const auto status = process.Wait(EndTimeout);
            ASSERT_TRUE(status.has_value()) << name << ": still running";
            EXPECT_EQ(CliProcess::ExitCode(status), 1) << name;
            EXPECT_EQ(process.ErrorText(), "Operacion cancelada\n") << name;
            for (const auto& [file, bytes] : memories)
                EXPECT_EQ(sim::ChipStore(run.Chips()).Load(file, bytes.size()), bytes) << name << " " << file;
            ExpectEveryLineLowAtTheEnd(run.Trace(), name);
            // The power-up's 500 ms off and 300 ms on were cut short.
            EXPECT_LT(ReadVcd(run.Trace()).endNs, 800'000'000u) << name;
        }
    }
}

// A FIFO given as input blocks its reader until someone writes into it: a stop meanwhile ends
// the program as cancelled, before the board was ever powered.
TEST(Process, AStopWhileWaitingOnAFifoInputEndsTheProgramUntouched) {
    Folders run;
    const std::string fifo = run.folder.Path("in.hex");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::vector<std::uint8_t> flash(8192, 0x5A);
    ASSERT_TRUE(sim::ChipStore(run.Chips()).Save("atmega8515-flash.bin", flash));
    CliProcess process(run.Board({"avr", "reprogram-flash", fifo}, "none", "atmega8515"), run.folder.Path("err.txt"));
    ASSERT_TRUE(process.WaitFor([&] { return process.HasOpen(run.Chips()); }, StartTimeout)) << process.ErrorText();
    process.Signal(SIGINT);
    const auto status = process.Wait(EndTimeout);
    ASSERT_TRUE(status.has_value()) << "still waiting on the FIFO";
    EXPECT_EQ(CliProcess::ExitCode(status), 1);
    EXPECT_EQ(process.ErrorText(), "Operacion cancelada\n");
    EXPECT_EQ(sim::ChipStore(run.Chips()).Load("atmega8515-flash.bin", flash.size()), flash);
}

// Inputs no chip could need, and paths the system refuses, end with a message and status 1,
// never with an abort: a sparse 3 GB HEX file, /dev/zero behind a link, a --sim-dir too long.
TEST(Process, OversizedInputsAndImpossiblePathsEndWithAMessage) {
    Folders run;
    const std::string big = run.folder.Write("big.hex", std::string());
    fs::resize_file(big, std::uintmax_t{3} << 30);
    const std::string zero = run.folder.Path("zero.hex");
    fs::create_symlink("/dev/zero", zero);
    const std::string longFolder(5000, 'd');
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {run.Board({"avr", "write-flash", big}, "none", "atmega8515"), "ERROR: El fichero ocupa mas de 8 MiB"},
        {run.Board({"eeprom", "write", "--chip", "24C64", big}), "ERROR: El fichero ocupa mas de 8 MiB"},
        {run.Board({"avr", "write-flash", zero}, "none", "atmega8515"), "ERROR: "},
        {{"--board", "sim", "--sim-dir", run.folder.Path(longFolder), "avr", "identify"},
         "ERROR: Error en el sistema de ficheros"},
    };
    for (const auto& [args, message] : cases) {
        CliProcess process(args, run.folder.Path("err.txt"));
        const auto status = process.Wait(StartTimeout);
        EXPECT_EQ(CliProcess::ExitCode(status), 1) << message;
        EXPECT_EQ(process.ErrorText().rfind(message, 0), 0u) << process.ErrorText();
    }
}

TEST(Process, ASecondStopSignalSwitchesEveryLineOffAtOnce) {
    Folders run;
    CliProcess process(run.Board({"eeprom", "read", "--chip", "24C512", run.folder.Path("out.bin")}),
                       run.folder.Path("err.txt"));
    ASSERT_TRUE(process.WaitFor(TraceBeyond(run.Trace(), 0), StartTimeout)) << process.ErrorText();
    // Held still, so that both signals are waiting when it goes on: the second one then comes
    // before the command has had a chance to stop in order.
    process.Signal(SIGSTOP);
    process.Signal(SIGINT);
    process.Signal(SIGTERM);
    process.Signal(SIGCONT);
    const auto status = process.Wait(EndTimeout);
    ASSERT_TRUE(status.has_value()) << "still running";
    // 128 + the second signal, not the 1 of a command that stopped in order.
    const int code = CliProcess::ExitCode(status);
    EXPECT_TRUE(code == 128 + SIGTERM || code == 128 + SIGINT) << code;
    EXPECT_EQ(process.ErrorText(), "Operacion cancelada\n");
    ExpectEveryLineLowAtTheEnd(run.Trace(), "forced");
}

// A file-size limit is a write error like a full disk: a message, status 1, the lines off, and
// no temporary file left behind. The limit passes to the program, its signal does not.
TEST(Process, AFileSizeLimitIsAWriteErrorNotAKill) {
    Folders run;
    const std::string output = run.folder.Path("out.hex");
    std::optional<int> status;
    {
        FileSizeLimit limit(1000);  // the 24C04's HEX file is 1.4 kB
        CliProcess process({"--board", "sim", "--sim-dir", run.Chips(), "--sim-eeprom", "24C04", "eeprom", "read",
                            "--chip", "24C04", output},
                           run.folder.Path("err.txt"));
        status = process.Wait(StartTimeout);
        EXPECT_EQ(CliProcess::ExitCode(status), 1) << "wait status " << status.value_or(-1);
        EXPECT_EQ(process.ErrorText(), "ERROR: No se puede crear fichero!!\n");
    }
    EXPECT_FALSE(fs::exists(output));
    for (const auto& name : run.folder.Names()) EXPECT_TRUE(name == "err.txt" || name == "chips") << name;
}

// An output that is a FIFO, or a link to one, is refused before anything is read and is left a
// FIFO: opened, it would hold the program until a reader came; replaced, it would be gone.
TEST(Process, AnOutputThatIsNoRegularFileIsRefusedUntouched) {
    Folders run;
    const std::string fifo = run.folder.Path("fifo.bin");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    fs::create_symlink(fifo, run.folder.Path("link.hex"));
    const std::string image = run.folder.Write("image.hex", ":0100000042BD\n:00000001FF\n");
    const std::vector<std::vector<std::string>> commands = {
        {"--sim-eeprom", "24C04", "eeprom", "read", "--chip", "24C04", fifo},
        {"eeprom", "convert", image, run.folder.Path("link.hex")},
        {"--sim-eeprom", "none", "--sim-avr", "at90s8515", "avr", "read-eeprom", run.folder.Path("link.hex")},
    };
    for (const auto& command : commands) {
        std::vector<std::string> args = {"--board", "sim", "--sim-dir", run.Chips()};
        args.insert(args.end(), command.begin(), command.end());
        CliProcess process(args, run.folder.Path("err.txt"), run.folder.Path("out.txt"));
        EXPECT_EQ(CliProcess::ExitCode(process.Wait(StartTimeout)), 1) << command[2];
        EXPECT_EQ(process.ErrorText().rfind("ERROR: " + command.back() + " no es un fichero normal", 0), 0u)
            << process.ErrorText();
        EXPECT_EQ(run.folder.ReadText("out.txt"), "") << "nothing was read";
        EXPECT_TRUE(fs::is_fifo(fifo));
        EXPECT_TRUE(fs::is_symlink(run.folder.Path("link.hex")));
    }
}

// What a command prints on standard output is its result: when it cannot be written (a full
// disk, a closed descriptor), the command fails and says so on standard error.
TEST(Process, StandardOutputThatCannotBeWrittenFailsTheCommand) {
    Folders run;
    const std::vector<std::string> board = {"--board", "sim", "--sim-dir", run.Chips(), "--sim-avr", "atmega8515"};
    const std::vector<std::pair<std::vector<std::string>, std::string>> runs = {
        {{"eeprom", "detect"}, "/dev/full"},
        {{"avr", "read-fuses"}, "/dev/full"},
        {{"eeprom", "read", "--chip", "24C04", run.folder.Path("copy.bin")}, "/dev/full"},
        {{"avr", "identify"}, ""},  // >&-
    };
    for (const auto& [command, output] : runs) {
        std::vector<std::string> args = board;
        args.insert(args.end(), command.begin(), command.end());
        CliProcess process(args, run.folder.Path("err.txt"), output);
        EXPECT_EQ(CliProcess::ExitCode(process.Wait(StartTimeout)), 1) << command[1];
        EXPECT_NE(process.ErrorText().find("tarpel-cli: no se ha podido escribir la salida estandar ("),
                  std::string::npos)
            << command[1] << ": " << process.ErrorText();
    }
}

// The counter moves on before a chip is touched: a run killed in the middle of a chip never hands
// its number out again.
TEST(Process, ASerialNumberIsNeverHandedOutTwiceAfterAKillInTheMiddleOfAChip) {
    Folders run;
    const std::string counter = run.folder.Write("next.txt", std::string("7\n"));
    const std::vector<std::string> program = {"avr", "program",
                                              run.folder.Write("f.bin", std::vector<std::uint8_t>(8192, 0x5A)),
                                              "--serial", "eeprom:0", "--serial-file", counter};
    const auto counted = [&] { return run.folder.ReadText("next.txt"); };
    {
        CliProcess killed(run.Board(program, "none", "atmega8515"), run.folder.Path("err.txt"));
        ASSERT_TRUE(killed.WaitFor(TraceBeyond(run.Trace(), 2 << 20), StartTimeout)) << killed.ErrorText();
        killed.Signal(SIGKILL);
        ASSERT_TRUE(killed.Wait(EndTimeout).has_value());
    }
    EXPECT_EQ(counted(), "8\n");
    std::vector<std::string> again = {"--board", "sim", "--sim-dir", run.Chips(), "--sim-eeprom", "none"};
    again.insert(again.end(), program.begin(), program.end());
    CliProcess next(again, run.folder.Path("err2.txt"));
    EXPECT_EQ(CliProcess::ExitCode(next.Wait(EndTimeout)), 0) << next.ErrorText();
    EXPECT_EQ(counted(), "9\n");
    EXPECT_EQ(sim::ChipStore(run.Chips()).Load("atmega8515-eeprom.bin", 4), (std::vector<std::uint8_t>{8, 0, 0, 0}));
}

}  // namespace
}  // namespace tarpel::test
