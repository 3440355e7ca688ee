#pragma once
// A simulated FTDI adapter between the FTDI port and the simulated board: it stands in for
// libftdi1 (the seam FtdiCalls), so the port's own code runs unchanged, and it costs what the
// adapter costs, in virtual time: the USB transfers with their round trip (1 ms frames at full
// speed for the FT232R, 125 us microframes at high speed for the FT232H), and one pin-clock tick
// per byte, at which the pins are sampled and then take the byte. Its buffers are the chip's:
// a write that would overfill them fails, as a real write times out.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "hw/FtdiCalls.h"
#include "hw/Port.h"
#include "sim/RealTimePacer.h"
#include "sim/VirtualTime.h"

namespace tarpel::sim {

struct SimulatedAdapterModel {
    hw::FtdiChip chip;
    const char* serial;
    std::uint64_t roundTripNs;      // one USB transfer each way, waiting for the next (micro)frame
    std::uint64_t transferNsPerByte;  // bus time of a byte at the USB speed
    std::size_t towardsChipBytes;   // the chip's buffers, from FTDI's datasheets
    std::size_t towardsPcBytes;
};

inline constexpr SimulatedAdapterModel Ft232rModel{hw::FtdiChip::Ft232R, "SIM232R", 1'000'000, 1'000, 128, 256};
inline constexpr SimulatedAdapterModel Ft232hModel{hw::FtdiChip::Ft232H, "SIM232H", 125'000, 25, 1024, 1024};

class SimulatedFtdiAdapter final : public hw::FtdiCalls {
public:
    using StatusPeek = std::function<std::uint8_t()>;

    // `board` is what the pins are wired to (the simulated board, perhaps inside the line
    // trace); its accesses should cost nothing, as the adapter counts the time. The samples the
    // port marks as wanted are status reads of the board, the others are only looked at
    // through `peek`, so that the chips' checks of a read's timing see the program's reads alone.
    SimulatedFtdiAdapter(const SimulatedAdapterModel& model, std::unique_ptr<hw::Port> board, StatusPeek peek,
                         VirtualTime& time, RealTimePacer* pacer = nullptr);

    hw::FtdiOpenError Open(const std::string& serial, hw::FtdiAdapter& adapter, std::string& detail) override;
    int SetBitmode(std::uint8_t outputMask, std::uint8_t mode) override;
    int SetBaudrate(int baudrate) override;
    int SetLatencyTimer(std::uint8_t milliseconds) override;
    int Purge() override;
    int WriteData(const std::uint8_t* data, int size) override;
    int ReadData(std::uint8_t* data, int size) override;
    void Close() override { open_ = false; }
    std::string ErrorString() override { return error_; }

    // The output latch an earlier program left behind: all high, which a clean start must
    // never let reach the board.
    std::uint8_t Latch() const { return latch_; }
    std::uint8_t OutputMask() const { return outputMask_; }
    bool IsOpen() const { return open_; }

private:
    void Spend(std::uint64_t ns);
    void DriveBoard();
    int Fail(const char* why);

    SimulatedAdapterModel model_;
    std::unique_ptr<hw::Port> board_;
    StatusPeek peek_;
    VirtualTime& time_;
    RealTimePacer* pacer_;
    bool open_ = false;
    bool syncBitbang_ = false;
    std::uint8_t outputMask_ = 0;
    std::uint8_t latch_ = 0xFF;
    std::uint64_t tickNs_ = 1'000;
    std::uint64_t latencyNs_ = 16'000'000;  // the chip's default latency timer
    std::string pending_;                    // samples not yet read by the PC
    std::string error_;
};

}  // namespace tarpel::sim
