// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A simulated FTDI adapter between the FTDI port and the simulated board: it stands in for
// libftdi1 (the seam FtdiCalls), so the port's own code runs unchanged, and it costs what the
// adapter costs, in virtual time. A transfer waits half a USB round trip for its (micro)frame
// (1 ms frames at full speed for the FT232R, 125 us microframes at high speed for the FT232H);
// the bus then carries each pin byte out and its sample back at the USB speed, one transfer after
// another; the adapter clocks a byte at each tick of its pin clock once the byte has arrived
// (samples the pins, then puts the byte on them), and a byte arrives only when the chip's buffer
// towards the pins has room. The samples reach the PC half a round trip after their tick. The PC
// itself is quick: it waits only for what it asks to wait for, so the pins run ahead of it while
// blocks are in flight. Reads keep the buffer towards the PC draining, as the real layer does.
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
    std::uint64_t busNsPerPinByte;  // bus time of a byte out and of its sample back
    std::size_t towardsChipBytes;   // the chip's buffer towards the pins, from FTDI's datasheets
};

// Full speed: at most 19 bulk packets of 64 bytes in a 1 ms frame, both ways together (822 ns a
// byte), and each packet back carries 62 samples after two status bytes (849 ns a sample). High
// speed: 13 packets of 512 bytes in a 125 us microframe (18.8 ns a byte; 510 samples a packet).
inline constexpr SimulatedAdapterModel Ft232rModel{port::FtdiChip::Ft232R, "SIM232R", 1'000'000, 1'671, 128};
inline constexpr SimulatedAdapterModel Ft232hModel{port::FtdiChip::Ft232H, "SIM232H", 125'000, 38, 1024};

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
    bool IsOpen() const { return open_; }

private:
    struct Read {
        std::uint8_t* data;
        std::size_t size;
        std::uint64_t first;  // the number of its first sample
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

    SimulatedAdapterModel model_;
    std::unique_ptr<port::Port> board_;
    StatusPeek peek_;
    VirtualTime& time_;
    RealTimePacer* pacer_;
    bool open_ = false;
    bool syncBitbang_ = false;
    std::uint8_t outputMask_ = 0;
    std::uint8_t latch_ = 0xFF;
    std::uint64_t tickNs_ = 1'000;
    std::uint64_t hostNs_ = 0;       // the PC's time
    std::uint64_t pinsNs_ = 0;       // the last tick
    std::uint64_t arrivedNs_ = 0;    // when the last byte written reached the chip
    std::deque<std::uint64_t> recentTicks_;  // ticks of the bytes that last left the chip's buffer
    struct Sampled {
        std::uint8_t pins;
        std::uint64_t tickNs;
    };
    std::deque<Sampled> samples_;    // not yet read by the PC
    std::uint64_t samplesBase_ = 0;  // the number of samples_.front()
    std::uint64_t readCursor_ = 0;   // the first sample of the next read
    int nextTransfer_ = 0;
    std::map<int, std::pair<std::uint64_t, int>> writes_;  // its end of arrival, its size
    std::map<int, Read> reads_;
    std::string error_;
};

}  // namespace tarpel::sim
