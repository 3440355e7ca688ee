// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A simulated H-series FTDI adapter (an FT232H) in MPSSE mode, between the FTDI port and the
// simulated board: it stands in for libftdi1 (the seam FtdiCalls) and runs the command bytes the
// port writes, as FTDI's command processor does, in virtual time. The engine's own clock (TCK)
// is exact; how long it takes to decode a command is not documented, so that is a parameter.
// The low byte's pins reach the board through the H-series cable; only a pin read command
// samples the board's return lines. It knows no other bit mode than the MPSSE and its reset.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "port/FtdiCalls.h"
#include "port/Port.h"
#include "sim/RealTimePacer.h"
#include "sim/VirtualTime.h"

namespace tarpel::sim {

class SimulatedMpsseAdapter final : public port::FtdiCalls {
public:
    // `board` is what the pins are wired to (the simulated board, perhaps inside the line trace);
    // its accesses should cost nothing, as the adapter counts the time. `clockFactor` speeds up
    // (above 1) or slows down the command decoding, never the TCK; `commandCyclesPerByte` is
    // that decoding's cost at factor 1, in cycles of the 60 MHz master clock per command byte.
    SimulatedMpsseAdapter(std::unique_ptr<port::Port> board, VirtualTime& time, RealTimePacer* pacer = nullptr,
                          double clockFactor = 1.0, unsigned commandCyclesPerByte = DefaultCommandCyclesPerByte);

    static constexpr unsigned DefaultCommandCyclesPerByte = 3;  // 50 ns a byte

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

    // The opcodes the engine answered as bad commands, in order, for a test to see.
    const std::vector<std::uint8_t>& BadCommands() const { return badCommands_; }
    bool InMpsse() const { return mpsse_; }
    // The engine stopped for good: it waits for a TCK echo the cable never returns.
    bool Stalled() const { return stalled_; }

private:
    // Engine time counts in thirds of a nanosecond, in which both the 60 MHz master clock
    // (50) and its fifth (250) are whole.
    using Units = std::uint64_t;
    static constexpr Units UnitsPerNs = 3;

    struct SentAnswer {
        std::uint8_t byte;
        Units atPc;  // when it reached the PC
    };
    struct Read {
        std::uint8_t* data;
        std::size_t size;
        std::uint64_t first;  // the number of its first answer byte
    };

    void SyncHost();
    void HostWaitsUntil(std::uint64_t ns);
    int Control();
    int Fail(const char* why);
    void ResetEngine();

    // The shared clock follows the engine, so the board sees its pins change when they do.
    void ReachEngineTime();
    void DriveBoard();
    // One whole command, its first byte the opcode; the engine starts it at `start`.
    void Execute(const std::vector<std::uint8_t>& command, Units start);
    void ClockOnly(std::uint64_t cycles);
    void Answer(std::uint8_t byte);
    // Sends the answers not yet sent, as one packet leaving at `at`.
    void SendPending(Units at);
    void SendIfLatencyRanOut(Units now);

    std::unique_ptr<port::Port> board_;
    VirtualTime& time_;
    RealTimePacer* pacer_;
    Units commandUnitsPerByte_;
    Units latencyUnits_;
    bool open_ = false;
    bool mpsse_ = false;
    bool stalled_ = false;

    // The engine's settings.
    std::uint8_t lowValue_ = 0;
    std::uint8_t lowDirection_ = 0;
    std::uint16_t divisor_ = 0;
    bool divideBy5_ = true;
    bool threePhase_ = false;
    bool adaptive_ = false;
    bool loopback_ = false;

    std::uint64_t hostNs_ = 0;    // the PC's time
    Units engineUnits_ = 0;       // when the engine is done with all it has run
    Units arrivedUnits_ = 0;      // when the last byte written reached the chip
    std::vector<std::uint8_t> command_;    // a command whose bytes have not all arrived
    std::deque<Units> recentStarts_;       // when the engine took each of the last bytes
    std::vector<std::uint8_t> pending_;    // answers not yet sent to the PC
    Units pendingSince_ = 0;
    std::deque<Units> inFlight_;           // when each sent answer leaves the chip's buffer
    std::deque<SentAnswer> answers_;           // sent, not yet read by the PC
    std::uint64_t answersBase_ = 0;        // the number of answers_.front()
    std::uint64_t readCursor_ = 0;
    int nextTransfer_ = 0;
    std::map<int, std::pair<std::uint64_t, int>> writes_;  // its end of arrival in ns, its size
    std::map<int, Read> reads_;
    std::vector<std::uint8_t> badCommands_;
    std::string error_;
};

}  // namespace tarpel::sim
