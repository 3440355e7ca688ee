#include "sim/SimulatedFtdiAdapter.h"

#include <algorithm>

#include "hw/FtdiPinMap.h"

namespace tarpel::sim {

SimulatedFtdiAdapter::SimulatedFtdiAdapter(const SimulatedAdapterModel& model, std::unique_ptr<hw::Port> board,
                                           StatusPeek peek, VirtualTime& time, RealTimePacer* pacer)
    : model_(model), board_(std::move(board)), peek_(std::move(peek)), time_(time), pacer_(pacer) {}

void SimulatedFtdiAdapter::Spend(std::uint64_t ns) {
    time_.Advance(ns);
    if (pacer_) pacer_->Pace();
}

int SimulatedFtdiAdapter::Fail(const char* why) {
    error_ = why;
    return -1;
}

// The board sees the latch on the output pins only; an input pin drives nothing (the board's
// lines read low then).
void SimulatedFtdiAdapter::DriveBoard() {
    const auto driven = static_cast<std::uint8_t>(latch_ & (syncBitbang_ ? outputMask_ : 0));
    board_->DlPortWritePortUchar(hw::DataPort, hw::ftdi::DataForPins(driven));
}

hw::FtdiOpenError SimulatedFtdiAdapter::Open(const std::string& serial, hw::FtdiAdapter& adapter,
                                             std::string& detail) {
    if (!serial.empty() && serial != model_.serial) {
        detail = "device not found";
        return hw::FtdiOpenError::NotFound;
    }
    open_ = true;
    adapter.chip = model_.chip;
    adapter.serial = model_.serial;
    return hw::FtdiOpenError::None;
}

int SimulatedFtdiAdapter::SetBitmode(std::uint8_t outputMask, std::uint8_t mode) {
    if (!open_) return Fail("USB device unavailable");
    Spend(model_.roundTripNs);  // a control transfer
    syncBitbang_ = mode == hw::FtdiBitmodeSyncBitbang;
    outputMask_ = outputMask;
    DriveBoard();
    return 0;
}

int SimulatedFtdiAdapter::SetBaudrate(int baudrate) {
    if (!open_) return Fail("USB device unavailable");
    if (baudrate <= 0) return Fail("Silly baudrate <= 0.");
    Spend(model_.roundTripNs);
    tickNs_ = std::max<std::uint64_t>(1, 1'000'000'000ull / static_cast<std::uint64_t>(baudrate));
    return 0;
}

int SimulatedFtdiAdapter::SetLatencyTimer(std::uint8_t milliseconds) {
    if (!open_) return Fail("USB device unavailable");
    if (milliseconds < 1) return Fail("latency out of range. Only valid for 1-255");
    Spend(model_.roundTripNs);
    latencyNs_ = std::uint64_t{milliseconds} * 1'000'000;
    return 0;
}

int SimulatedFtdiAdapter::Purge() {
    if (!open_) return Fail("USB device unavailable");
    Spend(model_.roundTripNs);
    pending_.clear();
    return 0;
}

int SimulatedFtdiAdapter::WriteData(const std::uint8_t* data, int size) {
    if (!open_) return Fail("USB device unavailable");
    if (!syncBitbang_) return Fail("the simulated adapter only knows synchronous bit-bang");
    // The chip clocks a byte out only while its buffer towards the PC has room for the sample;
    // more than both buffers hold stalls it, and the host's write times out.
    const auto count = static_cast<std::size_t>(size);
    if (pending_.size() + count > model_.towardsPcBytes + model_.towardsChipBytes)
        return Fail("usb bulk write failed: timeout (the adapter's buffers are full)");
    Spend(model_.roundTripNs / 2 + count * model_.transferNsPerByte);
    for (std::size_t i = 0; i < count; ++i) {
        // At each tick the pins are sampled, then take the next byte.
        Spend(tickNs_);
        const bool wanted = (data[i] & hw::ftdi::SampleMark) != 0;
        const std::uint8_t status = wanted ? board_->DlPortReadPortUchar(hw::StatusPort) : peek_();
        const std::uint8_t inputs = hw::ftdi::PinsForStatus(status);
        const auto outputs = static_cast<std::uint8_t>(latch_ & outputMask_);
        pending_.push_back(static_cast<char>((inputs & ~outputMask_) | outputs));
        latch_ = data[i];
        DriveBoard();
    }
    return size;
}

int SimulatedFtdiAdapter::ReadData(std::uint8_t* data, int size) {
    if (!open_) return Fail("USB device unavailable");
    const std::size_t count = std::min(pending_.size(), static_cast<std::size_t>(size));
    // A short or empty answer waits for the latency timer; a full one goes with the next frame.
    Spend(count == static_cast<std::size_t>(size) ? model_.roundTripNs / 2 : latencyNs_);
    Spend(count * model_.transferNsPerByte);
    std::copy_n(pending_.begin(), count, data);
    pending_.erase(0, count);
    return static_cast<int>(count);
}

}  // namespace tarpel::sim
