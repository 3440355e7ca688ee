// SPDX-License-Identifier: GPL-2.0-or-later
#include "port/LibFtdiCalls.h"

#include <ftdi.h>
#include <libusb.h>
#include <sys/time.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::port {

namespace {

// Bulk IN transfers kept submitted while the stream lasts, of this many packets each: while the
// PC prepares the next block without handling USB events, the adapter still has that much room
// to send its samples into (about 4 KiB at full speed, 32 KiB at high speed), far beyond the
// buffer towards the PC whose filling would stop its clock (256 bytes on the FT232R). A transfer
// stays one USB request block of libusb (at most 16 KiB), so the packets arrive in order.
constexpr int SampleTransfers = 4;
constexpr int PacketsPerSampleTransfer = 16;

// Every packet from the adapter opens with its two modem-status bytes, whatever the mode.
constexpr int StatusBytesPerPacket = 2;

// A clocking adapter sends its samples at least every latency period (1 ms, a few at most):
// this long with neither samples nor written bytes means it has stopped answering.
constexpr std::uint32_t StallMs = 2000;
// The longest one round of event handling waits, so that the waits look at the clock often.
constexpr int PollMs = 100;

const char* TransferStatusName(int status) {
    switch (status) {
        case LIBUSB_TRANSFER_ERROR: return "LIBUSB_TRANSFER_ERROR";
        case LIBUSB_TRANSFER_TIMED_OUT: return "LIBUSB_TRANSFER_TIMED_OUT";
        case LIBUSB_TRANSFER_CANCELLED: return "LIBUSB_TRANSFER_CANCELLED";
        case LIBUSB_TRANSFER_STALL: return "LIBUSB_TRANSFER_STALL";
        case LIBUSB_TRANSFER_OVERFLOW: return "LIBUSB_TRANSFER_OVERFLOW";
        default: return "LIBUSB_TRANSFER_?";
    }
}

std::string TransferFailure(int status) {
    if (status == LIBUSB_TRANSFER_NO_DEVICE) return Tr("el adaptador se ha desconectado");
    return shell::Fill(Tr("transferencia USB fallida: %1"), {TransferStatusName(status)});
}

std::string UsbFailure(int code) {
    if (code == LIBUSB_ERROR_NO_DEVICE) return Tr("el adaptador se ha desconectado");
    return shell::Fill(Tr("transferencia USB fallida: %1"), {libusb_error_name(code)});
}

// The product ids the supported chips answer to; each is shared with an older chip (0x6001 with
// the FT232AM/BM, 0x6010 with the FT2232C/D), which only the chip type libftdi reads from the
// device's release number tells apart.
bool CandidateProduct(int product) {
    return product == 0x6001 || product == 0x6010 || product == 0x6011 || product == 0x6014;
}

FtdiChip ChipOfType(ftdi_chip_type type) {
    switch (type) {
        case TYPE_R: return FtdiChip::Ft232R;
        case TYPE_232H: return FtdiChip::Ft232H;
        case TYPE_2232H: return FtdiChip::Ft2232H;
        case TYPE_4232H: return FtdiChip::Ft4232H;
        case TYPE_AM:
        case TYPE_BM: return FtdiChip::Ft232AmBm;
        case TYPE_2232C: return FtdiChip::Ft2232CD;
        default: return FtdiChip::Other;
    }
}

bool Supported(FtdiChip chip) { return chip == FtdiChip::Ft232R || HasMpsse(chip); }

// libftdi's open codes name libusb's step that failed: opening the device node is refused for
// lack of permission; setting the configuration or claiming the interface fails while ftdi_sio
// or another program holds it. libftdi detaches ftdi_sio first, and when that was refused for
// lack of permission it says so in its words ("inappropriate permissions on device!").
FtdiOpenError CauseOfOpenFailure(int code, std::string_view words) {
    if (words.find("permission") != std::string_view::npos) return FtdiOpenError::NoPermission;
    switch (code) {
        case -4: return FtdiOpenError::NoPermission;
        case -3:  // setting the configuration, refused while a driver holds the device
        case -5:
        case -11: return FtdiOpenError::Busy;
        default: return FtdiOpenError::Other;
    }
}

}  // namespace

LibFtdiCalls::LibFtdiCalls() : context_(ftdi_new()) {}

LibFtdiCalls::~LibFtdiCalls() {
    Close();
    if (context_) ftdi_free(context_);
}

FtdiOpenError LibFtdiCalls::Open(const std::string& serial, FtdiAdapter& adapter, std::string& detail) {
    failure_.clear();
    if (!context_) {
        detail = "ftdi_new";
        return FtdiOpenError::Other;
    }
    // The board needs one channel of eight pins; on an FT2232H or FT4232H that is channel A.
    ftdi_set_interface(context_, INTERFACE_A);
    ftdi_device_list* list = nullptr;
    // Vendor and product 0: every device with one of FTDI's own product numbers (a vendor alone
    // would match only product 0).
    if (ftdi_usb_find_all(context_, &list, 0, 0) < 0) {
        detail = ftdi_get_error_string(context_);
        return FtdiOpenError::Other;
    }
    FtdiOpenError result = FtdiOpenError::NotFound;
    // Without a serial number an adapter of an older chip is passed over for a later one that
    // can drive the board, and opened again only when none can, so that the port names its chip.
    libusb_device* older = nullptr;
    std::string olderSerial;
    for (ftdi_device_list* entry = list; entry; entry = entry->next) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(entry->dev, &descriptor) != 0) continue;
        if (!CandidateProduct(descriptor.idProduct)) continue;
        std::array<char, 128> serialText{};
        const int strings = ftdi_usb_get_strings(context_, entry->dev, nullptr, 0, nullptr, 0, serialText.data(),
                                                 static_cast<int>(serialText.size()));
        if (strings < 0 && !serial.empty()) {
            // The serial number cannot be read without opening the device.
            detail = ftdi_get_error_string(context_);
            result = strings == -4 ? FtdiOpenError::NoPermission : FtdiOpenError::Other;
            continue;
        }
        const std::string found = strings < 0 ? std::string() : std::string(serialText.data());
        if (!serial.empty() && found != serial) continue;
        const int code = ftdi_usb_open_dev(context_, entry->dev);
        if (code < 0) {
            detail = ftdi_get_error_string(context_);
            result = CauseOfOpenFailure(code, detail);
            break;
        }
        const FtdiChip chip = ChipOfType(context_->type);
        if (serial.empty() && !Supported(chip)) {
            ftdi_usb_close(context_);
            if (!older) {
                older = entry->dev;
                olderSerial = found;
            }
            continue;
        }
        open_ = true;
        adapter.chip = chip;
        adapter.serial = found;
        result = FtdiOpenError::None;
        break;
    }
    if (result == FtdiOpenError::NotFound && older) {
        if (const int code = ftdi_usb_open_dev(context_, older); code < 0) {
            detail = ftdi_get_error_string(context_);
            result = CauseOfOpenFailure(code, detail);
        } else {
            open_ = true;
            adapter.chip = ChipOfType(context_->type);
            adapter.serial = olderSerial;
            result = FtdiOpenError::None;
        }
    }
    ftdi_list_free(&list);
    return result;
}

int LibFtdiCalls::SetBitmode(std::uint8_t outputMask, std::uint8_t mode) {
    return LibraryResult(ftdi_set_bitmode(context_, outputMask, mode));
}

int LibFtdiCalls::SetBaudrate(int baudrate) { return LibraryResult(ftdi_set_baudrate(context_, baudrate)); }

int LibFtdiCalls::SetLatencyTimer(std::uint8_t milliseconds) {
    return LibraryResult(ftdi_set_latency_timer(context_, milliseconds));
}

int LibFtdiCalls::Purge() {
    // Samples still on their way belong to what came before: the stream stops (the next read
    // starts it again) and what it had kept goes with the adapter's buffers.
    StopStream();
    samples_.clear();
    samplesHead_ = 0;
    streamFailure_.clear();
    return LibraryResult(ftdi_tcioflush(context_));
}

int LibFtdiCalls::SubmitWrite(const std::uint8_t* data, int size) {
    if (!open_) return Fail(Tr("el adaptador no esta abierto"));
    if (size < 0) return Fail(Tr("peticion de transferencia no valida"));
    // The stream's transfers that finished since the last wait go out again at once.
    HandleEvents(0);
    if (size == 0) {
        const int transfer = NextTransfer();
        writes_[transfer] = nullptr;
        return transfer;
    }
    // One libusb transfer per write keeps the writes in order: libftdi sends a longer one in
    // chunks, each from the callback of the one before, so it would go out behind later writes.
    if (static_cast<unsigned>(size) > context_->writebuffer_chunksize)
        ftdi_write_data_set_chunksize(context_, static_cast<unsigned>(size));
    // libftdi takes the bytes as non-const but only sends them.
    ftdi_transfer_control* write = ftdi_write_data_submit(context_, const_cast<std::uint8_t*>(data), size);
    if (!write) return Fail(Tr("no se puede enviar la escritura al adaptador"));
    const int transfer = NextTransfer();
    writes_[transfer] = write;
    return transfer;
}

int LibFtdiCalls::SubmitRead(std::uint8_t* data, int size) {
    if (!open_) return Fail(Tr("el adaptador no esta abierto"));
    if (size < 0) return Fail(Tr("peticion de transferencia no valida"));
    if (sampleTransfers_.empty()) {
        if (const int code = StartStream(); code < 0) return code;
    } else {
        HandleEvents(0);
    }
    const int transfer = NextTransfer();
    reads_.push_back({transfer, data, size});
    return transfer;
}

int LibFtdiCalls::TransferDone(int transfer) {
    if (const auto found = writes_.find(transfer); found != writes_.end()) {
        ftdi_transfer_control* write = found->second;
        writes_.erase(found);
        return write ? WaitForWrite(write) : 0;
    }
    // The samples are taken from the stream in the order the reads were submitted.
    if (reads_.empty() || reads_.front().transfer != transfer)
        return Fail(Tr("peticion de transferencia no valida"));
    const PendingRead read = reads_.front();
    reads_.pop_front();
    return WaitForSamples(read);
}

void LibFtdiCalls::Close() {
    if (!open_) return;
    // Writes still in flight go out first, the last pin states among them, while the stream
    // drains the samples they make: an adapter with its buffer towards the PC full stops taking
    // bytes.
    if (!writes_.empty() && sampleTransfers_.empty()) StartStream();
    for (const auto& entry : writes_)
        if (entry.second) WaitForWrite(entry.second);
    writes_.clear();
    StopStream();
    reads_.clear();
    samples_.clear();
    samplesHead_ = 0;
    streamFailure_.clear();
    open_ = false;
    ftdi_usb_close(context_);
}

std::string LibFtdiCalls::ErrorString() {
    if (!failure_.empty()) return failure_;
    const char* text = context_ ? ftdi_get_error_string(context_) : nullptr;
    return text ? text : "";
}

int LibFtdiCalls::NextTransfer() {
    const int transfer = nextTransfer_;
    nextTransfer_ = nextTransfer_ == std::numeric_limits<int>::max() ? 0 : nextTransfer_ + 1;
    return transfer;
}

// A failure of libftdi's own is told in its words, not in those of an earlier one of this layer.
int LibFtdiCalls::LibraryResult(int code) {
    if (code < 0) failure_.clear();
    return code;
}

int LibFtdiCalls::Fail(const std::string& text) {
    failure_ = text;
    return -1;
}

// Once a transfer has failed, samples may be missing or late, so no later read can tell which
// are its own: each fails with the first cause until a purge or the close.
void LibFtdiCalls::BreakStream(const std::string& text) {
    if (streamFailure_.empty()) streamFailure_ = text;
}

// One round of libusb's event handling on the adapter's context: runs the callbacks of the
// transfers that finished, waiting up to `milliseconds` for the first.
int LibFtdiCalls::HandleEvents(int milliseconds) {
    timeval timeout{0, milliseconds * 1000L};
    const int code = libusb_handle_events_timeout_completed(context_->usb_ctx, &timeout, nullptr);
    // A signal that cuts the wait short is no failure: the caller looks again.
    return code == LIBUSB_ERROR_INTERRUPTED ? 0 : code;
}

// libftdi's own wait polls without end and a write that times out is sent again by its callback,
// so this one watches the clock: a write that makes no headway, while no samples arrive either,
// is given up.
int LibFtdiCalls::WaitForWrite(ftdi_transfer_control* write) {
    std::uint32_t quietSince = clock_.GetTickCount();
    int sent = write->offset;
    std::uint64_t received = samplesReceived_;
    while (!write->completed) {
        if (const int code = HandleEvents(PollMs); code < 0) {
            AbandonWrite(write);
            BreakStream(UsbFailure(code));
            return Fail(UsbFailure(code));
        }
        const std::uint32_t now = clock_.GetTickCount();
        if (write->offset != sent || samplesReceived_ != received) {
            sent = write->offset;
            received = samplesReceived_;
            quietSince = now;
        } else if (now - quietSince >= StallMs) {
            AbandonWrite(write);
            const std::string text = Tr("el adaptador no acepta datos desde hace 2 s");
            BreakStream(text);
            return Fail(text);
        }
    }
    const int size = write->size;
    const int status = write->transfer->status;
    // Finished: libftdi only checks the status and frees it. A resubmission refused after a
    // good chunk ends it as completed but short.
    const int result = ftdi_transfer_data_done(write);
    if (result == size) return size;
    const std::string text =
        status == LIBUSB_TRANSFER_COMPLETED ? Tr("escritura incompleta al adaptador") : TransferFailure(status);
    BreakStream(text);
    return Fail(text);
}

// ftdi_transfer_data_cancel waits without end when the chunk it cancels has just finished, for
// its callback then sends the next chunk; so the cancel is repeated until the callback tells it
// took, and libftdi is left only to free the finished transfer.
void LibFtdiCalls::AbandonWrite(ftdi_transfer_control* write) {
    const std::uint32_t start = clock_.GetTickCount();
    while (!write->completed && clock_.GetTickCount() - start < StallMs) {
        libusb_cancel_transfer(write->transfer);
        if (HandleEvents(PollMs) < 0) break;
    }
    // One still in flight cannot be freed while the kernel may read its bytes: it is left.
    if (write->completed) ftdi_transfer_data_cancel(write, nullptr);
}

int LibFtdiCalls::WaitForSamples(const PendingRead& read) {
    const auto wanted = static_cast<std::size_t>(read.size);
    std::uint32_t quietSince = clock_.GetTickCount();
    std::uint64_t received = samplesReceived_;
    while (streamFailure_.empty() && SamplesHeld() < wanted) {
        if (const int code = HandleEvents(PollMs); code < 0) {
            BreakStream(UsbFailure(code));
            break;
        }
        const std::uint32_t now = clock_.GetTickCount();
        if (samplesReceived_ != received) {
            received = samplesReceived_;
            quietSince = now;
        } else if (now - quietSince >= StallMs) {
            BreakStream(Tr("el adaptador no devuelve muestras desde hace 2 s"));
        }
    }
    if (!streamFailure_.empty()) return Fail(streamFailure_);
    const auto first = samples_.begin() + static_cast<std::ptrdiff_t>(samplesHead_);
    std::copy_n(first, wanted, read.data);
    samplesHead_ += wanted;
    // The reads lag the stream, so the store is rarely empty: the read part is dropped once it
    // is the larger half, which keeps the copying to a few times the samples.
    if (samplesHead_ == samples_.size()) {
        samples_.clear();
        samplesHead_ = 0;
    } else if (samplesHead_ > samples_.size() / 2) {
        samples_.erase(samples_.begin(), samples_.begin() + static_cast<std::ptrdiff_t>(samplesHead_));
        samplesHead_ = 0;
    }
    return read.size;
}

int LibFtdiCalls::StartStream() {
    // libftdi names the endpoints from the chip's side: out_ep is the one it reads from.
    const int packetSize = static_cast<int>(context_->max_packet_size);
    if (packetSize <= StatusBytesPerPacket)
        return Fail(shell::Fill(Tr("transferencia USB fallida: %1"), {"max_packet_size"}));
    const int length = packetSize * PacketsPerSampleTransfer;
    stoppingStream_ = false;
    for (int i = 0; i < SampleTransfers; ++i) {
        libusb_transfer* transfer = libusb_alloc_transfer(0);
        auto* buffer = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(length)));
        if (!transfer || !buffer) {
            libusb_free_transfer(transfer);
            std::free(buffer);
            StopStream();
            return Fail(UsbFailure(LIBUSB_ERROR_NO_MEM));
        }
        // No timeout: a transfer waits for samples as long as the stream lasts, and the waits
        // above tell an adapter that stopped answering.
        libusb_fill_bulk_transfer(transfer, context_->usb_dev, static_cast<unsigned char>(context_->out_ep), buffer,
                                  length, &SamplesArrived, this, 0);
        transfer->flags = LIBUSB_TRANSFER_FREE_BUFFER;
        sampleTransfers_.push_back(transfer);
        if (const int code = libusb_submit_transfer(transfer); code < 0) {
            StopStream();
            return Fail(UsbFailure(code));
        }
        ++sampleTransfersInFlight_;
    }
    return 0;
}

void LibFtdiCalls::StopStream() {
    if (sampleTransfers_.empty()) return;
    stoppingStream_ = true;
    for (libusb_transfer* transfer : sampleTransfers_) libusb_cancel_transfer(transfer);
    const std::uint32_t start = clock_.GetTickCount();
    while (sampleTransfersInFlight_ > 0 && clock_.GetTickCount() - start < StallMs)
        if (HandleEvents(PollMs) < 0) break;
    // A transfer still in flight cannot be freed while the kernel may fill its buffer: they are
    // all left then, and the callback ignores what is no longer in the list.
    if (sampleTransfersInFlight_ == 0)
        for (libusb_transfer* transfer : sampleTransfers_) libusb_free_transfer(transfer);
    sampleTransfers_.clear();
    sampleTransfersInFlight_ = 0;
    stoppingStream_ = false;
}

// The packets of one transfer lie end to end, each opening with the status bytes; only the last
// may be short.
void LibFtdiCalls::KeepSamples(const std::uint8_t* packets, int length) {
    const int packetSize = static_cast<int>(context_->max_packet_size);
    for (int start = 0; start < length; start += packetSize) {
        const int end = std::min(start + packetSize, length);
        if (end - start <= StatusBytesPerPacket) continue;
        samples_.insert(samples_.end(), packets + start + StatusBytesPerPacket, packets + end);
        samplesReceived_ += static_cast<std::uint64_t>(end - start - StatusBytesPerPacket);
    }
}

void LibFtdiCalls::SamplesArrived(libusb_transfer* transfer) {
    auto& calls = *static_cast<LibFtdiCalls*>(transfer->user_data);
    const auto& transfers = calls.sampleTransfers_;
    if (std::find(transfers.begin(), transfers.end(), transfer) == transfers.end()) return;
    if (transfer->status == LIBUSB_TRANSFER_COMPLETED) {
        if (!calls.stoppingStream_) {
            calls.KeepSamples(transfer->buffer, transfer->actual_length);
            const int code = libusb_submit_transfer(transfer);
            if (code == 0) return;
            calls.BreakStream(UsbFailure(code));
        }
    } else if (transfer->status != LIBUSB_TRANSFER_CANCELLED) {
        calls.BreakStream(TransferFailure(transfer->status));
    }
    --calls.sampleTransfersInFlight_;
}

}  // namespace tarpel::port
