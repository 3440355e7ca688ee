#include "board/Board.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "port/InertPort.h"
#include "port/DirectPort.h"
#include "port/FlushingClock.h"
#include "port/FtdiPort.h"
#include "port/LibFtdiCalls.h"
#include "port/PpdevPort.h"
#include "port/SteadyClock.h"
#include "board/TraceLines.h"
#include "port/TracingPort.h"
#include "shell/Translate.h"
#include "sim/AvrFactory.h"
#include "sim/ChipStore.h"
#include "sim/Eeprom24CxxModel.h"
#include "sim/FolderClaim.h"
#include "sim/SimFaults.h"
#include "sim/SimulatedBoard.h"
#include "sim/SimulatedClock.h"
#include "sim/SimulatedFtdiAdapter.h"
#include "sim/Virtual24Cxx.h"

namespace tarpel::board {

namespace {

constexpr const char* DefaultParport = "/dev/parport0";

bool SameText(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
    });
}

// The simulation's own datasheet table, not the program's chip list.
const sim::Eeprom24CxxModel* FindChip(std::string_view name) {
    for (const auto& model : sim::Eeprom24CxxModels)
        if (SameText(model.name, name)) return &model;
    return nullptr;
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

Opened OpenSimulation(const BoardOptions& options, Board& board) {
    const sim::SimFaults faults = sim::ParseSimFaults(options.simFaults);
    const sim::ChipStore store(options.simDir);
    // Claimed before any chip reads its contents: a second program stops here, touching nothing.
    sim::FolderClaim claim = sim::FolderClaim::Claim(store.Folder(), board.error);
    if (!board.error.empty()) return {};
    std::unique_ptr<sim::EepromSocketChip> eeprom;
    if (!SameText(options.simEeprom, "none")) {
        auto chip = std::make_unique<sim::Virtual24Cxx>(*FindChip(options.simEeprom), store, faults.eeprom);
        if (options.simEepromWriteMs)
            chip->writeCycleNs = static_cast<std::uint64_t>(std::llround(*options.simEepromWriteMs * 1e6));
        eeprom = std::move(chip);
    }
    auto avr = sim::MakeVirtualAvr(options.simAvr, store, faults.avrFaults);

    auto simulation = std::make_unique<sim::SimulatedBoard>(std::move(eeprom), std::move(avr));
    simulation->KeepStore(store, std::move(claim));
    simulation->returnLineFault = faults.returnLine;
    simulation->Pacer().SetEnabled(options.realTime);
    sim::SimulatedBoard* raw = simulation.get();
    board.simulation = raw;
    auto clock = std::make_unique<sim::SimulatedClock>(raw->Time(), &raw->Pacer());
    // A reading costs what it costs on a real machine, so that busy-waits end as late as there.
    clock->counterReadNs = sim::SimulatedClock::MeasuredReadNs;
    clock->tickReadNs = sim::SimulatedClock::MeasuredReadNs;
    return {std::move(simulation), std::move(clock), [raw] { return raw->Time().NowNs(); },
            [raw] { return raw->PeekStatus(); }};
}

port::TracingPort::TimeSource SteadyTime() {
    const auto start = std::chrono::steady_clock::now();
    return [start] {
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count());
    };
}

bool IsSimulatedAdapter(std::string_view kind) { return kind == "sim:ft232r" || kind == "sim:ft232h"; }
bool IsFtdi(std::string_view kind) { return kind == "ftdi" || (kind.starts_with("ftdi:") && kind.size() > 5); }

// The FTDI port queues its writes: the clock sends them before every wait and time reading.
void FlushBeforeWaits(Opened& opened, port::FtdiPort& port) {
    opened.clock = std::make_unique<port::FlushingClock>(std::move(opened.clock), [&port] { port.Flush(); });
}

// The simulated board behind a simulated adapter, which counts the time of the pins itself.
// The line trace sits between the two, so it records the pins when they change, not when the
// port queues a change.
Opened BehindSimulatedAdapter(const std::string& kind, const BoardOptions& options, Opened simulated,
                              Board& board) {
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
    const sim::SimulatedAdapterModel& model = kind == "sim:ft232r" ? sim::Ft232rModel : sim::Ft232hModel;
    auto adapter = std::make_unique<sim::SimulatedFtdiAdapter>(
        model, std::move(wired), [raw] { return raw->PeekStatus(); }, raw->Time(), &raw->Pacer());
    auto port = port::FtdiPort::Open(std::move(adapter), "", board.error);
    if (!port) return {};
    board.description = Tr("Placa: simulada tras un ") + port->Name() + Tr(" simulado");
    Opened opened{nullptr, std::move(simulated.clock), simulated.now, simulated.probe};
    FlushBeforeWaits(opened, *port);
    opened.port = std::move(port);
    return opened;
}

Opened OpenFtdi(const std::string& kind, Board& board) {
    Opened opened;
    opened.clock = std::make_unique<port::SteadyClock>();
    opened.now = SteadyTime();
    const std::string serial = kind == "ftdi" ? std::string() : kind.substr(std::string_view("ftdi:").size());
    board.description = Tr("Placa: adaptador USB FTDI");
    auto port = port::FtdiPort::Open(std::make_unique<port::LibFtdiCalls>(), serial, board.error);
    if (!port) return opened;
    board.description = Tr("Placa: adaptador USB ") + port->Name();
    FlushBeforeWaits(opened, *port);
    opened.port = std::move(port);
    return opened;
}

Opened OpenHardware(const std::string& kind, Board& board) {
    Opened opened;
    opened.clock = std::make_unique<port::SteadyClock>();
    opened.now = SteadyTime();
    if (kind == "direct") {
        board.description = Tr("Placa: puertos directos 0x378");
        opened.port = port::DirectPort::Open(board.error);
    } else {
        const std::string device = kind == "ppdev" ? DefaultParport : kind.substr(std::string_view("ppdev:").size());
        board.description = Tr("Placa: ") + device;
        opened.port = port::PpdevPort::Open(device, board.error);
    }
    return opened;
}

}  // namespace

std::string ValidateBoardOptions(const BoardOptions& options) {
    const std::string& kind = options.board;
    if (!kind.empty() && kind != "sim" && kind != "ppdev" && kind != "direct" && !IsSimulatedAdapter(kind) &&
        !IsFtdi(kind) && !(kind.starts_with("ppdev:") && kind.size() > std::string_view("ppdev:").size()))
        return Tr("Placa desconocida: ") + kind +
               Tr(" (use sim, sim:ft232r, sim:ft232h, ppdev, ppdev:/dev/parportN, direct, ftdi o ftdi:SERIE)");
    if (!SameText(options.simEeprom, "none") && !FindChip(options.simEeprom)) {
        std::string names;
        for (const auto& model : sim::Eeprom24CxxModels) names += std::string(model.name) + ", ";
        names.resize(names.size() - 2);
        return Tr("Memoria simulada desconocida: ") + options.simEeprom + Tr(" (use ") + names + Tr(" o none)");
    }
    // A write cycle has to take some time, and the datasheets promise at most 5 ms.
    if (const auto ms = options.simEepromWriteMs; ms && !(*ms > 0 && *ms <= 5)) {
        char text[32];
        const auto written = std::to_chars(text, text + sizeof text, *ms);
        return Tr("--sim-eeprom-write-ms debe ser mayor que 0 y como mucho 5: ") + std::string(text, written.ptr);
    }
    try {
        sim::ParseSimFaults(options.simFaults);
    } catch (const std::invalid_argument& error) {
        return error.what();
    }
    return {};
}

Board OpenBoard(const BoardOptions& options) {
    Board board;
    Opened opened;
    board.error = ValidateBoardOptions(options);
    board.badOptions = !board.error.empty();
    const std::string kind = ChosenBoard(options);
    if (board.error.empty()) {
        if (kind == "sim" || IsSimulatedAdapter(kind)) {
            board.description = Tr("Placa: simulada");
            try {
                opened = OpenSimulation(options, board);
            } catch (const std::invalid_argument& error) {  // the AVR factory's verdict
                board.error = error.what();
                board.badOptions = true;
                board.simulation = nullptr;
            }
            if (board.error.empty() && IsSimulatedAdapter(kind))
                opened = BehindSimulatedAdapter(kind, options, std::move(opened), board);
        } else if (IsFtdi(kind)) {
            opened = OpenFtdi(kind, board);
        } else {
            opened = OpenHardware(kind, board);
        }
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
