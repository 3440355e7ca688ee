// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A simulated FTDI adapter between the FTDI port and the simulated board: it stands in for
// libftdi1 (the seam FtdiCalls), so the port's own code runs unchanged, and it costs what the
// adapter costs, in virtual time, as FTDI's datasheets and application notes describe it. A
// write waits half a USB round trip for its (micro)frame; the bus then carries its bytes to the
// chip's buffer towards the pins, a byte only when that buffer has room. In synchronous bit-bang
// (AN232R-01) the chip clocks a byte at each tick of its pin clock while that buffer has data
// and its buffer towards the PC has room: it samples the pins, then puts the byte on them. The
// samples go back in packets of the bus's size, two status bytes first, each sent once it is
// full or once the latency timer has run out on it; the clock stops while the buffer towards
// the PC is full. One bus carries both ways in turn. The PC itself is quick: it waits only for
// what it asks to wait for, so the pins run ahead of it while blocks are in flight.
//
// How fast the pins tick against the rate asked of libftdi is not settled by FTDI's documents
// (libftdi's four times the rate, measured up to twenty times on the H series): the factor is a
// setting of the simulation, so that the port must cope with any of them.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "port/FtdiCalls.h"
#include "port/Port.h"
#include "sim/RealTimePacer.h"
#include "sim/VirtualTime.h"

namespace tarpel::sim {

struct SimulatedAdapterModel {
    port::FtdiChip chip;
    const char* serial;
    std::uint64_t roundTripNs;      // a transfer each way, each waiting for the next (micro)frame
    std::uint64_t busNsPerByte;     // the bus's time for a byte, either way, both ways in turn
    std::size_t towardsPinsBytes;   // the chip's buffers, from FTDI's datasheets
    std::size_t towardsPcBytes;
    std::size_t packetBytes;        // a bulk packet back, its two status bytes included
};

// DS_FT232R: full speed, 256 bytes towards the pins and 128 towards the PC, 64-byte packets;
// FTDI quotes about 1 MB/s of real throughput at full speed, both ways together. DS_FT232H: high
// speed, 1 KiB each way, 512-byte packets, some 40 MB/s.
inline constexpr SimulatedAdapterModel Ft232rModel{port::FtdiChip::Ft232R, "SIM232R", 1'000'000, 1'000, 256, 128, 64};
inline constexpr SimulatedAdapterModel Ft232hModel{port::FtdiChip::Ft232H, "SIM232H", 125'000, 25, 1024, 1024, 512};

// The pin clock factors the simulation takes: the range FTDI's documents and users' measurements
// span, from half the rate asked of libftdi to twenty times it.
inline constexpr double SlowestSimPinClock = 0.5;
inline constexpr double FastestSimPinClock = 20;

class SimulatedFtdiAdapter final : public port::FtdiCalls {
public:
    using StatusPeek = std::function<std::uint8_t()>;

    // `board` is what the pins are wired to (the simulated board, perhaps inside the line
    // trace); its accesses should cost nothing, as the adapter counts the time. The samples the
    // port marks as wanted are status reads of the board, the others are only looked at
    // through `peek`, so that the chips' checks of a read's timing see the program's reads alone.
    SimulatedFtdiAdapter(const SimulatedAdapterModel& model, std::unique_ptr<port::Port> board, StatusPeek peek,
                         VirtualTime& time, RealTimePacer* pacer = nullptr);

    port::FtdiOpenError Open(const std::string& serial, port::FtdiAdapter& adapter, std::string& detail) override;
    int SetBitmode(std::uint8_t outputMask, std::uint8_t mode) override;
    int SetBaudrate(int baudrate) override;
    int SetLatencyTimer(std::uint8_t milliseconds) override;
    int Purge() override;
    int SubmitWrite(const std::uint8_t* data, int size) override;
    int SubmitRead(std::uint8_t* data, int size) override;
    int TransferDone(int transfer) override;
    void Close() override { open_ = false; }
    std::string ErrorString() override { return error_; }
    // The board's own failure (a chip that cannot be saved) passes through the adapter.
    std::string BoardFailure() const override { return board_->Failure(); }
    void ClearBoardFailure() override { board_->ClearFailure(); }

    // The output latch an earlier program left behind: all high, which a clean start must
    // never let reach the board.
    std::uint8_t Latch() const { return latch_; }
    std::uint8_t OutputMask() const { return outputMask_; }
    // How fast the pins tick against the rate asked of libftdi (1: exactly at it).
    void SetPinClockFactor(double factor) { pinClockFactor_ = factor; }
    bool IsOpen() const { return open_; }

private:
    struct Read {
        std::uint8_t* data;
        std::size_t size;
        std::uint64_t first;  // the number of its first sample
    };
    struct Sampled {
        std::uint8_t pins;
        std::uint64_t tickNs;
        std::uint64_t backNs;  // when its packet reached the PC; 0 while the packet is open
    };

    // The PC's time catches up with a wait or a time reading it made on the shared clock.
    void SyncHost();
    // The PC waits until `ns`; the shared clock follows once the pins have no earlier tick to make.
    void HostWaitsUntil(std::uint64_t ns);
    // A control transfer: a round trip with nothing in flight.
    int Control();
    void ClockByte(std::uint8_t byte, std::uint64_t tickNs);
    void DriveBoard();
    int Fail(const char* why);
    // The open packet of samples goes to the PC, closed at `closeNs`.
    void SendPacket(std::uint64_t closeNs);
    // The bus's next free moment at or after `ns`, taken for `bytes` bytes: when they are over.
    std::uint64_t TakeBus(std::uint64_t ns, std::size_t bytes);

    SimulatedAdapterModel model_;
    std::unique_ptr<port::Port> board_;
    StatusPeek peek_;
    VirtualTime& time_;
    RealTimePacer* pacer_;
    bool open_ = false;
    bool syncBitbang_ = false;
    std::uint8_t outputMask_ = 0;
    std::uint8_t latch_ = 0xFF;
    double pinClockFactor_ = 1;
    std::uint64_t tickNs_ = 1'000;
    std::uint64_t latencyNs_ = 16'000'000;  // the chip's default latency timer
    std::uint64_t hostNs_ = 0;       // the PC's time
    std::uint64_t pinsNs_ = 0;       // the last tick
    std::uint64_t arrivedNs_ = 0;    // when the last byte written reached the chip
    std::uint64_t busFreeNs_ = 0;    // when the bus is next free
    std::deque<std::uint64_t> recentTicks_;  // ticks of the bytes that last left the buffer towards the pins
    std::deque<Sampled> samples_;    // not yet read by the PC
    std::uint64_t samplesBase_ = 0;  // the number of samples_.front()
    std::size_t openPacket_ = 0;     // samples at the end of samples_ in the packet not yet sent
    std::deque<std::uint64_t> recentBacks_;  // when the last samples sent left the buffer towards the PC
    std::uint64_t readCursor_ = 0;   // the first sample of the next read
    int nextTransfer_ = 0;
    std::map<int, std::pair<std::uint64_t, int>> writes_;  // its end of arrival, its size
    std::map<int, Read> reads_;
    std::string error_;
};

}  // namespace tarpel::sim
