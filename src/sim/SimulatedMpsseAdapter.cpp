// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/SimulatedMpsseAdapter.h"

#include <algorithm>
#include <cmath>

#include "sim/MpsseCable.h"

namespace tarpel::sim {

namespace {

constexpr const char* Serial = "SIM232H";

// High-speed USB: a transfer waits for its 125 us microframe, half a round trip on average; the
// bus then carries up to 13 bulk packets of 512 bytes a microframe (18.7 ns a byte). Each IN
// packet carries two status bytes, which libftdi strips, before 510 answer bytes.
constexpr std::uint64_t RoundTripNs = 125'000;
constexpr std::uint64_t BusUnitsPerByte = 56;
constexpr std::size_t AnswersPerPacket = 510;
// The FT232H's buffers: 1 KiB each way.
constexpr std::size_t FifoBytes = 1024;
// The latency timer until the port sets it.
constexpr std::uint8_t DefaultLatencyMs = 16;

// The 60 MHz master clock, and the 12 MHz one that dividing it by 5 gives, in thirds of a ns.
constexpr std::uint64_t MasterCycleUnits = 50;
constexpr std::uint64_t DividedCycleUnits = 5 * MasterCycleUnits;

// The bytes a command takes, its opcode first; an opcode the engine does not know is a command
// of its own.
std::size_t CommandLength(std::uint8_t opcode) {
    switch (opcode) {
        case 0x80: case 0x82: case 0x86: case 0x8F: return 3;
        case 0x8E: return 2;
        default: return 1;
    }
}

}  // namespace

SimulatedMpsseAdapter::SimulatedMpsseAdapter(std::unique_ptr<port::Port> board, VirtualTime& time, RealTimePacer* pacer,
                                             double clockFactor, unsigned commandCyclesPerByte)
    : board_(std::move(board)), time_(time), pacer_(pacer),
      commandUnitsPerByte_(static_cast<Units>(
          std::llround(commandCyclesPerByte * MasterCycleUnits / (clockFactor > 0 ? clockFactor : 1.0)))),
      latencyUnits_(DefaultLatencyMs * 1'000'000 * UnitsPerNs) {
    hostNs_ = time_.NowNs();
    engineUnits_ = arrivedUnits_ = hostNs_ * UnitsPerNs;
}

int SimulatedMpsseAdapter::Fail(const char* why) {
    error_ = why;
    return -1;
}

namespace {

std::uint64_t CeilNs(std::uint64_t units) { return (units + 2) / 3; }

}  // namespace

// The shared clock runs ahead of the PC only by what the engine has run; anything beyond is the
// PC's own waiting (it reads the time only with nothing in flight).
void SimulatedMpsseAdapter::SyncHost() {
    const std::uint64_t now = time_.NowNs();
    if (now > std::max(hostNs_, CeilNs(engineUnits_))) hostNs_ = now;
}

void SimulatedMpsseAdapter::HostWaitsUntil(std::uint64_t ns) {
    hostNs_ = std::max(hostNs_, ns);
    const std::uint64_t now = time_.NowNs();
    if (hostNs_ > now) {
        time_.Advance(hostNs_ - now);
        if (pacer_) pacer_->Pace();
    }
}

int SimulatedMpsseAdapter::Control() {
    if (!open_) return Fail("USB device unavailable");
    SyncHost();
    HostWaitsUntil(hostNs_ + RoundTripNs);
    return 0;
}

void SimulatedMpsseAdapter::ReachEngineTime() {
    const std::uint64_t ns = CeilNs(engineUnits_);
    if (ns > time_.NowNs()) {
        time_.Advance(ns - time_.NowNs());
        if (pacer_) pacer_->Pace();
    }
}

// Only the pins set as outputs drive the board; the board's lines read low where none does.
void SimulatedMpsseAdapter::DriveBoard() {
    const auto driven = static_cast<std::uint8_t>(lowValue_ & lowDirection_);
    board_->DlPortWritePortUchar(port::DataPort, mpsse_cable::Mpsse.BoardDataFor(driven));
}

// What the chip holds after its bit mode is set: all pins inputs, the clock divided by 5 (the
// older chips' 12 MHz), no three-phase or adaptive clocking, no loopback.
void SimulatedMpsseAdapter::ResetEngine() {
    lowValue_ = lowDirection_ = 0;
    divisor_ = 0;
    divideBy5_ = true;
    threePhase_ = adaptive_ = loopback_ = false;
    stalled_ = false;
    command_.clear();
}

port::FtdiOpenError SimulatedMpsseAdapter::Open(const std::string& serial, port::FtdiAdapter& adapter,
                                                std::string& detail) {
    if (!serial.empty() && serial != Serial) {
        detail = "device not found";
        return port::FtdiOpenError::NotFound;
    }
    open_ = true;
    adapter.chip = port::FtdiChip::Ft232H;
    adapter.serial = Serial;
    return port::FtdiOpenError::None;
}

int SimulatedMpsseAdapter::SetBitmode(std::uint8_t, std::uint8_t mode) {
    if (mode != port::FtdiBitmodeReset && mode != port::FtdiBitmodeMpsse)
        return Fail("the simulated FT232H knows only the MPSSE bit mode (0x02) and its reset (0x00)");
    if (Control() < 0) return -1;
    mpsse_ = mode == port::FtdiBitmodeMpsse;
    ResetEngine();
    DriveBoard();
    return 0;
}

// The MPSSE takes its clock from the divisor command, not from the baud rate generator.
int SimulatedMpsseAdapter::SetBaudrate(int baudrate) {
    if (baudrate <= 0) return Fail("Silly baudrate <= 0.");
    return Control();
}

int SimulatedMpsseAdapter::SetLatencyTimer(std::uint8_t milliseconds) {
    if (milliseconds < 1) return Fail("latency out of range. Only valid for 1-255");
    if (Control() < 0) return -1;
    latencyUnits_ = Units{milliseconds} * 1'000'000 * UnitsPerNs;
    return 0;
}

int SimulatedMpsseAdapter::Purge() {
    if (Control() < 0) return -1;
    command_.clear();
    pending_.clear();
    inFlight_.clear();
    answersBase_ += answers_.size();
    answers_.clear();
    readCursor_ = answersBase_;
    return 0;
}

void SimulatedMpsseAdapter::SendPending(Units at) {
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        const Units atPc = at + RoundTripNs / 2 * UnitsPerNs + (i + 1) * BusUnitsPerByte;
        answers_.push_back({pending_[i], atPc});
        inFlight_.push_back(atPc);
    }
    pending_.clear();
}

// A partly filled packet goes once the latency timer runs out.
void SimulatedMpsseAdapter::SendIfLatencyRanOut(Units now) {
    if (!pending_.empty() && pendingSince_ + latencyUnits_ <= now) SendPending(pendingSince_ + latencyUnits_);
}

void SimulatedMpsseAdapter::Answer(std::uint8_t byte) {
    SendIfLatencyRanOut(engineUnits_);
    // With its buffer towards the PC full, the engine waits for a packet to leave.
    for (;;) {
        while (!inFlight_.empty() && inFlight_.front() <= engineUnits_) inFlight_.pop_front();
        if (inFlight_.size() + pending_.size() < FifoBytes || inFlight_.empty()) break;
        engineUnits_ = inFlight_.front();
    }
    if (pending_.empty()) pendingSince_ = engineUnits_;
    pending_.push_back(byte);
    if (pending_.size() == AnswersPerPacket) SendPending(engineUnits_);
}

// TCK = base / ((1 + divisor) x 2); three-phase clocking stretches each bit to 1.5 periods.
void SimulatedMpsseAdapter::ClockOnly(std::uint64_t cycles) {
    if (adaptive_) {
        // Adaptive clocking waits for TCK's echo on AD7, where the cable carries SCK instead.
        stalled_ = true;
        return;
    }
    const Units period = (divideBy5_ ? DividedCycleUnits : MasterCycleUnits) * 2 * (1 + Units{divisor_});
    engineUnits_ += threePhase_ ? cycles * period * 3 / 2 : cycles * period;
    ReachEngineTime();
}

void SimulatedMpsseAdapter::Execute(const std::vector<std::uint8_t>& command, Units start) {
    engineUnits_ = start + command.size() * commandUnitsPerByte_;
    switch (command[0]) {
        case 0x80:  // low byte: value, direction
            lowValue_ = command[1];
            lowDirection_ = command[2];
            ReachEngineTime();
            DriveBoard();
            break;
        case 0x81: {  // low byte read: outputs as driven, inputs as the board drives them
            ReachEngineTime();
            const std::uint8_t status = board_->DlPortReadPortUchar(port::StatusPort);
            const std::uint8_t inputs = mpsse_cable::Mpsse.ReturnPinsFor(status);
            Answer(static_cast<std::uint8_t>((inputs & ~lowDirection_) | (lowValue_ & lowDirection_)));
            break;
        }
        case 0x82: break;              // the high byte (ACBUS) is not wired
        case 0x83: Answer(0); break;
        case 0x84: loopback_ = true; break;
        case 0x85: loopback_ = false; break;
        case 0x86: divisor_ = static_cast<std::uint16_t>(command[1] | command[2] << 8); break;
        case 0x87:
            SendIfLatencyRanOut(engineUnits_);
            SendPending(engineUnits_);
            break;
        case 0x8A: divideBy5_ = false; break;
        case 0x8B: divideBy5_ = true; break;
        case 0x8C: threePhase_ = true; break;
        case 0x8D: threePhase_ = false; break;
        case 0x96: adaptive_ = true; break;
        case 0x97: adaptive_ = false; break;
        case 0x8E: ClockOnly((command[1] & 0x07u) + 1u); break;  // 1 to 8 bits
        case 0x8F: ClockOnly((std::uint64_t{command[1]} + (std::uint64_t{command[2]} << 8) + 1) * 8); break;
        default:  // the engine answers what it cannot run with 0xFA and the opcode
            badCommands_.push_back(command[0]);
            Answer(0xFA);
            Answer(command[0]);
            break;
    }
}

int SimulatedMpsseAdapter::SubmitWrite(const std::uint8_t* data, int size) {
    if (!open_) return Fail("USB device unavailable");
    if (!mpsse_) return Fail("the simulated FT232H runs commands only in MPSSE mode");
    SyncHost();
    // The bytes run as they arrive, the PC going on meanwhile.
    Units arrived = std::max((hostNs_ + RoundTripNs / 2) * UnitsPerNs, arrivedUnits_);
    for (int i = 0; i < size; ++i) {
        arrived += BusUnitsPerByte;
        // A full buffer towards the engine takes the next byte once the engine took the oldest.
        if (recentStarts_.size() == FifoBytes) arrived = std::max(arrived, recentStarts_.front());
        command_.push_back(data[i]);
        if (stalled_) {
            command_.clear();
            continue;
        }
        if (command_.size() < CommandLength(command_.front())) continue;
        const Units start = std::max({engineUnits_, arrived, time_.NowNs() * UnitsPerNs});
        for (std::size_t b = 0; b < command_.size(); ++b) {
            recentStarts_.push_back(start);
            if (recentStarts_.size() > FifoBytes) recentStarts_.pop_front();
        }
        Execute(command_, start);
        command_.clear();
    }
    arrivedUnits_ = arrived;
    writes_[nextTransfer_] = {CeilNs(arrived), size};
    return nextTransfer_++;
}

int SimulatedMpsseAdapter::SubmitRead(std::uint8_t* data, int size) {
    if (!open_) return Fail("USB device unavailable");
    reads_[nextTransfer_] = {data, static_cast<std::size_t>(size), readCursor_};
    readCursor_ += static_cast<std::uint64_t>(size);
    return nextTransfer_++;
}

int SimulatedMpsseAdapter::TransferDone(int transfer) {
    SyncHost();
    if (const auto write = writes_.find(transfer); write != writes_.end()) {
        const auto [arrived, size] = write->second;
        writes_.erase(write);
        HostWaitsUntil(arrived);
        return size;
    }
    const auto found = reads_.find(transfer);
    if (found == reads_.end()) return Fail("no such transfer");
    const Read read = found->second;
    reads_.erase(found);
    if (read.first != answersBase_) return Fail("reads waited for out of order");
    // Answers held back in a partly filled packet go when the latency timer runs out.
    if (answers_.size() < read.size && !pending_.empty()) SendPending(pendingSince_ + latencyUnits_);
    // Answers of commands never written never come: a real read would time out.
    if (answers_.size() < read.size) return Fail("usb bulk read failed: timeout");
    if (read.size > 0) HostWaitsUntil(CeilNs(answers_[read.size - 1].atPc));
    for (std::size_t i = 0; i < read.size; ++i) read.data[i] = answers_[i].byte;
    answers_.erase(answers_.begin(), answers_.begin() + static_cast<std::ptrdiff_t>(read.size));
    answersBase_ += read.size;
    return static_cast<int>(read.size);
}

}  // namespace tarpel::sim
