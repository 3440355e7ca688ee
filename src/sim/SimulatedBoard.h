// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The simulated Velcor board: a port backend whose data byte drives both sockets, as the real
// board's wiring does, and whose status byte reports the SDA bus level (the wired-AND of the
// PC's SDA and the chip's open-drain output) and MISO. Every port access costs virtual time.
// It knows nothing of protocols: the chips in the sockets react to the writes themselves.
#include <cstdint>
#include <memory>
#include <optional>

#include "port/Port.h"
#include "sim/ChipStore.h"
#include "sim/FolderClaim.h"
#include "sim/RealTimePacer.h"
#include "sim/SimFaults.h"
#include "sim/SocketChip.h"
#include "sim/VirtualTime.h"

namespace tarpel::sim {

class SimulatedBoard final : public port::Port {
public:
    // Either socket may be empty (null).
    SimulatedBoard(std::unique_ptr<EepromSocketChip> eeprom, std::unique_ptr<AvrSocketChip> avr);
    ~SimulatedBoard() override;
    SimulatedBoard(const SimulatedBoard&) = delete;
    SimulatedBoard& operator=(const SimulatedBoard&) = delete;

    void DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) override {
        Spend();
        if (port != port::DataPort) return;
        data_ = value;
        const std::uint64_t now = time_.NowNs();
        if (eeprom_) eeprom_->OnDataWrite(value, now);
        if (avr_) avr_->OnDataWrite(value, now);
    }
    std::uint8_t DlPortReadPortUchar(std::uint16_t port) override {
        Spend();
        if (port != port::StatusPort) return 0xFF;
        if (eeprom_) eeprom_->OnStatusRead(time_.NowNs());
        return PeekStatus();
    }

    // The status byte a read would give now, without costing time: the trace probes it after
    // every write so that changes of SDA and MISO show when they happen.
    std::uint8_t PeekStatus() const;
    // The SDA bus level: the PC's SDA wired-AND with the chip's output (ignores stuck faults).
    bool SdaBusLevel() const;
    std::uint8_t DataByte() const { return data_; }

    // The folder the chips keep their contents in, and the claim on it, held until the board
    // goes (after the chips' last saves). A save that fails there is the board's failure.
    void KeepStore(ChipStore store, FolderClaim claim) {
        store_ = std::move(store);
        claim_ = std::move(claim);
    }
    std::string Failure() const override { return store_ ? store_->Failure() : std::string(); }
    void ClearFailure() override {
        if (store_) store_->ClearFailure();
    }

    VirtualTime& Time() { return time_; }
    const VirtualTime& Time() const { return time_; }
    // Real-time pacing, off by default; the simulated clock shares it.
    RealTimePacer& Pacer() { return pacer_; }

    // What one port access costs: about the bus cycle of a real parallel port.
    std::uint64_t accessTimeNs = 1000;
    ReturnLineFault returnLineFault = ReturnLineFault::None;
    bool misoRestingLevel = true;  // MISO while the AVR does not drive it (pull-up)

    // The user put other chips in the sockets, with the board's power off: the old ones keep
    // their last save, the new ones take their place. Either may be null (an empty socket).
    void ReplaceChips(std::unique_ptr<EepromSocketChip> eeprom, std::unique_ptr<AvrSocketChip> avr) {
        eeprom_ = std::move(eeprom);
        avr_ = std::move(avr);
    }
    EepromSocketChip* Eeprom() { return eeprom_.get(); }
    AvrSocketChip* Avr() { return avr_.get(); }

    // Bits 0..5 of the status byte, which no line of the board drives.
    static constexpr std::uint8_t IdleStatusBits = 0x3F;

private:
    void Spend() {
        time_.Advance(accessTimeNs);
        pacer_.Pace();
    }

    VirtualTime time_;
    RealTimePacer pacer_{time_};
    std::uint8_t data_ = 0;
    // Declared before the chips, so that they go first.
    FolderClaim claim_;
    std::optional<ChipStore> store_;
    std::unique_ptr<EepromSocketChip> eeprom_;
    std::unique_ptr<AvrSocketChip> avr_;
};

}  // namespace tarpel::sim
