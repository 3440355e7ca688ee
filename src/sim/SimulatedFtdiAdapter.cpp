// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/SimulatedFtdiAdapter.h"

#include <algorithm>
#include <cmath>

#include "sim/FtdiCable.h"

namespace tarpel::sim {

SimulatedFtdiAdapter::SimulatedFtdiAdapter(const SimulatedAdapterModel& model, std::unique_ptr<port::Port> board,
                                           StatusPeek peek, VirtualTime& time, RealTimePacer* pacer)
    : model_(model), board_(std::move(board)), peek_(std::move(peek)), time_(time), pacer_(pacer) {
    hostNs_ = pinsNs_ = arrivedNs_ = busFreeNs_ = time_.NowNs();
}

int SimulatedFtdiAdapter::Fail(const char* why) {
    error_ = why;
    return -1;
}

// The shared clock runs ahead of the PC only by the ticks the pins have made; anything beyond
// is the PC's own waiting (it reads the time only with nothing in flight).
void SimulatedFtdiAdapter::SyncHost() {
    const std::uint64_t now = time_.NowNs();
    if (now > std::max(hostNs_, pinsNs_)) hostNs_ = now;
}

void SimulatedFtdiAdapter::HostWaitsUntil(std::uint64_t ns) {
    hostNs_ = std::max(hostNs_, ns);
    const std::uint64_t now = time_.NowNs();
    if (hostNs_ > now) {
        time_.Advance(hostNs_ - now);
        if (pacer_) pacer_->Pace();
    }
}

int SimulatedFtdiAdapter::Control() {
    if (!open_) return Fail("USB device unavailable");
    SyncHost();
    HostWaitsUntil(hostNs_ + model_.roundTripNs);
    return 0;
}

// The board sees the latch on the output pins only; an input pin drives nothing (the board's
// lines read low then).
void SimulatedFtdiAdapter::DriveBoard() {
    const auto driven = static_cast<std::uint8_t>(latch_ & (syncBitbang_ ? outputMask_ : 0));
    board_->DlPortWritePortUchar(port::DataPort, cable::BitBang.BoardDataFor(driven));
}

port::FtdiOpenError SimulatedFtdiAdapter::Open(const std::string& serial, port::FtdiAdapter& adapter,
                                             std::string& detail) {
    if (!serial.empty() && serial != model_.serial) {
        detail = "device not found";
        return port::FtdiOpenError::NotFound;
    }
    open_ = true;
    adapter.chip = model_.chip;
    adapter.serial = model_.serial;
    return port::FtdiOpenError::None;
}

int SimulatedFtdiAdapter::SetBitmode(std::uint8_t outputMask, std::uint8_t mode) {
    if (Control() < 0) return -1;
    syncBitbang_ = mode == port::FtdiBitmodeSyncBitbang;
    outputMask_ = outputMask;
    DriveBoard();
    return 0;
}

namespace {

// The rate the chip can give nearest to `wanted`: its base rate (3 MBd on the FT232R, 12 MBd on
// the high-speed chips) over a divisor of 1, 1.5, or 2 and more in eighths. 0 when none.
double NearestRate(port::FtdiChip chip, double wanted) {
    const double base = chip == port::FtdiChip::Ft232R ? 3e6 : 12e6;
    if (wanted >= base) return base;
    if (wanted >= base / 1.5) return base / 1.5;
    if (wanted >= base / 2) return base / 2;
    const double eighths = std::min(std::round(base * 8 / wanted), 16384.0 * 8 + 7);
    return base * 8 / eighths;
}

}  // namespace

// As libftdi does it: in bit-bang mode the chip is asked for four times the rate, and a rate the
// chip cannot give within 5 % is refused. The pins then tick at the simulation's factor times
// the rate asked.
int SimulatedFtdiAdapter::SetBaudrate(int baudrate) {
    if (baudrate <= 0) return Fail("Silly baudrate <= 0.");
    const double wanted = 4.0 * baudrate;
    const double actual = NearestRate(model_.chip, wanted);
    if (actual <= 0 || std::abs(actual - wanted) > 0.05 * wanted)
        return Fail("Unsupported baudrate. Note: bitbang baudrates are automatically multiplied by 4");
    if (Control() < 0) return -1;
    tickNs_ = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(std::llround(4e9 / (actual * pinClockFactor_))));
    return 0;
}

int SimulatedFtdiAdapter::SetLatencyTimer(std::uint8_t milliseconds) {
    if (milliseconds < 1) return Fail("latency out of range. Only valid for 1-255");
    if (Control() < 0) return -1;
    latencyNs_ = milliseconds * 1'000'000ull;
    return 0;
}

int SimulatedFtdiAdapter::Purge() {
    if (Control() < 0) return -1;
    samplesBase_ += samples_.size();
    samples_.clear();
    openPacket_ = 0;
    recentBacks_.clear();
    readCursor_ = samplesBase_;
    return 0;
}

std::uint64_t SimulatedFtdiAdapter::TakeBus(std::uint64_t ns, std::size_t bytes) {
    busFreeNs_ = std::max(busFreeNs_, ns) + bytes * model_.busNsPerByte;
    return busFreeNs_;
}

void SimulatedFtdiAdapter::SendPacket(std::uint64_t closeNs) {
    if (openPacket_ == 0) return;
    const std::uint64_t back = TakeBus(closeNs, openPacket_ + 2);
    for (auto sample = samples_.end() - static_cast<std::ptrdiff_t>(openPacket_); sample != samples_.end(); ++sample) {
        sample->backNs = back;
        recentBacks_.push_back(back);
    }
    while (recentBacks_.size() > model_.towardsPcBytes) recentBacks_.pop_front();
    openPacket_ = 0;
}

void SimulatedFtdiAdapter::ClockByte(std::uint8_t byte, std::uint64_t tickNs) {
    time_.Advance(tickNs - time_.NowNs());
    if (pacer_) pacer_->Pace();
    pinsNs_ = tickNs;
    // At each tick the pins are sampled, then take the byte.
    const bool wanted = (byte & cable::ReadMark) != 0;
    const std::uint8_t status = wanted ? board_->DlPortReadPortUchar(port::StatusPort) : peek_();
    const std::uint8_t inputs = cable::BitBang.ReturnPinsFor(status);
    const auto outputs = static_cast<std::uint8_t>(latch_ & outputMask_);
    samples_.push_back({static_cast<std::uint8_t>((inputs & ~outputMask_) | outputs), tickNs, 0});
    latch_ = byte;
    DriveBoard();
    // A full packet goes at once.
    if (++openPacket_ == model_.packetBytes - 2) SendPacket(tickNs);
}

int SimulatedFtdiAdapter::SubmitWrite(const std::uint8_t* data, int size) {
    if (!open_) return Fail("USB device unavailable");
    if (!syncBitbang_) return Fail("the simulated adapter only knows synchronous bit-bang");
    SyncHost();
    // The bytes are clocked as they arrive, the PC going on meanwhile.
    std::uint64_t arrived = std::max(hostNs_ + model_.roundTripNs / 2, arrivedNs_);
    for (int i = 0; i < size; ++i) {
        arrived = TakeBus(arrived, 1);
        // A full buffer towards the pins takes the next byte once the oldest has gone out.
        if (recentTicks_.size() == model_.towardsPinsBytes) arrived = std::max(arrived, recentTicks_.front());
        std::uint64_t tick = std::max({pinsNs_ + tickNs_, arrived, time_.NowNs()});
        // The latency timer sends a packet that waited that long for its first sample.
        if (openPacket_ > 0) {
            const std::uint64_t expiry = samples_[samples_.size() - openPacket_].tickNs + latencyNs_;
            if (expiry <= tick) SendPacket(expiry);
        }
        // The clock stops while the buffer towards the PC is full: until the sample this far
        // back has left it.
        const std::size_t room = model_.towardsPcBytes - openPacket_;
        if (recentBacks_.size() >= room) tick = std::max(tick, recentBacks_[recentBacks_.size() - room]);
        if (openPacket_ > 0) {
            const std::uint64_t expiry = samples_[samples_.size() - openPacket_].tickNs + latencyNs_;
            if (expiry <= tick) SendPacket(expiry);
        }
        ClockByte(data[i], tick);
        recentTicks_.push_back(tick);
        if (recentTicks_.size() > model_.towardsPinsBytes) recentTicks_.pop_front();
    }
    arrivedNs_ = arrived;
    writes_[nextTransfer_] = {arrived, size};
    return nextTransfer_++;
}

int SimulatedFtdiAdapter::SubmitRead(std::uint8_t* data, int size) {
    if (!open_) return Fail("USB device unavailable");
    reads_[nextTransfer_] = {data, static_cast<std::size_t>(size), readCursor_};
    readCursor_ += static_cast<std::uint64_t>(size);
    return nextTransfer_++;
}

int SimulatedFtdiAdapter::TransferDone(int transfer) {
    SyncHost();
    if (const auto write = writes_.find(transfer); write != writes_.end()) {
        const auto [arrived, size] = write->second;
        writes_.erase(write);
        HostWaitsUntil(arrived);
        return size;
    }
    const auto found = reads_.find(transfer);
    if (found == reads_.end()) return Fail("no such transfer");
    const Read read = found->second;
    reads_.erase(found);
    if (read.first != samplesBase_) return Fail("reads waited for out of order");
    // Samples of bytes never written never come: a real read would time out.
    if (samples_.size() < read.size) return Fail("usb bulk read failed: timeout");
    if (read.size > 0) {
        // Nothing more was clocked before the latency timer ran out on a packet still open.
        if (samples_[read.size - 1].backNs == 0)
            SendPacket(samples_[samples_.size() - openPacket_].tickNs + latencyNs_);
        HostWaitsUntil(samples_[read.size - 1].backNs);
    }
    for (std::size_t i = 0; i < read.size; ++i) read.data[i] = samples_[i].pins;
    samples_.erase(samples_.begin(), samples_.begin() + static_cast<std::ptrdiff_t>(read.size));
    samplesBase_ += read.size;
    return static_cast<int>(read.size);
}

}  // namespace tarpel::sim
