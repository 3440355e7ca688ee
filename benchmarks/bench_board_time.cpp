// SPDX-License-Identifier: GPL-2.0-or-later
// Board time: how long the long commands take on a real board, read from the simulated board's
// virtual time (1 us per port access, and the measured cost of a counter reading), in the
// standard timing and in the opt-in fast timing, each beside the fast timing's target. Also the
// cost of one reading of the real counter, which the simulated clock charges per reading.
// Each board-time case runs once: the figure is virtual, not a wall-clock measurement.
// The 24C512 read and program and the ATmega8515 flash program and read run through each port kind:
// the parallel port (port:0), the simulated FT232H (port:1) and FT232R (port:2) adapters, whose
// x_parallel is their board time over the parallel port's for the same command and timing.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "QuietShell.h"
#include "avr/CommandFrame.h"
#include "avr/ProgramFlash.h"
#include "avr/ReadMemory.h"
#include "board/Board.h"
#include "eeprom/ChipCommands.h"
#include "eeprom/CommandFrame.h"
#include "link/BitTiming.h"
#include "link/BoardLines.h"
#include "port/SteadyClock.h"
#include "sim/SimulatedBoard.h"
#include "sim/SimulatedClock.h"

namespace {

using namespace tarpel;

// The fast timing's targets, in seconds of board time at delay factor 1.
constexpr double Read24C512Target = 13;
constexpr double Program24C512Target = 16;
constexpr double ProgramFlashTarget = 10;
constexpr double ReadFlashTarget = 5;

class QuietView final : public avr::AvrView {
public:
    void SetDeviceCaption(std::string_view) override {}
};

constexpr const char* PortKinds[] = {"sim", "sim:ft232h", "sim:ft232r"};
constexpr double AdapterTargets[] = {1.0, 1.2, 3.0};

// A simulated board as tarpel-cli opens it, in a store folder of its own for the run.
struct Simulation {
    Simulation(const char* eeprom, const char* avr, int port = 0) {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarpel-bench-time-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) folder = pattern;
        board::BoardOptions options;
        options.board = PortKinds[port];
        options.simDir = folder;
        options.simEeprom = eeprom;
        options.simAvr = avr;
        opened = board::OpenBoard(options);
        lines = std::make_unique<link::BoardLines>(*opened.port);
    }
    ~Simulation() {
        lines.reset();
        opened = {};
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
    double Seconds() const { return static_cast<double>(opened.simulation->Time().NowNs()) * 1e-9; }
    std::size_t Violations() const {
        std::size_t count = 0;
        for (const sim::SocketChip* chip :
             {static_cast<const sim::SocketChip*>(opened.simulation->Eeprom()),
              static_cast<const sim::SocketChip*>(opened.simulation->Avr())})
            if (chip) count += chip->Violations().Entries().size() + chip->Violations().Suppressed();
        return count;
    }

    std::string folder;
    board::Board opened;
    std::unique_ptr<link::BoardLines> lines;
};

void Report(benchmark::State& state, const Simulation& simulation, double seconds, double target, bool fast) {
    state.counters["board_s"] = seconds;
    state.counters["target_s"] = target;
    state.counters["violations"] = static_cast<double>(simulation.Violations());
    state.SetLabel(fast ? "rapido" : "estandar (objetivo solo del modo rapido)");
}

// The same, for a command that runs through each kind of port: beside its board time, the
// ratio to the parallel port's (measured first, as the cases are registered in that order) and
// the adapter's target for it.
void ReportByPort(benchmark::State& state, const char* command, const Simulation& simulation, double seconds,
                  double target, bool fast, int port) {
    static std::map<std::pair<std::string, bool>, double> parallel;
    Report(state, simulation, seconds, target, fast);
    if (port == 0) parallel[{command, fast}] = seconds;
    const auto found = parallel.find({command, fast});
    if (found != parallel.end() && found->second > 0) state.counters["x_parallel"] = seconds / found->second;
    state.counters["x_target"] = AdapterTargets[port];
    state.SetLabel(std::string(PortKinds[port]) + (fast ? " rapido" : " estandar"));
}

// A 24C512 whose image holds a pattern, behind the 24Cxx command frame.
struct Eeprom24C512 {
    explicit Eeprom24C512(bool fast, int port = 0)
        : simulation("24C512", "none", port), timing(*simulation.opened.clock) {
        timing.CalibrateBitDelay();
        timing.DelayFactor = 1;
        timing.FastTiming = fast;
        workspace.cbChipChange(9);
        for (std::int32_t i = 0; i < workspace.ChipSize; ++i)
            workspace.MemoryImage[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 31 + 7);
        frame = std::make_unique<eeprom::CommandFrame>(workspace, *simulation.lines, timing, shell);
    }
    Simulation simulation;
    link::BitTiming timing;
    eeprom::EepromWorkspace workspace;
    bench::QuietShell shell;
    std::unique_ptr<eeprom::CommandFrame> frame;
};

// A command through each kind of port: a fresh `Device` (a chip on the simulated board behind
// its command frame) for each case, the command's board time reported beside the parallel port's.
template <class Device, class Command>
void TimeByPort(benchmark::State& state, const char* name, double target, Command command) {
    const bool fast = state.range(0) != 0;
    const int port = static_cast<int>(state.range(1));
    for (auto _ : state) {
        Device device(fast, port);
        const double before = device.simulation.Seconds();
        if (!command(device)) state.SkipWithError("the command failed");
        ReportByPort(state, name, device.simulation, device.simulation.Seconds() - before, target, fast, port);
    }
}

void BM_Read24C512(benchmark::State& state) {
    TimeByPort<Eeprom24C512>(state, "read", Read24C512Target, [](Eeprom24C512& chip) {
        return eeprom::ReadChip(*chip.frame) == shell::CommandOutcome::Done;
    });
}

void BM_Program24C512(benchmark::State& state) {
    TimeByPort<Eeprom24C512>(state, "program", Program24C512Target, [](Eeprom24C512& chip) {
        return eeprom::ProgramChip(*chip.frame) == shell::CommandOutcome::Done;
    });
}

// An ATmega8515 behind the AVR command frame, with an 8 KiB image file in the run's folder.
struct Atmega8515 {
    explicit Atmega8515(bool fast, int port = 0)
        : simulation("none", "atmega8515", port), timing(*simulation.opened.clock) {
        timing.FastTiming = fast;
        frame = std::make_unique<avr::CommandFrame>(*simulation.lines, timing, shell, view);
        image = (std::filesystem::path(simulation.folder) / "image.bin").string();
        std::ofstream out(image, std::ios::binary);
        for (int a = 0; a < 8192; ++a) out.put(static_cast<char>((a * 37 + 11) & 0xFF));
    }
    Simulation simulation;
    link::BitTiming timing;
    bench::QuietShell shell;
    QuietView view;
    std::unique_ptr<avr::CommandFrame> frame;
    std::string image;
};

// The whole flash programmed, each page read back as the command does.
void BM_ProgramFlashAtmega8515(benchmark::State& state) {
    TimeByPort<Atmega8515>(state, "flash", ProgramFlashTarget, [](Atmega8515& device) {
        return avr::ProgramFlashFrom(*device.frame, device.image) == shell::CommandOutcome::Done &&
               device.shell.messages == 0;
    });
}

void BM_ReadFlashAtmega8515(benchmark::State& state) {
    TimeByPort<Atmega8515>(state, "read-flash", ReadFlashTarget, [](Atmega8515& device) {
        const std::string file = (std::filesystem::path(device.simulation.folder) / "read.bin").string();
        return avr::ReadFlashTo(*device.frame, file) == shell::CommandOutcome::Done;
    });
}

// One reading of the real counter: the figure the simulated clock charges for each of its own.
void BM_SteadyClockCounterRead(benchmark::State& state) {
    port::SteadyClock clock;
    for (auto _ : state) benchmark::DoNotOptimize(clock.QueryPerformanceCounter());
    state.counters["sim_charges_ns"] = static_cast<double>(sim::SimulatedClock::MeasuredReadNs);
}

}  // namespace

// Fast timing outermost, so that every adapter case comes after its parallel-port case.
void ByPort(benchmark::internal::Benchmark* bench) {
    bench->ArgNames({"fast", "port"})->ArgsProduct({{0, 1}, {0, 1, 2}})->Iterations(1)->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_Read24C512)->Apply(ByPort);
BENCHMARK(BM_Program24C512)->Apply(ByPort);
BENCHMARK(BM_ProgramFlashAtmega8515)->Apply(ByPort);
BENCHMARK(BM_ReadFlashAtmega8515)->Apply(ByPort);
BENCHMARK(BM_SteadyClockCounterRead);
