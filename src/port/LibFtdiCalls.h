// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The seam FtdiCalls on libftdi1 itself: the only file that includes its header. Writes are
// libftdi's own asynchronous transfers; the samples come back through bulk IN transfers of
// libusb kept submitted on the adapter's handle from the first read to the close, because
// libftdi's asynchronous read allows one at a time and asks nothing of the adapter between them.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "port/FtdiCalls.h"
#include "port/SteadyClock.h"

struct ftdi_context;
struct ftdi_transfer_control;
struct libusb_transfer;

namespace tarpel::port {

class LibFtdiCalls final : public FtdiCalls {
public:
    LibFtdiCalls();
    ~LibFtdiCalls() override;
    LibFtdiCalls(const LibFtdiCalls&) = delete;
    LibFtdiCalls& operator=(const LibFtdiCalls&) = delete;

    FtdiOpenError Open(const std::string& serial, FtdiAdapter& adapter, std::string& detail) override;
    int SetBitmode(std::uint8_t outputMask, std::uint8_t mode) override;
    int SetBaudrate(int baudrate) override;
    int SetLatencyTimer(std::uint8_t milliseconds) override;
    int Purge() override;
    int SubmitWrite(const std::uint8_t* data, int size) override;
    int SubmitRead(std::uint8_t* data, int size) override;
    int TransferDone(int transfer) override;
    void Close() override;
    std::string ErrorString() override;

private:
    struct PendingRead {
        int transfer;
        std::uint8_t* data;
        int size;
    };

    int NextTransfer();
    int LibraryResult(int code);
    int Fail(const std::string& text);
    void BreakStream(const std::string& text);
    int HandleEvents(int milliseconds);
    int WaitForWrite(ftdi_transfer_control* write);
    void AbandonWrite(ftdi_transfer_control* write);
    int WaitForSamples(const PendingRead& read);
    int StartStream();
    void StopStream();
    void KeepSamples(const std::uint8_t* packets, int length);
    std::size_t SamplesHeld() const { return samples_.size() - samplesHead_; }
    static void SamplesArrived(libusb_transfer* transfer);

    ftdi_context* context_;
    bool open_ = false;
    SteadyClock clock_;
    int nextTransfer_ = 0;
    std::map<int, ftdi_transfer_control*> writes_;  // by transfer number; null for an empty write
    std::deque<PendingRead> reads_;                 // in the order they were submitted
    std::vector<libusb_transfer*> sampleTransfers_;
    int sampleTransfersInFlight_ = 0;
    bool stoppingStream_ = false;
    std::vector<std::uint8_t> samples_;  // received and not yet read, from samplesHead_ on
    std::size_t samplesHead_ = 0;
    std::uint64_t samplesReceived_ = 0;  // ever, so that a wait sees whether any arrived
    std::string streamFailure_;          // once set, every later read fails with it
    std::string failure_;                // this layer's words for its last failure, else libftdi's
};

}  // namespace tarpel::port
