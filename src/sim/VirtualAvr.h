// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A virtual AT90S8515, AT90S4414 or ATmega8515 in the board's AVR socket, driven only by the
// data-port bits wired to it (VCC bits 0-2, XTAL1 bit 3, RESET bit 4, MOSI bit 5, SCK bit 6) and
// answering on MISO. It models the serial programming interface from the datasheets, clocked by
// XTAL1 edges or, on an ATmega8515 whose fuses choose the internal RC oscillator, by its own
// clock in virtual time; self-timed writes run on virtual time. It does not run AVR code.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/AvrDeviceModel.h"
#include "sim/AvrFaults.h"
#include "sim/AvrInstruction.h"
#include "sim/AvrSpiSlave.h"
#include "sim/ChipStore.h"
#include "sim/SocketChip.h"

namespace tarpel::sim {

class VirtualAvr final : public AvrSocketChip {
public:
    // Loads the contents from the store's <model>-flash.bin, <model>-eeprom.bin, <model>-lock.bin
    // and (ATmega8515) <model>-fuses.bin; a missing file is an erased memory, the factory fuses,
    // or no lock.
    VirtualAvr(const AvrDeviceModel& model, ChipStore store, AvrFaults faults = {});
    ~VirtualAvr() override;
    VirtualAvr(const VirtualAvr&) = delete;
    VirtualAvr& operator=(const VirtualAvr&) = delete;

    void OnDataWrite(std::uint8_t data, std::uint64_t nowNs) override;
    std::optional<bool> Miso(std::uint64_t nowNs) const override;
    const ViolationLog& Violations() const override { return violations_; }
    void ClearViolations() override { violations_.Clear(); }

    // For tests and the board's inspection: the device's state as it stands. A self-timed write
    // enters the contents when the device next acts (an instruction, a power change, a save), not
    // at the instant its time runs out.
    const AvrDeviceModel& Model() const { return model_; }
    const std::vector<std::uint8_t>& Flash() const { return flash_; }
    const std::vector<std::uint8_t>& Eeprom() const { return eeprom_; }
    std::uint8_t LowFuse() const { return fuses_[0]; }
    std::uint8_t HighFuse() const { return fuses_[1]; }
    std::uint8_t ExtendedFuse() const { return fuses_[2]; }  // ATmega162
    std::uint8_t LockBits() const { return lockBits_; }
    bool ProgrammingEnabled() const { return programming_; }

    // Writes changed contents to the store now (also done at power-off and in the destructor).
    void Persist();

    // Start-up before serial programming is possible. The datasheets ask the programmer to wait
    // 20 ms after power-up; the chip itself needs far less. Our choice: 10 ms of virtual time and
    // 64 cycles of the chip's clock (XTAL1, or its own RC oscillator) since VCC rose, both
    // required, so a master that gives no clock or no wait at all is refused while any sensible
    // one passes.
    static constexpr std::uint64_t StartUpNs = 10'000'000;
    static constexpr std::uint32_t StartUpCycles = 64;

    // The clock the device took at its last power-up (the fuses are latched then; a fuse written
    // in programming mode counts from the next power-up). Null while unpowered.
    const AvrClockMode* ClockMode() const { return powered_ ? clockMode_ : nullptr; }

private:
    enum class WriteKind { FlashByte, FlashPage, Eeprom, ChipErase, Lock, FuseLow, FuseHigh, FuseExtended };
    struct RunningWrite {
        WriteKind kind = WriteKind::FlashByte;
        std::uint32_t address = 0;
        std::uint8_t data = 0;
        std::vector<std::uint8_t> page{};
        std::uint64_t startNs = 0;
        std::uint64_t endNs = 0;
    };

    void PowerUp(std::uint64_t nowNs);
    void PowerDown(std::uint64_t nowNs);
    void ClockEdge(std::uint64_t edgeNs);
    void RunOwnClock(std::uint64_t nowNs);
    std::uint64_t OwnClockStartUpNs() const;
    void ResetRose(std::uint64_t nowNs);
    void LeaveSerialInterface();
    void ByteDone(const AvrSpiSlave::Step& step, std::uint64_t nowNs);
    std::uint8_t AfterThirdByte(std::uint64_t nowNs);
    std::uint8_t AfterFourthByte(std::uint64_t nowNs);
    std::uint8_t Answer(const AvrInstruction& instruction) const;
    void Execute(const AvrInstruction& instruction, std::uint8_t data, std::uint64_t nowNs);
    void StartWrite(RunningWrite write, std::uint64_t durationNs, std::uint64_t nowNs);
    bool WriteRunning(std::uint64_t nowNs);
    std::optional<std::uint8_t> PollAnswer(const AvrInstruction& instruction, std::uint64_t nowNs) const;
    void Finish(const RunningWrite& write);
    void Interrupt(const RunningWrite& write);
    void ProgramFlashByte(std::uint32_t address, std::uint8_t data);
    bool WritesLocked() const { return (lockBits_ & 0x03) != 0x03; }
    bool ReadsLocked() const { return (lockBits_ & 0x03) == 0x00; }
    void Record(std::uint64_t nowNs, std::string description);
    std::string FrameText() const;
    std::string FileName(const char* memory) const;

    const AvrDeviceModel& model_;
    ChipStore store_;
    AvrFaults faults_;
    ViolationLog violations_;

    std::vector<std::uint8_t> flash_;
    std::vector<std::uint8_t> eeprom_;
    std::array<std::uint8_t, 3> fuses_;  // low, high, extended (as many as the part has)
    std::uint8_t lockBits_ = 0xFF;  // ATmega layout: LB1 bit 0, LB2 bit 1, boot lock bits 2..5
    std::vector<std::uint8_t> pageBuffer_;
    unsigned dirty_ = 0;  // which memories changed since the last save

    // Lines and power.
    std::uint8_t lines_ = 0;
    bool powered_ = false;
    std::uint64_t powerUpNs_ = 0;
    std::uint32_t cyclesSincePowerUp_ = 0;
    bool startedUp_ = false;
    bool unpoweredChangeRecorded_ = false;
    bool shortSckRecorded_ = false;
    const AvrClockMode* clockMode_ = &AvrClockModes[0];
    // CKDIV8 programmed (ATmega162): the chip's logic sees every eighth edge of its clock.
    std::uint32_t clockDivider_ = 1;
    std::uint32_t xtalEdges_ = 0;
    std::uint64_t ownPeriodNs_ = 0;  // the internal RC oscillator's period after the divider
    // The internal RC oscillator's edges not yet seen, and how many edges went by since the lines
    // last changed: with the lines still, the shift logic settles within two edges.
    std::uint64_t nextOwnEdgeNs_ = 0;
    int edgesSinceChange_ = 0;

    // Serial programming.
    bool serialActive_ = false;  // powered, started up, RESET low: the shift logic runs
    bool programming_ = false;   // Programming Enable accepted
    AvrSpiSlave spi_;
    std::array<std::uint8_t, 4> frame_{};
    AvrInstruction current_;
    bool readRefusedAsBusy_ = false;
    AvrOp lastOp_ = AvrOp::Unknown;
    std::optional<std::uint64_t> resetRoseNs_;  // RESET rose in programming mode; judged later
    std::optional<RunningWrite> write_;
};

}  // namespace tarpel::sim
