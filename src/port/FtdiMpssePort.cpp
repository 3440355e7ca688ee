// SPDX-License-Identifier: GPL-2.0-or-later
#include "port/FtdiMpssePort.h"

#include <algorithm>
#include <array>

#include "port/FtdiMpssePinMap.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::port {

namespace {

// The engine's commands used here, as FTDI's AN_108 numbers them.
constexpr std::uint8_t SetLowByte = 0x80;       // value, direction of ADBUS0..7
constexpr std::uint8_t ReadLowByte = 0x81;      // answers one byte: the levels of ADBUS0..7
constexpr std::uint8_t LoopbackOff = 0x85;
constexpr std::uint8_t SetDivisor = 0x86;       // divisor low, high
constexpr std::uint8_t SendImmediate = 0x87;    // answers go to the PC now, not at the latency timer
constexpr std::uint8_t DivideBy5Off = 0x8A;     // the master clock is 60 MHz, not 12
constexpr std::uint8_t ThreePhaseOff = 0x8D;
constexpr std::uint8_t ClockBits = 0x8E;        // length n-1: n = 1..8 TCK cycles, no data
constexpr std::uint8_t ClockBytes = 0x8F;       // length low, high = n-1: n*8 TCK cycles, no data
constexpr std::uint8_t AdaptiveOff = 0x97;
constexpr std::uint8_t BogusCommand = 0xAA;     // no command: answered 0xFA, then itself
constexpr std::uint8_t BadCommandAnswer = 0xFA;

// TCK = 60 MHz / ((1 + divisor) * 2): 10 MHz, 100 ns a cycle, fine enough for every hold the
// line layer asks and coarse enough that the longest (milliseconds) takes few commands.
constexpr std::uint16_t Divisor = 2;
constexpr std::uint64_t TckNs = 100;
// Every pin state stands at least 0.8 us. The line layer holds the I2C clock phases itself and
// the AVR link times its SCK phases at the power-up; what it leaves to a single write is the
// 24Cxx data set-up before SCL rises (250 ns at 100 kHz), here three times over. It also keeps
// XTAL1, two writes a cycle, below 625 kHz.
constexpr std::uint64_t WriteCycles = 800 / TckNs;

// Commands a transfer carries: four writes of pins a microsecond each take 8 bytes apiece, so a
// block is half a millisecond of pin time, and the engine is never long without commands.
constexpr std::size_t BlockBytes = 4096;
// Blocks in flight at once. OpenOCD's MPSSE driver keeps one write and one read in flight and
// waits for both; avrdude's FTDI programmers write one buffer at a time and wait for its answers.
// A few more let the engine run while the PC prepares the next block, but no more than that:
// whatever is in flight reaches the board even after a stop or a failure, so it stays within a
// couple of milliseconds of pin time.
constexpr std::size_t BlocksInFlight = 4;

// The status byte of a port whose adapter stopped answering: SDA and MISO resting high, so no
// chip seems to acknowledge or answer.
constexpr std::uint8_t LostStatus = ftdi::IdleStatusBits | ftdi::StatusMiso;

// Commands out and their answers back, alone: the set-up's steps.
bool ExchangeAlone(FtdiCalls& calls, const std::uint8_t* bytes, int size, std::uint8_t* answers, int count) {
    const int write = calls.SubmitWrite(bytes, size);
    if (write < 0) return false;
    const int read = count > 0 ? calls.SubmitRead(answers, count) : 0;
    const bool written = calls.TransferDone(write) == size;
    return read >= 0 && (count == 0 || calls.TransferDone(read) == count) && written;
}

}  // namespace

MpsseChipFacts MpsseFactsOf(FtdiChip chip) {
    // The buffers towards the PC as FTDI's datasheets give them, per channel.
    switch (chip) {
        case FtdiChip::Ft232H: return {"FT232H", 1024};
        case FtdiChip::Ft2232H: return {"FT2232H", 4096};
        case FtdiChip::Ft4232H: return {"FT4232H", 2048};
        default: break;
    }
    return {"FTDI", 1024};
}

std::unique_ptr<FtdiMpssePort> FtdiMpssePort::Start(std::unique_ptr<FtdiCalls> calls, FtdiAdapter adapter,
                                                    const std::string& serial, std::string& errorMessage) {
    const auto fail = [&](const std::string& words) {
        const std::string which = serial.empty() ? std::string("FTDI")
                                                 : shell::Fill(Tr("FTDI con numero de serie %1"), {serial});
        errorMessage = shell::Fill(Tr("El adaptador %1 no responde como un MPSSE%2. Desconectelo y vuelva a "
                                      "conectarlo; si sigue igual, no es un FT232H, FT2232H ni FT4232H."),
                                   {which, words.empty() ? std::string() : " (" + words + ")"});
        calls->Close();
        return nullptr;
    };
    // The reset hands the pins back to the UART, whose board-side pins are all inputs; the MPSSE
    // mode starts with every pin an input too, so nothing is driven until the first command.
    if (calls->SetBitmode(0x00, FtdiBitmodeReset) < 0 || calls->SetBitmode(0x00, FtdiBitmodeMpsse) < 0 ||
        calls->SetLatencyTimer(1) < 0 || calls->Purge() < 0)
        return fail(calls->ErrorString());
    // An engine that takes commands answers one it does not know with 0xFA and the command; any
    // other answer means the commands and answers are out of step (or it is no MPSSE).
    const std::array<std::uint8_t, 2> bogus{BogusCommand, SendImmediate};
    std::array<std::uint8_t, 2> echo{};
    if (!ExchangeAlone(*calls, bogus.data(), 2, echo.data(), 2)) return fail(calls->ErrorString());
    if (echo[0] != BadCommandAnswer || echo[1] != BogusCommand) return fail({});
    // The clock, then the pins: the one command sets the output latch and the directions at once,
    // so the board's pins become outputs already low, whatever an earlier program left.
    const std::array<std::uint8_t, 10> setUp{DivideBy5Off, AdaptiveOff, ThreePhaseOff, LoopbackOff,
                                             SetDivisor,   Divisor & 0xFF, Divisor >> 8,
                                             SetLowByte,   0x00,         mpsse::Direction};
    if (!ExchangeAlone(*calls, setUp.data(), static_cast<int>(setUp.size()), nullptr, 0))
        return fail(calls->ErrorString());
    return std::unique_ptr<FtdiMpssePort>(new FtdiMpssePort(std::move(calls), std::move(adapter)));
}

FtdiMpssePort::FtdiMpssePort(std::unique_ptr<FtdiCalls> calls, FtdiAdapter adapter)
    : calls_(std::move(calls)), adapter_(std::move(adapter)), facts_(MpsseFactsOf(adapter_.chip)) {}

// The pins stay outputs driving 0 after the close: handing them back to the UART would let TXD,
// RTS# and DTR# idle high into an unpowered chip.
FtdiMpssePort::~FtdiMpssePort() {
    failure_.clear();
    queue_.insert(queue_.end(), {SetLowByte, 0x00, mpsse::Direction});
    Flush();
    calls_->Close();
}

std::string FtdiMpssePort::Name() const {
    std::string name = facts_.name;
    if (!adapter_.serial.empty()) name += " " + adapter_.serial;
    return name;
}

void FtdiMpssePort::RecordFailure() {
    if (!failure_.empty()) return;
    failure_ = shell::Fill(Tr("Fallo al usar el adaptador %1: %2. La orden se ha detenido; compruebe el cable USB y "
                              "desconecte la placa si sigue alimentada."),
                           {Name(), calls_->ErrorString()});
}

void FtdiMpssePort::DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) {
    if (port != DataPort) return;
    pins_ = mpsse::PinsForData(value);
    queue_.insert(queue_.end(), {SetLowByte, pins_, mpsse::Direction});
    QueueWait(WriteCycles);
    heldSinceLastByte_ = false;
    // Every line off is how each command ends, and no read or wait may follow for a long time
    // (a message box, the window idle): it goes out at once, so the chip is never left powered.
    if (pins_ == 0)
        Flush();
    else
        Send(false);
}

std::uint8_t FtdiMpssePort::DlPortReadPortUchar(std::uint16_t port) {
    if (port != StatusPort) return 0xFF;
    return StatusOf(RequestSample());
}

FtdiMpssePort::Sample FtdiMpssePort::RequestSample() {
    queue_.push_back(ReadLowByte);
    const Sample sample = sent_ + queuedAnswers_++;
    wanted_.push_back(sample);
    Send(false);
    return sample;
}

std::uint8_t FtdiMpssePort::StatusOf(Sample sample) {
    // Needed now: the engine is told to send its answers at once instead of at the latency timer.
    if (sample >= collected_ && failure_.empty()) {
        queue_.push_back(SendImmediate);
        Send(true);
    }
    while (sample >= collected_ && !inFlight_.empty()) Collect();
    const auto found = samples_.find(sample);
    if (found == samples_.end()) return LostStatus;
    const std::uint8_t pins = found->second;
    samples_.erase(found);
    return mpsse::StatusForPins(pins);
}

void FtdiMpssePort::DropSample(Sample sample) {
    samples_.erase(sample);
    std::erase(wanted_, sample);
}

void FtdiMpssePort::Flush() {
    // Every answer is waited for here, so none may wait for the latency timer.
    if (AnswersOutstanding() && failure_.empty()) queue_.push_back(SendImmediate);
    Send(true);
    while (!inFlight_.empty()) Collect();
}

bool FtdiMpssePort::HoldLines(std::uint64_t nanoseconds) {
    std::uint64_t cycles = (nanoseconds + TckNs - 1) / TckNs;
    // The write that set the pins holds them for its own microsecond already.
    if (!heldSinceLastByte_) cycles -= std::min(cycles, WriteCycles);
    heldSinceLastByte_ = true;
    QueueWait(cycles);
    Send(false);
    return true;
}

void FtdiMpssePort::QueueWait(std::uint64_t cycles) {
    constexpr std::uint64_t MostBytes = 0x10000;  // the longest 0x8F: 65536 * 8 cycles
    while (cycles >= 8) {
        const std::uint64_t bytes = std::min(cycles / 8, MostBytes);
        const auto length = static_cast<std::uint16_t>(bytes - 1);
        queue_.insert(queue_.end(), {ClockBytes, static_cast<std::uint8_t>(length & 0xFF),
                                     static_cast<std::uint8_t>(length >> 8)});
        cycles -= bytes * 8;
    }
    if (cycles > 0) queue_.insert(queue_.end(), {ClockBits, static_cast<std::uint8_t>(cycles - 1)});
}

void FtdiMpssePort::Send(bool all) {
    // Called for every command queued, so mostly with too little to send. A block carries at
    // most half the chip's buffer of answers, so two can stream while the PC takes the first.
    const std::size_t answerBlock = facts_.answerFifo / 2;
    if (queue_.empty() || (!all && queue_.size() < BlockBytes && queuedAnswers_ < answerBlock)) return;
    // Never more answers outstanding than the chip can hold towards the PC: an engine whose
    // buffer is full stops taking commands, and one whose answers the PC has stopped collecting
    // would hold the pins where they stand.
    while (!inFlight_.empty() &&
           (inFlight_.size() >= BlocksInFlight || answersInFlight_ + queuedAnswers_ > facts_.answerFifo))
        Collect();
    if (failure_.empty()) {
        Block& block = inFlight_.emplace_back();
        block.bytes = std::move(queue_);
        block.answers.resize(queuedAnswers_);
        block.first = sent_;
        block.write = calls_->SubmitWrite(block.bytes.data(), static_cast<int>(block.bytes.size()));
        if (block.write >= 0 && queuedAnswers_ > 0)
            block.read = calls_->SubmitRead(block.answers.data(), static_cast<int>(queuedAnswers_));
        if (block.write < 0 || (queuedAnswers_ > 0 && block.read < 0)) RecordFailure();
        answersInFlight_ += queuedAnswers_;
    }
    // A failed adapter takes nothing more: the rest is dropped, its answers read as lost.
    queue_.clear();
    sent_ += queuedAnswers_;
    queuedAnswers_ = 0;
    if (!failure_.empty()) {
        while (!inFlight_.empty()) Collect();
        collected_ = sent_;
        std::erase_if(wanted_, [this](Sample wanted) { return wanted < sent_; });
    }
}

void FtdiMpssePort::Collect() {
    Block block = std::move(inFlight_.front());
    inFlight_.pop_front();
    const auto size = static_cast<int>(block.bytes.size());
    const auto count = static_cast<int>(block.answers.size());
    // Every submitted transfer is waited for, even after a failure, so none is left in flight.
    const bool written = block.write >= 0 && calls_->TransferDone(block.write) == size;
    const bool read = count == 0 || (block.read >= 0 && calls_->TransferDone(block.read) == count);
    if (!written || !read) RecordFailure();
    const Sample end = block.first + block.answers.size();
    auto wanted = wanted_.begin();
    for (; wanted != wanted_.end() && *wanted < end; ++wanted)
        if (*wanted >= block.first && written && read) samples_[*wanted] = block.answers[*wanted - block.first];
    wanted_.erase(wanted_.begin(), wanted);
    collected_ = end;
    answersInFlight_ -= block.answers.size();
}

}  // namespace tarpel::port
