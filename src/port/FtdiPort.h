// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The FTDI USB adapter as the board's port: synchronous bit-bang over the seam FtdiCalls, with
// the cable of FtdiPinMap.h. Writes are queued and go out in blocks; in synchronous bit-bang
// the adapter samples its pins at every byte it clocks out, so a read is one more byte (a
// repeat of the current pins) whose sample comes back with the block. Blocks stream: several
// are in flight at once, each with the read of its samples, so the pins keep clocking while the
// PC queues the next one, and a USB round trip is paid only where a sample's value is needed
// before anything more can be written. Taking such a value sends whatever is queued before it;
// so does Flush(), which the clock asks for before every wait on the PC's clock (the AVR's
// millisecond waits), so that queued line changes are on the pins before the time they must
// last starts; and so does a write of every line off, which ends each command. The I2C delay
// units are no waits on the PC's clock: HoldLines() turns each into repeats of the pins at the
// pin clock's ticks, as measured when the adapter opened.
//
// Deferred reads: RequestSample() marks where the pins are to be sampled and costs no round
// trip; StatusOf() gives the status byte when the caller needs it, waiting only for the blocks
// up to the sample's own. DlPortReadPortUchar is the two at once.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "port/Clock.h"
#include "port/FtdiCalls.h"
#include "port/Port.h"

namespace tarpel::port {

// What the port needs to know of each chip kind.
struct FtdiChipFacts {
    const char* name;
    int baudrate;            // asked of ftdi_set_baudrate: the pin clock, as libftdi counts it
    int holdBaudrate;        // the pin clock while lines are held (the I2C side): see FactsOf
    std::size_t blockBytes;  // bytes a transfer carries
    std::size_t blocksInFlight;
};
FtdiChipFacts FactsOf(FtdiChip chip);

// The shortest pin tick the port drives: one pin byte per XTAL1 edge keeps the AT90S parts
// within their 8 MHz.
inline constexpr double MinimumTickNs = 62.5;
// The holds are counted at the measured tick less this share of it: the measurement's two ends
// may each be off by a USB frame's millisecond over its 40 ms or more.
inline constexpr double TickMargin = 0.1;

class FtdiPort final : public Port {
public:
    // Opens the adapter through `calls`, times its pin clock on `clock` and brings its pins up
    // cleanly (see the .cpp). On failure returns null and a message that names the cause and the fix.
    static std::unique_ptr<FtdiPort> Open(std::unique_ptr<FtdiCalls> calls, const std::string& serial, Clock& clock,
                                          std::string& errorMessage);
    // The same, for an adapter already opened through `calls`.
    static std::unique_ptr<FtdiPort> Start(std::unique_ptr<FtdiCalls> calls, FtdiAdapter adapter,
                                           const std::string& serial, Clock& clock, std::string& errorMessage);
    // Leaves every pin off and driven low, and lets the adapter go.
    ~FtdiPort() override;
    FtdiPort(const FtdiPort&) = delete;
    FtdiPort& operator=(const FtdiPort&) = delete;

    void DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) override;
    std::uint8_t DlPortReadPortUchar(std::uint16_t port) override;
    std::string Failure() const override { return failure_.empty() ? calls_->BoardFailure() : failure_; }
    void ClearFailure() override {
        failure_.clear();
        calls_->ClearBoardFailure();
    }

    // Queues a sample of the pins as they stand after every write queued so far.
    Sample RequestSample() override;
    // The status byte of a requested sample; each sample can be taken once.
    std::uint8_t StatusOf(Sample sample) override;
    bool SampleReady(Sample sample) const override { return sample < collected_; }
    void DropSample(Sample sample) override;
    // Sends everything queued and waits for every sample.
    void Flush() override;
    // Queues repeats of the pins, one per tick of the pin clock, until they have stood this long
    // (the byte that set them counts, when nothing has been held since it was queued).
    bool HoldLines(std::uint64_t nanoseconds) override;

    const FtdiAdapter& Adapter() const { return adapter_; }
    // "FT232H FT6ZK3QN", for the status bar and board check.
    std::string Name() const;

private:
    // A block of pin bytes on its way and the read of its samples.
    struct Block {
        std::vector<std::uint8_t> bytes;
        std::vector<std::uint8_t> samples;
        Sample first = 0;
        int write = -1;
        int read = -1;
    };

    FtdiPort(std::unique_ptr<FtdiCalls> calls, FtdiAdapter adapter, double pinClockFactor);
    void RecordFailure();
    // Submits the queue's whole blocks, or all of it; keeps what is left for later.
    void Send(bool all);
    // Waits for the oldest block in flight and keeps its wanted samples.
    void Collect();
    // Changes the pin clock, with nothing in flight; a refusal is the port's failure.
    void UsePinClock(int baudrate);

    std::unique_ptr<FtdiCalls> calls_;
    FtdiAdapter adapter_;
    FtdiChipFacts facts_;
    int pinClock_;                            // the baudrate the adapter runs at
    double pinClockFactor_;                   // its real tick rate over pinClock_, as measured
    std::uint8_t pins_ = 0;                   // the pin byte last queued
    bool heldSinceLastByte_ = false;          // whether a hold has counted the last queued byte
    std::vector<std::uint8_t> queue_;         // bytes not yet sent
    Sample sent_ = 0;                         // bytes sent so far; the next queued byte's number
    Sample collected_ = 0;                    // bytes whose samples are back
    std::deque<Block> inFlight_;
    std::vector<Sample> wanted_;              // requested samples not yet back, in order
    std::map<Sample, std::uint8_t> samples_;  // sampled pins of requested samples not yet taken
    std::string failure_;
};

enum class FtdiStage { Open, Setup };

// The user's message for a failure to open or set up the adapter.
std::string FtdiErrorMessage(FtdiOpenError error, FtdiStage stage, const std::string& serial,
                             const std::string& detail);

}  // namespace tarpel::port
