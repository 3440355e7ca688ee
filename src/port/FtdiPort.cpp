// SPDX-License-Identifier: GPL-2.0-or-later
#include "port/FtdiPort.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "port/FtdiPinMap.h"
#include "port/FtdiPinTick.h"
#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::port {

namespace {

// The status byte of a port whose adapter stopped answering: SDA and MISO resting high, so no
// chip seems to acknowledge or answer.
constexpr std::uint8_t LostStatus = ftdi::IdleStatusBits | ftdi::StatusMiso;

// One block out and its samples back, alone: the clean start's first byte.
bool ExchangeAlone(FtdiCalls& calls, const std::uint8_t* bytes, int size, std::uint8_t* samples) {
    const int write = calls.SubmitWrite(bytes, size);
    if (write < 0) return false;
    const int read = calls.SubmitRead(samples, size);
    const bool written = calls.TransferDone(write) == size;
    return read >= 0 && calls.TransferDone(read) == size && written;
}

}  // namespace

FtdiChipFacts FactsOf(FtdiChip chip) {
    // The FT232R runs at its 3 MBd maximum on both sides (libftdi asks the chip for four times
    // the rate: 750 kHz), the only baud at which FTDI's errata (TN_120) promise even pulse
    // widths in bit-bang; the I2C side's holds are counted at the tick measured when the adapter
    // opens (FtdiPinTick.h). Its writes go in 64-byte blocks, two in flight at most, so that the
    // samples the PC has not yet received never exceed the 128 its buffer towards the PC holds:
    // more would stop the pins while the bus catches up, in the middle of whatever they were
    // doing. avrdude's FT232R driver keeps at most 128 unread samples for the same reason, and
    // OpenOCD's writes 64 bytes at a time with 128 outstanding. The FT232H's high-speed bus
    // outruns a 1 MHz pin clock (a clock cycle of the AVRs' XTAL1 is two writes, as on a
    // parallel port), so it keeps one clock for both, with its 1 KiB buffers; the FT2232H has
    // 4 KiB a channel.
    switch (chip) {
        case FtdiChip::Ft232R: return {"FT232R", 750'000, 750'000, 64, 2};
        case FtdiChip::Ft232H: return {"FT232H", 1'000'000, 1'000'000, 1024, 8};
        case FtdiChip::Ft2232H: return {"FT2232H", 1'000'000, 1'000'000, 2048, 8};
        case FtdiChip::Ft4232H: return {"FT4232H", 1'000'000, 1'000'000, 2048, 8};
        case FtdiChip::Ft232AmBm:
        case FtdiChip::Ft2232CD:
        case FtdiChip::Other: break;
    }
    return {"FTDI", 375'000, 375'000, 64, 2};
}

namespace {

// The factor as the user reads it: "4.3".
std::string FactorText(double factor) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", factor);
    return text;
}

// Why a measured pin clock cannot be trusted, or empty when it can.
std::string PinClockRefusal(const FtdiChipFacts& facts, double factor) {
    // The documented range, widened by the measurement's own margin either side: an adapter at
    // exactly half the rate must not be refused for a USB frame's jitter.
    if (factor < SlowestPinClockFactor * (1 - TickMargin) || factor > FastestPinClockFactor * (1 + TickMargin))
        return shell::Fill(Tr("El adaptador %1 mueve sus patillas a %2 veces el ritmo pedido, fuera de lo que "
                              "documenta FTDI (de 0.5 a 20 veces): sus tiempos no son de fiar y no se usa. Pruebe "
                              "con otro adaptador."),
                           {facts.name, FactorText(factor)});
    // One pin byte per XTAL1 edge: a tick shorter than 62.5 ns would clock the AT90S parts
    // beyond their 8 MHz.
    if (1e9 / (facts.baudrate * factor) < MinimumTickNs)
        return shell::Fill(Tr("El adaptador %1 mueve sus patillas a %2 veces el ritmo pedido: XTAL1 pasaria de 8 "
                              "MHz, mas de lo que aguantan los AT90S. Pruebe con otro adaptador."),
                           {facts.name, FactorText(factor)});
    return {};
}

}  // namespace

std::string FtdiErrorMessage(FtdiOpenError error, FtdiStage stage, const std::string& serial,
                             const std::string& detail) {
    const std::string which =
        serial.empty() ? std::string("FTDI") : shell::Fill(Tr("FTDI con numero de serie %1"), {serial});
    const std::string words = detail.empty() ? std::string() : " (" + detail + ")";
    if (stage == FtdiStage::Setup)
        return shell::Fill(Tr("El adaptador %1 no acepta el modo bit-bang sincrono%2. Desconectelo y vuelva a "
                              "conectarlo; si sigue igual, no es un FT232R."),
                           {which, words});
    switch (error) {
        case FtdiOpenError::NotFound:
            if (serial.empty())
                return Tr("No se encuentra ningun adaptador FTDI (FT232R, FT232H, FT2232H o FT4232H). Conectelo al USB y "
                          "compruebe que aparece con: lsusb -d 0403:");
            return shell::Fill(Tr("No se encuentra el adaptador FTDI con numero de serie %1. Los numeros de serie "
                                  "de los conectados se ven con: lsusb -v -d 0403: | grep iSerial"),
                               {serial});
        case FtdiOpenError::NoPermission:
            return shell::Fill(
                Tr("Sin permiso para usar el adaptador %1. Cree el fichero /etc/udev/rules.d/60-tarpel-ftdi.rules "
                   "con la linea: SUBSYSTEM==\"usb\", ATTR{idVendor}==\"0403\", MODE=\"0660\", GROUP=\"plugdev\"; "
                   "despues: sudo udevadm control --reload && sudo udevadm trigger, anada su usuario al grupo "
                   "plugdev y vuelva a conectar el adaptador."),
                {which});
        case FtdiOpenError::Busy:
            return shell::Fill(Tr("El adaptador %1 esta ocupado: el controlador ftdi_sio u otro programa lo tiene "
                                  "abierto%2. Cierre el programa que use /dev/ttyUSB*, o descargue el controlador "
                                  "con: sudo rmmod ftdi_sio"),
                               {which, words});
        case FtdiOpenError::None:
        case FtdiOpenError::Other: break;
    }
    return shell::Fill(Tr("No se puede usar el adaptador %1%2."), {which, words});
}

std::unique_ptr<FtdiPort> FtdiPort::Open(std::unique_ptr<FtdiCalls> calls, const std::string& serial, Clock& clock,
                                         std::string& errorMessage) {
    FtdiAdapter adapter;
    std::string detail;
    if (const FtdiOpenError error = calls->Open(serial, adapter, detail); error != FtdiOpenError::None) {
        errorMessage = FtdiErrorMessage(error, FtdiStage::Open, serial, detail);
        return nullptr;
    }
    return Start(std::move(calls), std::move(adapter), serial, clock, errorMessage);
}

std::unique_ptr<FtdiPort> FtdiPort::Start(std::unique_ptr<FtdiCalls> calls, FtdiAdapter adapter,
                                          const std::string& serial, Clock& clock, std::string& errorMessage) {
    const FtdiChipFacts facts = FactsOf(adapter.chip);
    // A clean start: every pin an input first, so nothing is driven while the mode changes and
    // while the pin clock is timed; then one byte of 0x00 clocked out, which sets the output
    // latch that an earlier program may have left high; only then the board's pins become
    // outputs, and they come up low.
    const std::uint8_t off = 0x00;
    std::uint8_t sample = 0;
    double factor = 0;
    const bool ready = calls->SetBitmode(0x00, FtdiBitmodeSyncBitbang) >= 0 && calls->SetLatencyTimer(1) >= 0 &&
                       calls->Purge() >= 0 && (factor = MeasurePinClockFactor(*calls, clock)) > 0 &&
                       calls->SetBaudrate(facts.baudrate) >= 0 && ExchangeAlone(*calls, &off, 1, &sample);
    if (!ready) {
        errorMessage = FtdiErrorMessage(FtdiOpenError::Other, FtdiStage::Setup, serial, calls->ErrorString());
        calls->Close();
        return nullptr;
    }
    if (errorMessage = PinClockRefusal(facts, factor); !errorMessage.empty()) {
        calls->Close();
        return nullptr;
    }
    if (calls->SetBitmode(ftdi::OutputMask, FtdiBitmodeSyncBitbang) < 0) {
        errorMessage = FtdiErrorMessage(FtdiOpenError::Other, FtdiStage::Setup, serial, calls->ErrorString());
        calls->Close();
        return nullptr;
    }
    return std::unique_ptr<FtdiPort>(new FtdiPort(std::move(calls), std::move(adapter), factor));
}

FtdiPort::FtdiPort(std::unique_ptr<FtdiCalls> calls, FtdiAdapter adapter, double pinClockFactor)
    : calls_(std::move(calls)),
      adapter_(std::move(adapter)),
      facts_(FactsOf(adapter_.chip)),
      pinClock_(facts_.baudrate),
      pinClockFactor_(pinClockFactor) {}

// The pins stay outputs driving 0 after the close: switching them back to the UART would let
// TXD, RTS# and DTR# idle high into an unpowered chip.
FtdiPort::~FtdiPort() {
    failure_.clear();
    queue_.push_back(0x00);
    Flush();
    calls_->Close();
}

std::string FtdiPort::Name() const {
    std::string name = facts_.name;
    if (!adapter_.serial.empty()) name += " " + adapter_.serial;
    return name;
}

void FtdiPort::RecordFailure() {
    if (!failure_.empty()) return;
    failure_ = shell::Fill(Tr("Fallo al usar el adaptador %1: %2. La orden se ha detenido; compruebe el cable USB y "
                              "desconecte la placa si sigue alimentada."),
                           {Name(), calls_->ErrorString()});
}

void FtdiPort::DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) {
    if (port != DataPort) return;
    pins_ = ftdi::PinsForData(value);
    queue_.push_back(pins_);
    heldSinceLastByte_ = false;
    // Every line off is how each command ends, and no read or wait may follow for a long time
    // (a message box, the window idle): it goes out at once, so the chip is never left powered.
    // The next command starts on the AVR side's clock until it holds lines.
    if (pins_ == 0) {
        Flush();
        UsePinClock(facts_.baudrate);
    } else {
        Send(false);
    }
}

std::uint8_t FtdiPort::DlPortReadPortUchar(std::uint16_t port) {
    if (port != StatusPort) return 0xFF;
    return StatusOf(RequestSample());
}

FtdiPort::Sample FtdiPort::RequestSample() {
    // A repeat of the pins: the adapter samples at the tick it clocks this byte out, after the
    // last write has reached the pins.
    queue_.push_back(static_cast<std::uint8_t>(pins_ | ftdi::SampleMark));
    const Sample sample = sent_ + queue_.size() - 1;
    wanted_.push_back(sample);
    heldSinceLastByte_ = false;
    Send(false);
    return sample;
}

std::uint8_t FtdiPort::StatusOf(Sample sample) {
    if (sample >= sent_) Send(true);
    while (sample >= collected_ && !inFlight_.empty()) Collect();
    const auto found = samples_.find(sample);
    if (found == samples_.end()) return LostStatus;
    const std::uint8_t pins = found->second;
    samples_.erase(found);
    return ftdi::StatusForPins(pins);
}

void FtdiPort::DropSample(Sample sample) {
    samples_.erase(sample);
    std::erase(wanted_, sample);
}

void FtdiPort::Flush() {
    Send(true);
    while (!inFlight_.empty()) Collect();
}

void FtdiPort::Send(bool all) {
    // Called for every byte queued, so mostly with too little to send.
    const std::size_t count = all ? queue_.size() : queue_.size() / facts_.blockBytes * facts_.blockBytes;
    std::size_t offset = 0;
    while (offset < count) {
        // A failed adapter takes nothing more: the rest is dropped, its samples read as lost.
        if (!failure_.empty()) break;
        // Far enough ahead: the pins have blocks to clock while the PC waits for the oldest, and
        // no more than blocksInFlight are ever submitted and unread.
        while (inFlight_.size() >= facts_.blocksInFlight) Collect();
        const std::size_t size = std::min(facts_.blockBytes, count - offset);
        Block& block = inFlight_.emplace_back();
        const auto from = queue_.begin() + static_cast<std::ptrdiff_t>(offset);
        block.bytes.assign(from, from + static_cast<std::ptrdiff_t>(size));
        block.samples.resize(size);
        block.first = sent_ + offset;
        const int bytes = static_cast<int>(size);
        block.write = calls_->SubmitWrite(block.bytes.data(), bytes);
        if (block.write >= 0) block.read = calls_->SubmitRead(block.samples.data(), bytes);
        if (block.write < 0 || block.read < 0) RecordFailure();
        offset += size;
    }
    sent_ += count;
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(count));
    if (!failure_.empty()) {
        while (!inFlight_.empty()) Collect();
        collected_ = sent_;
        std::erase_if(wanted_, [this](Sample wanted) { return wanted < sent_; });
    }
}

void FtdiPort::Collect() {
    Block block = std::move(inFlight_.front());
    inFlight_.pop_front();
    const auto size = static_cast<int>(block.bytes.size());
    // Every submitted transfer is waited for, even after a failure, so none is left in flight.
    const bool written = block.write < 0 || calls_->TransferDone(block.write) == size;
    const bool read = block.read >= 0 && calls_->TransferDone(block.read) == size;
    if (!written || !read) RecordFailure();
    const Sample end = block.first + block.bytes.size();
    auto wanted = wanted_.begin();
    for (; wanted != wanted_.end() && *wanted < end; ++wanted)
        if (*wanted >= block.first && written && read) samples_[*wanted] = block.samples[*wanted - block.first];
    wanted_.erase(wanted_.begin(), wanted);
    collected_ = end;
}

void FtdiPort::UsePinClock(int baudrate) {
    if (baudrate == pinClock_ || !failure_.empty()) return;
    pinClock_ = baudrate;
    if (calls_->SetBaudrate(baudrate) < 0) RecordFailure();
}

bool FtdiPort::HoldLines(std::uint64_t nanoseconds) {
    // Holding lines is the I2C side's way: from here to the end of the command, its clock.
    if (pinClock_ != facts_.holdBaudrate) {
        Flush();
        UsePinClock(facts_.holdBaudrate);
        // The byte that set the pins went out on the other clock: it does not count.
        heldSinceLastByte_ = true;
    }
    // Counted at the tick measured at open, less a margin for the timing's jitter.
    const double tickNs = 1e9 / (pinClock_ * pinClockFactor_) * (1 - TickMargin);
    auto ticks = static_cast<std::uint64_t>(std::ceil(static_cast<double>(nanoseconds) / tickNs));
    // The byte that set the pins holds them for its own tick already.
    if (!heldSinceLastByte_ && ticks > 0) --ticks;
    heldSinceLastByte_ = true;
    queue_.insert(queue_.end(), ticks, pins_);
    Send(false);
    return true;
}

}  // namespace tarpel::port
