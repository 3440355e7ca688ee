#include "hw/FtdiPort.h"

#include <algorithm>

#include "hw/FtdiPinMap.h"
#include "shell/Translate.h"

namespace tarpel::hw {

namespace {

// The status byte of a port whose adapter stopped answering: SDA and MISO resting high, so no
// chip seems to acknowledge or answer.
constexpr std::uint8_t LostStatus = ftdi::IdleStatusBits | 0x40;

// An empty read lasts at least one latency period (1 ms) on a real adapter: this many in a row,
// two seconds or more, means the adapter has stopped clocking.
constexpr int MaxEmptyReads = 2000;

// One block out and its samples back. In synchronous bit-bang the adapter gives one sample per
// byte and stops clocking when its buffer towards the PC is full, so a block never exceeds it.
bool ExchangeBlock(FtdiCalls& calls, const std::uint8_t* bytes, std::size_t count, std::uint8_t* samples) {
    const int size = static_cast<int>(count);
    if (calls.WriteData(bytes, size) != size) return false;
    int got = 0;
    int emptyReads = 0;
    while (got < size) {
        const int read = calls.ReadData(samples + got, size - got);
        if (read < 0) return false;
        if (read == 0 && ++emptyReads > MaxEmptyReads) return false;
        if (read > 0) emptyReads = 0;
        got += read;
    }
    return true;
}

}  // namespace

FtdiChipFacts FactsOf(FtdiChip chip) {
    // Every read is a round trip (1 ms at full speed, 125 us at high speed) carrying at most one
    // block, and a delay unit of the I2C side is repeats of the pins, so a block should hold more
    // pin time than its round trip costs: the FT232R's clock is slow (12.5 us a tick, two ticks
    // to the standard delay unit) and its block fills its 256-byte buffer towards the PC; the
    // FT232H's is fast enough for the AVRs' XTAL1 (a clock cycle is two writes, as on a parallel
    // port) and its block fills its 1 KiB buffer. A block that fills the buffer towards the PC
    // still goes out whole: the rest waits in the buffer towards the chip (128 bytes, 1 KiB)
    // until the PC has read. The FT2232H has 4 KiB a channel.
    switch (chip) {
        case FtdiChip::Ft232R: return {"FT232R", 80'000, 256};
        case FtdiChip::Ft232H: return {"FT232H", 1'000'000, 1024};
        case FtdiChip::Ft2232H: return {"FT2232H", 1'000'000, 2048};
        case FtdiChip::Other: break;
    }
    return {"FTDI", 80'000, 64};
}

std::string FtdiErrorMessage(FtdiOpenError error, FtdiStage stage, const std::string& serial,
                             const std::string& detail) {
    const std::string which = serial.empty() ? std::string("FTDI") : Tr("FTDI con numero de serie ") + serial;
    const std::string words = detail.empty() ? std::string() : " (" + detail + ")";
    if (stage == FtdiStage::Setup)
        return Tr("El adaptador ") + which + Tr(" no acepta el modo bit-bang sincrono") + words +
               Tr(". Desconectelo y vuelva a conectarlo; si sigue igual, no es un FT232R, FT232H ni FT2232H.");
    switch (error) {
        case FtdiOpenError::NotFound:
            if (serial.empty())
                return Tr("No se encuentra ningun adaptador FTDI (FT232R, FT232H o FT2232H). Conectelo al USB y "
                          "compruebe que aparece con: lsusb -d 0403:");
            return Tr("No se encuentra el adaptador FTDI con numero de serie ") + serial +
                   Tr(". Los numeros de serie de los conectados se ven con: lsusb -v -d 0403: | grep iSerial");
        case FtdiOpenError::NoPermission:
            return Tr("Sin permiso para usar el adaptador ") + which +
                   Tr(". Cree el fichero /etc/udev/rules.d/60-tarpel-ftdi.rules con la linea: SUBSYSTEM==\"usb\", "
                      "ATTR{idVendor}==\"0403\", MODE=\"0660\", GROUP=\"plugdev\"; despues: sudo udevadm control "
                      "--reload && sudo udevadm trigger, anada su usuario al grupo plugdev y vuelva a conectar el "
                      "adaptador.");
        case FtdiOpenError::Busy:
            return Tr("El adaptador ") + which +
                   Tr(" esta ocupado: el controlador ftdi_sio u otro programa lo tiene abierto") + words +
                   Tr(". Cierre el programa que use /dev/ttyUSB*, o descargue el controlador con: sudo rmmod ftdi_sio");
        case FtdiOpenError::None:
        case FtdiOpenError::Other: break;
    }
    return Tr("No se puede usar el adaptador ") + which + words + ".";
}

std::unique_ptr<FtdiPort> FtdiPort::Open(std::unique_ptr<FtdiCalls> calls, const std::string& serial,
                                         std::string& errorMessage) {
    FtdiAdapter adapter;
    std::string detail;
    if (const FtdiOpenError error = calls->Open(serial, adapter, detail); error != FtdiOpenError::None) {
        errorMessage = FtdiErrorMessage(error, FtdiStage::Open, serial, detail);
        return nullptr;
    }
    const FtdiChipFacts facts = FactsOf(adapter.chip);
    // A clean start: every pin an input first, so nothing is driven while the mode changes;
    // then one byte of 0x00 clocked out, which sets the output latch that an earlier program may
    // have left high; only then the board's pins become outputs, and they come up low.
    const std::uint8_t off = 0x00;
    std::uint8_t sample = 0;
    const bool ready = calls->SetBitmode(0x00, FtdiBitmodeSyncBitbang) >= 0 && calls->SetBaudrate(facts.baudrate) >= 0 &&
                       calls->SetLatencyTimer(1) >= 0 && calls->Purge() >= 0 &&
                       ExchangeBlock(*calls, &off, 1, &sample) &&
                       calls->SetBitmode(ftdi::OutputMask, FtdiBitmodeSyncBitbang) >= 0;
    if (!ready) {
        errorMessage = FtdiErrorMessage(FtdiOpenError::Other, FtdiStage::Setup, serial, calls->ErrorString());
        calls->Close();
        return nullptr;
    }
    return std::unique_ptr<FtdiPort>(new FtdiPort(std::move(calls), std::move(adapter)));
}

FtdiPort::FtdiPort(std::unique_ptr<FtdiCalls> calls, FtdiAdapter adapter)
    : calls_(std::move(calls)), adapter_(std::move(adapter)) {}

// The pins stay outputs driving 0 after the close: switching them back to the UART would let
// TXD, RTS# and DTR# idle high into an unpowered chip.
FtdiPort::~FtdiPort() {
    failure_.clear();
    DlPortWritePortUchar(DataPort, 0x00);
    Flush();
    calls_->Close();
}

std::string FtdiPort::Name() const {
    std::string name = FactsOf(adapter_.chip).name;
    if (!adapter_.serial.empty()) name += " " + adapter_.serial;
    return name;
}

void FtdiPort::RecordFailure(const char* what) {
    if (!failure_.empty()) return;
    failure_ = std::string(Tr("Fallo al ")) + Tr(what) + Tr(" el adaptador ") + Name() + ": " + calls_->ErrorString() +
               Tr(". La orden se ha detenido; compruebe el cable USB y desconecte la placa si sigue alimentada.");
}

void FtdiPort::DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) {
    if (port != DataPort) return;
    pins_ = ftdi::PinsForData(value);
    queue_.push_back(pins_);
    heldSinceLastByte_ = false;
    // Every line off is how each command ends, and no read or wait may follow for a long time
    // (a message box, the window idle): it goes out at once, so the chip is never left powered.
    if (pins_ == 0) Flush();
    else Send(false);
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
    if (sample >= sent_) Flush();
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

void FtdiPort::Flush() { Send(true); }

void FtdiPort::Send(bool all) {
    // Called before every reading of the clock, so mostly with nothing to send.
    const std::size_t blockBytes = FactsOf(adapter_.chip).blockBytes;
    const std::size_t count = all ? queue_.size() : queue_.size() / blockBytes * blockBytes;
    if (count == 0) return;
    std::vector<std::uint8_t> block(blockBytes);
    std::size_t offset = 0;
    while (offset < count && failure_.empty()) {
        const std::size_t size = std::min(blockBytes, count - offset);
        if (!ExchangeBlock(*calls_, queue_.data() + offset, size, block.data())) {
            RecordFailure(TrNoop("usar"));
            break;
        }
        const Sample first = sent_ + offset;
        for (const Sample wanted : wanted_)
            if (wanted >= first && wanted < first + size) samples_[wanted] = block[wanted - first];
        offset += size;
    }
    // After a failure the rest of the blocks is dropped: its samples read as a lost adapter's.
    sent_ += count;
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(count));
    std::erase_if(wanted_, [this](Sample wanted) { return wanted < sent_; });
}

bool FtdiPort::HoldLines(std::uint64_t nanoseconds) {
    const std::uint64_t tickNs = 1'000'000'000ull / static_cast<std::uint64_t>(FactsOf(adapter_.chip).baudrate);
    std::uint64_t ticks = (nanoseconds + tickNs - 1) / tickNs;
    // The byte that set the pins holds them for its own tick already.
    if (!heldSinceLastByte_ && ticks > 0) --ticks;
    heldSinceLastByte_ = true;
    queue_.insert(queue_.end(), ticks, pins_);
    Send(false);
    return true;
}

}  // namespace tarpel::hw
