// SPDX-License-Identifier: GPL-2.0-or-later
#include "board/Board.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <utility>
#include <vector>

#include "port/InertPort.h"
#include "port/DirectPort.h"
#include "port/FlushingClock.h"
#include "port/FtdiBoardPort.h"
#include "port/LibFtdiCalls.h"
#include "port/PpdevPort.h"
#include "port/SteadyClock.h"
#include "board/TraceLines.h"
#include "port/TracingPort.h"
#include "shell/Fill.h"
#include "shell/Translate.h"
#include "sim/AvrFactory.h"
#include "sim/ChipStore.h"
#include "sim/Eeprom24CxxModel.h"
#include "sim/FolderClaim.h"
#include "sim/SimFaults.h"
#include "sim/SimulatedBoard.h"
#include "sim/SimulatedClock.h"
#include "sim/SimulatedFtdiAdapter.h"
#include "sim/SimulatedMpsseAdapter.h"
#include "sim/Virtual24Cxx.h"

namespace tarpel::board {

namespace {

constexpr const char* DefaultParport = "/dev/parport0";

bool SameText(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
    });
}

std::string ChosenBoard(const BoardOptions& options) {
    if (!options.board.empty()) return options.board;
    std::error_code error;
    return std::filesystem::exists(DefaultParport, error) ? std::string("ppdev:") + DefaultParport : "sim";
}

struct Opened {
    std::unique_ptr<port::Port> port;
    std::unique_ptr<port::Clock> clock;
    port::TracingPort::TimeSource now;
    port::TracingPort::StatusProbe probe;
};

// The virtual chips of the two sockets, their contents in `store`.
std::pair<std::unique_ptr<sim::EepromSocketChip>, std::unique_ptr<sim::AvrSocketChip>> MakeVirtualChips(
    const BoardOptions& options, const sim::ChipStore& store, const sim::SimFaults& faults) {
    std::unique_ptr<sim::EepromSocketChip> eeprom;
    if (!SameText(options.simEeprom, "none")) {
        const sim::Eeprom24CxxModel& model = *sim::FindEeprom24CxxModel(options.simEeprom);
        auto chip = std::make_unique<sim::Virtual24Cxx>(model, store, faults.eeprom);
        if (options.simEepromWriteMs)
            chip->writeCycleNs = static_cast<std::uint64_t>(std::llround(*options.simEepromWriteMs * 1e6));
        eeprom = std::move(chip);
    }
    return {std::move(eeprom), sim::MakeVirtualAvr(options.simAvr, store, faults.avrFaults)};
}

Opened OpenSimulation(const BoardOptions& options, Board& board) {
    const sim::SimFaults faults = sim::ParseSimFaults(options.simFaults);
    const sim::ChipStore store(options.simDir);
    // Claimed before any chip reads its contents: a second program stops here, touching nothing.
    sim::FolderClaim claim = sim::FolderClaim::Claim(store.Folder(), board.error);
    if (!board.error.empty()) return {};
    auto [eeprom, avr] = MakeVirtualChips(options, store, faults);
    auto simulation = std::make_unique<sim::SimulatedBoard>(std::move(eeprom), std::move(avr));
    simulation->KeepStore(store, std::move(claim));
    simulation->returnLineFault = faults.returnLine;
    simulation->Pacer().SetEnabled(options.realTime);
    sim::SimulatedBoard* raw = simulation.get();
    board.simulation = raw;
    board.nextChip = [raw, options, folder = store.Folder(), chip = 1]() mutable {
        ++chip;
        const sim::ChipStore next((std::filesystem::path(folder) / ("chip" + std::to_string(chip))).string());
        std::error_code ignored;
        std::filesystem::create_directories(next.Folder(), ignored);
        auto chips = MakeVirtualChips(options, next, sim::ParseSimFaults(options.simFaults, chip));
        raw->ReplaceChips(std::move(chips.first), std::move(chips.second));
    };
    auto clock = std::make_unique<sim::SimulatedClock>(raw->Time(), &raw->Pacer());
    // A reading costs what it costs on a real machine, so that busy-waits end as late as there.
    clock->counterReadNs = sim::SimulatedClock::MeasuredReadNs;
    clock->tickReadNs = sim::SimulatedClock::MeasuredReadNs;
    return {std::move(simulation), std::move(clock), [raw] { return raw->Time().NowNs(); },
            [raw] { return raw->PeekStatus(); }};
}

// The simulated board, whose AVR model the AVR socket's factory judges: one it refuses is a
// usage error.
Opened OpenSimulated(const std::string&, const BoardOptions& options, Board& board) {
    board.description = Tr("Placa: simulada");
    try {
        return OpenSimulation(options, board);
    } catch (const std::invalid_argument& error) {  // the AVR factory's verdict
        board.error = error.what();
        board.badOptions = true;
        board.simulation = nullptr;
        return {};
    }
}

port::TracingPort::TimeSource SteadyTime() {
    const auto start = std::chrono::steady_clock::now();
    return [start] {
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count());
    };
}

// The FTDI ports queue their writes: the clock sends them before every wait and time reading.
void FlushBeforeWaits(Opened& opened, port::Port& port) {
    opened.clock = std::make_unique<port::FlushingClock>(std::move(opened.clock), [&port] { port.Flush(); });
}

// The simulated adapters, wired to the board (or to the line trace in front of it).
// `clockFactor` is --sim-ftdi-clock: how much faster than asked the adapter's undocumented clocks run.
using AdapterMaker = std::unique_ptr<port::FtdiCalls> (*)(std::unique_ptr<port::Port> wired, sim::SimulatedBoard& board,
                                                         double clockFactor);

template <const sim::SimulatedAdapterModel& model>
std::unique_ptr<port::FtdiCalls> BitbangAdapter(std::unique_ptr<port::Port> wired, sim::SimulatedBoard& board,
                                                double clockFactor) {
    sim::SimulatedBoard* raw = &board;
    auto adapter = std::make_unique<sim::SimulatedFtdiAdapter>(
        model, std::move(wired), [raw] { return raw->PeekStatus(); }, raw->Time(), &raw->Pacer());
    adapter->SetPinClockFactor(clockFactor);
    return adapter;
}

// The H series drives the board through its MPSSE.
// Its clock-only commands keep their documented TCK; the factor speeds up the rest of the engine.
std::unique_ptr<port::FtdiCalls> MpsseAdapter(std::unique_ptr<port::Port> wired, sim::SimulatedBoard& board,
                                              double clockFactor) {
    return std::make_unique<sim::SimulatedMpsseAdapter>(std::move(wired), board.Time(), &board.Pacer(), clockFactor);
}

// The simulated board behind a simulated adapter, which counts the time of the pins itself.
// The line trace sits between the two, so it records the pins when they change, not when the
// port queues a change.
template <AdapterMaker makeAdapter>
Opened OpenBehindAdapter(const std::string&, const BoardOptions& options, Board& board) {
    Opened simulated = OpenSimulated({}, options, board);
    if (!board.error.empty()) return simulated;
    sim::SimulatedBoard* raw = board.simulation;
    raw->accessTimeNs = 0;
    std::unique_ptr<port::Port> wired = std::move(simulated.port);
    if (!options.traceFile.empty()) {
        auto tracing = std::make_unique<port::TracingPort>(std::move(wired), options.traceFile, BoardTraceLines(), simulated.now,
                                                         simulated.probe);
        board.error = tracing->Error();
        board.trace = tracing.get();
        wired = std::move(tracing);
        if (!board.error.empty()) return {};
    }
    port::FtdiBoardPort ftdi = port::OpenFtdiBoardPort(makeAdapter(std::move(wired), *raw, options.simFtdiClock), "",
                                                       *simulated.clock, board.error);
    if (!ftdi.port) return {};
    // The adapter's name is its chip and serial number ("FT232R SIM232R"): the simulated one's
    // serial says "simulated" again, so the label names the chip alone.
    board.description =
        shell::Fill(Tr("Placa: simulada tras un %1 simulado"), {ftdi.name.substr(0, ftdi.name.find(' '))});
    Opened opened{nullptr, std::move(simulated.clock), simulated.now, simulated.probe};
    FlushBeforeWaits(opened, *ftdi.port);
    opened.port = std::move(ftdi.port);
    return opened;
}

// A real port's: the steady clock, and its time for the trace.
Opened OnSteadyClock() {
    Opened opened;
    opened.clock = std::make_unique<port::SteadyClock>();
    opened.now = SteadyTime();
    return opened;
}

// The adapter of that serial number, or the first one found.
Opened OpenFtdi(const std::string& serial, const BoardOptions&, Board& board) {
    Opened opened = OnSteadyClock();
    board.description = Tr("Placa: adaptador USB FTDI");
    port::FtdiBoardPort ftdi =
        port::OpenFtdiBoardPort(std::make_unique<port::LibFtdiCalls>(), serial, *opened.clock, board.error);
    if (!ftdi.port) return opened;
    board.description = shell::Fill(Tr("Placa: adaptador USB %1"), {ftdi.name});
    FlushBeforeWaits(opened, *ftdi.port);
    opened.port = std::move(ftdi.port);
    return opened;
}

Opened OpenDirect(const std::string&, const BoardOptions&, Board& board) {
    Opened opened = OnSteadyClock();
    board.description = Tr("Placa: puertos directos 0x378");
    opened.port = port::DirectPort::Open(board.error);
    return opened;
}

// That device, or the first parallel port.
Opened OpenPpdev(const std::string& device, const BoardOptions&, Board& board) {
    Opened opened = OnSteadyClock();
    const std::string path = device.empty() ? DefaultParport : device;
    board.description = shell::Fill(Tr("Placa: %1"), {path});
    opened.port = port::PpdevPort::Open(path, board.error);
    return opened;
}

// The boards --board names: "name", or "name:ARGUMENT" for a kind that takes one.
struct BoardKind {
    std::string_view name;
    const char* argument;  // as the help names it; null for a kind that takes none
    // Opens the board with what followed "name:", empty when nothing did.
    Opened (*open)(const std::string& argument, const BoardOptions& options, Board& board);
};

constexpr std::array<BoardKind, 6> BoardKinds{{
    {"sim", nullptr, OpenSimulated},
    {"sim:ft232r", nullptr, OpenBehindAdapter<BitbangAdapter<sim::Ft232rModel>>},
    {"sim:ft232h", nullptr, OpenBehindAdapter<MpsseAdapter>},
    {"ppdev", "/dev/parportN", OpenPpdev},
    {"direct", nullptr, OpenDirect},
    {"ftdi", TrNoop("SERIE"), OpenFtdi},
}};

// The kind a --board value names, and what followed its "name:"; no kind when it names none.
std::pair<const BoardKind*, std::string> FindBoardKind(std::string_view value) {
    for (const BoardKind& kind : BoardKinds) {
        if (value == kind.name) return {&kind, {}};
        if (kind.argument && value.size() > kind.name.size() + 1 && value.starts_with(kind.name) &&
            value[kind.name.size()] == ':')
            return {&kind, std::string(value.substr(kind.name.size() + 1))};
    }
    return {nullptr, {}};
}

// Whether the trace would be, or would become, a file of the simulated chips: a ".bin" file in
// their folder (links followed), the name every virtual chip keeps its contents under, or a
// hard link to one. Opening the board empties the trace file, and the chip whose file it was
// would hold VCD text from then on. Other files in the folder are no chip's.
bool TraceAmongSimulatedChips(const BoardOptions& options) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path folder = fs::weakly_canonical(fs::absolute(sim::ChipStore(options.simDir).Folder(), error), error);
    const fs::path trace = fs::weakly_canonical(fs::absolute(options.traceFile, error), error);
    if (error) return false;
    const auto chipFile = [](const fs::path& path) { return path.extension() == ".bin"; };
    if (trace.parent_path() == folder && chipFile(trace)) return true;
    if (!fs::exists(trace, error)) return false;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (chipFile(entry.path()) && fs::equivalent(entry.path(), trace, error)) return true;
    return false;
}

// Every form of value --board takes, for the error that names an unknown one:
// "sim, sim:ft232r, ..., ftdi o ftdi:SERIE".
std::string BoardValues() {
    std::vector<std::string> values;
    for (const BoardKind& kind : BoardKinds) {
        values.emplace_back(kind.name);
        if (kind.argument) values.push_back(std::string(kind.name) + ":" + Tr(kind.argument));
    }
    std::string text = values.front();
    for (std::size_t i = 1; i < values.size(); ++i) text += (i + 1 == values.size() ? Tr(" o ") : ", ") + values[i];
    return text;
}

}  // namespace

std::string BoardKindsHelp() {
    std::string text;
    for (const BoardKind& kind : BoardKinds) {
        if (!text.empty()) text += " | ";
        text += kind.name;
        if (kind.argument) text += std::string("[:") + Tr(kind.argument) + "]";
    }
    return text;
}

std::string ValidateBoardOptions(const BoardOptions& options) {
    const std::string& kind = options.board;
    if (!kind.empty() && !FindBoardKind(kind).first)
        return shell::Fill(Tr("Placa desconocida: %1 (use %2)"), {kind, BoardValues()});
    // The simulation's own datasheet table, not the program's chip list.
    if (!SameText(options.simEeprom, "none") && !sim::FindEeprom24CxxModel(options.simEeprom)) {
        std::string names;
        for (const auto& model : sim::Eeprom24CxxModels) names += std::string(model.name) + ", ";
        names.resize(names.size() - 2);
        return shell::Fill(Tr("Memoria simulada desconocida: %1 (use %2 o none)"), {options.simEeprom, names});
    }
    // A write cycle has to take some time, and the datasheets promise at most 5 ms.
    if (const auto ms = options.simEepromWriteMs; ms && !(*ms > 0 && *ms <= 5)) {
        char text[32];
        const auto written = std::to_chars(text, text + sizeof text, *ms);
        return shell::Fill(Tr("--sim-eeprom-write-ms debe ser mayor que 0 y como mucho 5: %1"),
                           {std::string_view(text, written.ptr)});
    }
    // The range the documents span; the simulated adapter takes no pin clock outside it.
    if (!(options.simFtdiClock >= sim::SlowestSimPinClock && options.simFtdiClock <= sim::FastestSimPinClock)) {
        char text[32];
        const auto written = std::to_chars(text, text + sizeof text, options.simFtdiClock);
        return shell::Fill(Tr("--sim-ftdi-clock debe estar entre 0.5 y 20: %1"), {std::string_view(text, written.ptr)});
    }
    try {
        sim::ParseSimFaults(options.simFaults);
    } catch (const std::invalid_argument& error) {
        return error.what();
    }
    if (!options.traceFile.empty() && ChosenBoard(options).starts_with("sim") && TraceAmongSimulatedChips(options))
        return shell::Fill(Tr("--trace no puede ser un fichero de los chips simulados (carpeta %1): %2"),
                           {sim::ChipStore(options.simDir).Folder(), options.traceFile});
    return {};
}

Board OpenBoard(const BoardOptions& options) {
    Board board;
    Opened opened;
    board.error = ValidateBoardOptions(options);
    board.badOptions = !board.error.empty();
    const std::string kind = ChosenBoard(options);
    if (board.error.empty()) {
        const auto [found, argument] = FindBoardKind(kind);
        opened = found->open(argument, options, board);
    }
    if (board.error.empty() && !options.traceFile.empty() && !board.trace) {
        auto tracing = std::make_unique<port::TracingPort>(std::move(opened.port), options.traceFile, BoardTraceLines(), opened.now,
                                                         opened.probe);
        board.error = tracing->Error();
        board.trace = tracing.get();
        opened.port = std::move(tracing);
    }
    if (!board.error.empty()) {
        board.simulation = nullptr;
        board.trace = nullptr;
        // The simulated clock lives on the simulation's time, which goes with its port.
        opened.clock = std::make_unique<port::SteadyClock>();
        opened.port = std::make_unique<InertPort>();
    }
    board.port = std::move(opened.port);
    board.clock = std::move(opened.clock);
    return board;
}

}  // namespace tarpel::board
