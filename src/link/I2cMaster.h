// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The I2C bus master of the 24Cxx socket and the few 24Cxx transactions the chip commands use:
// page writes with retries and one sequential read of the whole chip. Built only on the line
// layer and the delay unit; it keeps no state of its own and knows nothing of files or grids.
// The image and its size are the caller's: every transaction takes them as arguments.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "link/BitTiming.h"
#include "link/BoardLines.h"

namespace tarpel::link {

// How a chip takes its word address. Two bytes, high byte first, after a 0xA0/0xA1 control
// byte: the 24C32 and larger, the 128 and 256 KiB ones with A16 (A17) in the control byte. One
// byte, with address bits A8..A10 carried in the control byte: the 24C01 up to the 24C16, whose
// page buffer holds 16 bytes at most. The default is the two-byte form with 32-byte pages.
struct EepromAddressing {
    int wordAddressBytes = 2;
    int pageSize = 32;
    // The control-byte bit that takes the lowest address bit above the word address bytes.
    int controlAddressBit = 1;
    // The bytes the chip's addresses reach: no page write runs past them.
    std::uint32_t addressSpace = 0x10000;
};

// Told after every byte of a whole-chip read: bytes read so far (the byte just read not counted)
// and the whole count. Answers true to go on, false to stop there.
using ReadProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

// What became of a whole-chip read. The chip either refused its addressing (nothing shown,
// nothing stored), or was read to the end, or the user cancelled part-way.
enum class ReadAllResult { NotAcknowledged, Complete, Cancelled };

inline constexpr int PageWriteAttempts = 26;
// Waited after every acknowledged page; the attempts that follow cover the rest of the chip's
// write cycle (5 ms at most), since a busy chip acknowledges nothing.
inline constexpr std::uint32_t WriteCycleWaitMs = 3;
// The fast timing waits for no fixed time after a page: it polls the chip (start and control
// byte) until it acknowledges, for at most this long. The datasheets' tWR is 5 ms at most (10 ms
// on some slower makes); a chip silent for ten times that is taken as gone.
inline constexpr std::uint32_t WriteCycleTimeoutMs = 50;

class I2cMaster {
public:
    I2cMaster(BoardLines& lines, BitTiming& timing) : lines_(lines), timing_(timing) {}

    // Every waveform routine takes SCL low before it moves SDA and ends with SCL high, so they
    // follow each other in any order without a spurious start or stop.
    void I2cStart();
    void I2cStop();
    void I2cWriteByte(std::uint8_t value);
    // The ninth clock after a written byte: true when the chip pulled SDA low.
    bool I2cReadAck();
    // Eight clocks in, most significant bit first, without an acknowledge.
    std::uint8_t I2cReadByte();
    // The ninth clock after a read byte with SDA held low.
    void MasterAck();
    // The ninth clock after the last byte read, with SDA released: the chip stops sending and
    // lets the stop that follows reach the bus.
    void MasterNack();

    // Powers the bus with SDA and SCL released and samples SDA, as a master does before a start:
    // true when it reads high. A line held low (a chip stuck mid-byte, a short on the board)
    // would pass for an acknowledge of every byte and for data bits of 0.
    bool BusFree();

    // Powers the chip and sets up a sequential read from address 0. On a missing acknowledge it
    // sends a stop and returns false, leaving the supply on for the caller to switch off.
    bool EepromReadBegin(const EepromAddressing& addressing = {});

    // Reads the whole chip, chip.size() bytes from address 0, into `chip`, asking `progress` after
    // every byte whether to go on. Every byte but the last (or the one after which the answer was
    // to stop) is acknowledged. Ends with a stop and every line off unless the addressing failed
    // (then the supply is still on, and `progress` was never asked).
    ReadAllResult EepromReadAll(std::span<std::uint8_t> chip, const ReadProgress& progress,
                                const EepromAddressing& addressing = {});
    // How many bytes the last EepromReadAll stored: all of them, fewer after a cancel.
    std::int64_t LastReadCount() const { return lastReadCount_; }

    // One page write of memoryImage[start .. start + pageSize - 1]; true when every byte was
    // acknowledged. A page that would run past the address space or the image sends no data byte at all.
    bool EepromWritePage(std::span<const std::uint8_t> memoryImage, std::uint32_t start,
                         const EepromAddressing& addressing = {});

    // Up to PageWriteAttempts page writes, back to back, until one is acknowledged; then the
    // write-cycle wait. False, without the wait, when every attempt failed. With the fast
    // timing each attempt first polls its control byte until the chip, done with an earlier
    // write cycle, acknowledges it (false when it stays silent for WriteCycleTimeoutMs), and no
    // wait follows: the next transaction's polling is the wait.
    bool ProgramPageWithRetry(std::span<const std::uint8_t> memoryImage, std::uint32_t start,
                              const EepromAddressing& addressing = {});

    // Acknowledge polling: start, control byte (write) and stop, repeated back to back up to
    // PageWriteAttempts times until the chip acknowledges, i.e. has finished its write cycle.
    // True when it did. Writes nothing to the chip. With the fast timing the polling lasts up to
    // WriteCycleTimeoutMs and the acknowledged poll goes on as a read of one byte.
    bool EepromWaitReady(const EepromAddressing& addressing = {});

    // Powers the chip, sends start, this control byte and stop; true when the chip acknowledged
    // it. Writes nothing: without a word address and a data byte no write cycle can start, as
    // the datasheets' acknowledge polling relies on.
    bool ControlByteAcknowledged(std::uint8_t controlByte);

    // A random read: a dummy write that only sets the word address (control byte and address
    // bytes, no data), a repeated start, then bytes.size() bytes read in sequence, the last one
    // not acknowledged, and a stop. False, after a stop, when an acknowledge was missing.
    // Writes nothing: a write cycle starts only at a stop that follows a data byte.
    bool EepromReadAt(std::uint32_t address, std::span<std::uint8_t> bytes, const EepromAddressing& addressing = {});

    // Busy-waits until the millisecond tick count has moved on by at least this much, counting
    // across its wrap at 2^32. Pumps no messages.
    void WaitMilliseconds(std::uint32_t milliseconds);

    const BitTiming& Timing() const { return timing_; }

private:
    using Samples = std::vector<port::Port::Sample>;
    // The ninth clock after a written byte, its SDA sample taken but not yet looked at.
    port::Port::Sample RequestAck();
    // An acknowledge whose sample the port already has is judged now, as it always was: false
    // when it is missing. One still queued (on the FTDI adapter) goes into `pending`, true.
    bool AckedSoFar(port::Port::Sample ack, Samples& pending);
    // Judges every pending acknowledge at once: true when all came. Empties `pending`.
    bool AllAcked(Samples& pending);
    // Eight clocks in, as I2cReadByte, the samples kept for ByteOf.
    std::array<port::Port::Sample, 8> RequestByte();
    std::uint8_t ByteOf(const std::array<port::Port::Sample, 8>& samples);

    // Start and this control byte, repeated (each refusal ended by a stop) until the chip
    // acknowledges, for at most WriteCycleTimeoutMs; true when it did, the transaction then
    // open for what follows the control byte.
    bool StartWhenReady(std::uint8_t controlByte);
    // The rest of a page write after its acknowledged control byte: address, data, stop.
    bool WritePageAfterControl(std::span<const std::uint8_t> memoryImage, std::uint32_t start,
                               const EepromAddressing& addressing);
    void Wait(int units);
    // Ends a transaction whose acknowledge was missing.
    bool Refused();

    BoardLines& lines_;
    BitTiming& timing_;
    std::int64_t lastReadCount_ = 0;
};

}  // namespace tarpel::link
