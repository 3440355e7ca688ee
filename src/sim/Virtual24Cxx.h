// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A 24Cxx I2C EEPROM in the board's 24Cxx socket, answering as the datasheets describe: start,
// stop and repeated start, control-byte matching with the chip's own addressing, acknowledges,
// the page buffer with wrap-around, the timed write cycle, the address counter, sequential read.
// It reacts to data-port writes only; it keeps no clock and never looks at the AVR side.
#include <array>
#include <bitset>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "sim/ChipStore.h"
#include "sim/Eeprom24CxxModel.h"
#include "sim/SimFaults.h"
#include "sim/SocketChip.h"

namespace tarpel::sim {

class Virtual24Cxx final : public EepromSocketChip {
public:
    // Loads the contents from the store ("24C128.bin", blank when missing).
    Virtual24Cxx(const Eeprom24CxxModel& model, ChipStore store, EepromFaults faults = {});
    // Lets a running write cycle finish (the supply is not cut by ending the program) and saves.
    ~Virtual24Cxx() override;
    Virtual24Cxx(const Virtual24Cxx&) = delete;
    Virtual24Cxx& operator=(const Virtual24Cxx&) = delete;

    void OnDataWrite(std::uint8_t data, std::uint64_t nowNs) override;
    bool SdaReleased(std::uint64_t) const override { return !driveLow_; }
    void OnStatusRead(std::uint64_t nowNs) override;
    const ViolationLog& Violations() const override { return violations_; }
    void ClearViolations() override { violations_.Clear(); }

    const Eeprom24CxxModel& Model() const { return model_; }
    // The cells as they are; a write still in its write cycle is not yet in them.
    std::span<const std::uint8_t> Memory() const { return memory_; }
    std::uint32_t AddressCounter() const { return counter_; }
    bool Busy(std::uint64_t nowNs) const { return writing_ && nowNs < busyEndNs_; }
    bool Powered() const { return powered_; }
    // Internal write cycles started since the chip was made: one per page write that took.
    std::size_t WriteCycles() const { return writeCycles_; }

    // Writes the contents to the store now; false when that failed.
    bool Save();

    // tWR of this chip; the datasheets' maximum unless the board is told otherwise.
    std::uint64_t writeCycleNs = MaxWriteCycleNs;

private:
    enum class Mode : std::uint8_t { Idle, Receive, Transmit };
    enum class Phase : std::uint8_t { Control, WordHigh, WordLow, Data };

    void PowerOn();
    void PowerOff(std::uint64_t nowNs);
    void OnSclRise(std::uint64_t nowNs);
    void OnSclFall(std::uint64_t nowNs);
    void OnBusSdaChange(bool level, std::uint64_t nowNs);
    void OnStart(std::uint64_t nowNs);
    void OnStop(std::uint64_t nowNs);
    bool ByteReceived(std::uint8_t value);
    void LoadNextByte();
    void DriveBit(int bit) { driveLow_ = ((outByte_ >> bit) & 1) == 0; }
    void FinishWriteCycle();
    bool BusSda() const { return pcSda_ && !driveLow_; }
    void CheckMinimum(std::uint64_t sinceNs, std::uint64_t nowNs, std::uint64_t minimumNs, const char* what);

    const Eeprom24CxxModel model_;
    ChipStore store_;
    EepromFaults faults_;
    std::vector<std::uint8_t> memory_;
    std::uint32_t sizeMask_;
    std::uint32_t pageMask_;
    bool dirty_ = false;
    // Where the address counter stands after a power-up: no datasheet says, and real chips answer
    // a read from it with unrelated bytes. Seeded, so that every run draws the same addresses.
    std::minstd_rand powerUpAddress_{0x24C};

    // Lines as the chip last saw them.
    std::uint8_t lastData_ = 0;
    bool powered_ = false;
    bool scl_ = false;
    bool pcSda_ = false;
    bool driveLow_ = false;  // the open-drain output
    // The output before the last SCL fall, and when the new one is sure to be valid (tAA).
    bool oldDriveLow_ = false;
    std::uint64_t outputValidNs_ = 0;

    // Bus logic.
    Mode mode_ = Mode::Idle;
    Phase phase_ = Phase::Control;
    int clock_ = 0;  // rising SCL edges in the current 9-clock frame
    std::uint8_t shift_ = 0;
    std::uint8_t outByte_ = 0;
    bool ackThisByte_ = false;
    bool controlFrame_ = false;  // the frame's byte is a control byte
    bool masterAck_ = false;
    bool reading_ = false;
    std::uint8_t block_ = 0;
    std::uint8_t addressHigh_ = 0;
    std::uint32_t counter_ = 0;

    // Page buffer of the write in progress.
    std::array<std::uint8_t, 256> buffer_{};
    std::bitset<256> loaded_;
    std::uint32_t pageBase_ = 0;
    std::uint32_t pageOffset_ = 0;
    int dataBytes_ = 0;

    // The last page written, which a stop after a bare control byte writes again on a chip
    // with that fault.
    std::array<std::uint8_t, 256> lastBuffer_{};
    std::bitset<256> lastLoaded_;
    std::uint32_t lastPageBase_ = 0;

    // The internal write cycle, which runs whatever the bus does.
    bool writing_ = false;
    std::uint64_t busyEndNs_ = 0;
    std::size_t writeCycles_ = 0;

    // Edge times for the datasheet's minimum timings; Never until the edge has happened.
    static constexpr std::uint64_t Never = ~std::uint64_t{0};
    std::uint64_t sclRiseNs_ = Never;
    std::uint64_t sclFallNs_ = Never;
    std::uint64_t sdaChangeNs_ = Never;
    std::uint64_t startNs_ = Never;  // until the first SCL fall after it
    std::uint64_t stopNs_ = Never;

    ViolationLog violations_;
};

}  // namespace tarpel::sim
