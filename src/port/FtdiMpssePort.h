// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The H-series FTDI adapters (FT232H, FT2232H, FT4232H) as the board's port, through their
// MPSSE: the board's lines are general-purpose pins of the engine's low byte, set by one
// command each, and the time each pin state stands is counted by the engine's own clock, in
// commands that clock TCK without data. Unlike synchronous bit-bang, where the pin clock is
// whatever the chip makes of a baud rate, that clock is exactly the 60 MHz master clock over
// a divisor, so every hold lasts what it is asked to.
//
// The commands are queued and go out in blocks, several in flight, as FtdiPort's pin bytes do;
// a read is one read-pins command whose answer comes back with its block, and a round trip is
// paid only where an answer's value is needed before anything more can be written.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "port/FtdiCalls.h"
#include "port/Port.h"

namespace tarpel::port {

// What the port needs to know of each H-series chip.
struct MpsseChipFacts {
    const char* name;
    std::size_t answerFifo;  // the chip's buffer towards the PC, for one channel
};
MpsseChipFacts MpsseFactsOf(FtdiChip chip);

class FtdiMpssePort final : public Port {
public:
    // Brings the engine of an adapter already opened through `calls` up cleanly (see the .cpp).
    // On failure closes it and returns null and a message that names the cause and the fix.
    static std::unique_ptr<FtdiMpssePort> Start(std::unique_ptr<FtdiCalls> calls, FtdiAdapter adapter,
                                                const std::string& serial, std::string& errorMessage);
    // Leaves every pin low and driven, and lets the adapter go.
    ~FtdiMpssePort() override;
    FtdiMpssePort(const FtdiMpssePort&) = delete;
    FtdiMpssePort& operator=(const FtdiMpssePort&) = delete;

    void DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) override;
    std::uint8_t DlPortReadPortUchar(std::uint16_t port) override;
    std::string Failure() const override { return failure_.empty() ? calls_->BoardFailure() : failure_; }
    void ClearFailure() override {
        failure_.clear();
        calls_->ClearBoardFailure();
    }

    Sample RequestSample() override;
    std::uint8_t StatusOf(Sample sample) override;
    bool SampleReady(Sample sample) const override { return sample < collected_; }
    void DropSample(Sample sample) override;
    void Flush() override;
    bool HoldLines(std::uint64_t nanoseconds) override;

    // "FT232H FT6ZK3QN", for the status bar and board check.
    std::string Name() const;

private:
    // A block of commands on its way and the read of the answers its read commands give.
    struct Block {
        std::vector<std::uint8_t> bytes;
        std::vector<std::uint8_t> answers;
        Sample first = 0;  // the number of its first answer
        int write = -1;
        int read = -1;
    };

    FtdiMpssePort(std::unique_ptr<FtdiCalls> calls, FtdiAdapter adapter);
    void RecordFailure();
    // Queues commands that clock TCK `cycles` times without data: the engine's way to wait.
    void QueueWait(std::uint64_t cycles);
    // Submits the queue when it makes a whole block, or all of it.
    void Send(bool all);
    void Collect();
    // Whether answers are queued or in flight.
    bool AnswersOutstanding() const { return collected_ < sent_ + queuedAnswers_; }

    std::unique_ptr<FtdiCalls> calls_;
    FtdiAdapter adapter_;
    MpsseChipFacts facts_;
    std::uint8_t pins_ = 0;
    bool heldSinceLastByte_ = false;
    std::vector<std::uint8_t> queue_;  // commands not yet sent
    std::size_t queuedAnswers_ = 0;    // read commands among them
    Sample sent_ = 0;                  // answers asked for by the commands sent so far
    Sample collected_ = 0;             // answers back
    std::size_t answersInFlight_ = 0;
    std::deque<Block> inFlight_;
    std::vector<Sample> wanted_;              // requested answers not yet back, in order
    std::map<Sample, std::uint8_t> samples_;  // pins read and not yet taken
    std::string failure_;
};

}  // namespace tarpel::port
