// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/VirtualAvr.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "shell/Fill.h"
#include "shell/Translate.h"

namespace tarpel::sim {

namespace {

// The AVR socket's pins on the data port, as the board wires them.
constexpr std::uint8_t Vcc = 0x07;  // three port pins in parallel feed the chip
constexpr std::uint8_t Xtal1 = 0x08;
constexpr std::uint8_t Reset = 0x10;
constexpr std::uint8_t Mosi = 0x20;
constexpr std::uint8_t Sck = 0x40;
constexpr std::uint8_t SignalLines = Xtal1 | Reset | Mosi | Sck;

// What "avr-unknown-signature" answers: a real Atmel part (ATmega328P) the board does not take.
constexpr std::array<std::uint8_t, 3> UnknownSignature{0x1E, 0x95, 0x0F};

enum : unsigned { FlashChanged = 1, EepromChanged = 2, FusesChanged = 4, LockChanged = 8 };

// With the lines standing still, the shift logic has done all it will within this many edges of
// its clock: one to come alive, two samples for SCK to count. Later edges change nothing.
constexpr int SettleEdges = 3;

// The shift logic's part of one clock edge, with the lines as they stand: the interface comes
// alive on the first edge with RESET low once the chip has started.
AvrSpiSlave::Step ShiftEdge(bool& serialActive, AvrSpiSlave& spi, std::uint8_t lines) {
    if (!serialActive) {
        if (lines & Reset) return {};
        serialActive = true;
        spi.Restart();
    }
    return spi.ClockEdge((lines & Sck) != 0, (lines & Mosi) != 0);
}

}  // namespace

VirtualAvr::VirtualAvr(const AvrDeviceModel& model, ChipStore store, AvrFaults faults)
    : model_(model),
      store_(std::move(store)),
      faults_(faults),
      flash_(store_.Load(FileName("flash"), model.flashBytes)),
      eeprom_(store_.Load(FileName("eeprom"), model.eepromBytes)),
      fuses_(model.factoryFuses),
      pageBuffer_(model.pageWords * 2, 0xFF) {
    const std::string fuseFile = FileName("fuses");
    if (model_.hasFuses && std::filesystem::exists(std::filesystem::path(store_.Folder()) / fuseFile)) {
        const auto bytes = store_.Load(fuseFile, model_.fuseBytes);
        std::copy(bytes.begin(), bytes.end(), fuses_.begin());
    }
    // The lock bits outlive the power like the memories do: a chip locked in one run is locked
    // in the next.
    const std::string lockFile = FileName("lock");
    if (std::filesystem::exists(std::filesystem::path(store_.Folder()) / lockFile)) lockBits_ = store_.Load(lockFile, 1)[0];
    if (faults_.locked) lockBits_ = 0xFC;
}

VirtualAvr::~VirtualAvr() {
    // A write the device was left running would finish as long as it stays powered.
    if (write_) Finish(*write_);
    Persist();
}

std::string VirtualAvr::FileName(const char* memory) const {
    return std::string(model_.name) + "-" + memory + ".bin";
}

void VirtualAvr::Persist() {
    if ((dirty_ & FlashChanged) && store_.Save(FileName("flash"), flash_)) dirty_ &= ~FlashChanged;
    if ((dirty_ & EepromChanged) && store_.Save(FileName("eeprom"), eeprom_)) dirty_ &= ~EepromChanged;
    if ((dirty_ & FusesChanged) && store_.Save(FileName("fuses"), {fuses_.begin(), fuses_.begin() + model_.fuseBytes})) dirty_ &= ~FusesChanged;
    if ((dirty_ & LockChanged) && store_.Save(FileName("lock"), {lockBits_})) dirty_ &= ~LockChanged;
}

void VirtualAvr::OnDataWrite(std::uint8_t data, std::uint64_t nowNs) {
    if (data == lines_) return;  // the usual case between XTAL1 toggles is cheap
    // On its own clock the chip has been sampling the old levels until this instant.
    RunOwnClock(nowNs);
    const std::uint8_t before = lines_;
    const std::uint8_t changed = before ^ data;
    lines_ = data;
    edgesSinceChange_ = 0;

    const std::uint8_t supply = data & Vcc;
    if ((changed & Vcc) && supply != 0 && supply != Vcc)
        Record(nowNs, Tr("AVR: alimentacion parcial (bits 0-2 distintos): el chip queda sin alimentar"));
    const bool powered = supply == Vcc;

    if (!powered_) {
        if (powered) {
            PowerUp(nowNs);  // the levels of this write are the chip's starting levels
        } else if ((changed & SignalLines) && !unpoweredChangeRecorded_) {
            // Driving an unpowered chip's inputs feeds it through its protection diodes.
            unpoweredChangeRecorded_ = true;
            Record(nowNs, Tr("AVR: lineas cambiadas sin alimentacion"));
        }
        return;
    }
    if (!powered) {
        PowerDown(nowNs);
        return;
    }

    if (changed & Reset) {
        if (data & Reset) {
            ResetRose(nowNs);
        } else if (resetRoseNs_) {
            Record(*resetRoseNs_, Tr("AVR: RESET alto en modo de programacion"));
            resetRoseNs_.reset();
        }
    }
    if (changed & (Sck | Mosi)) {
        if (resetRoseNs_) {
            Record(*resetRoseNs_, Tr("AVR: RESET alto en modo de programacion"));
            resetRoseNs_.reset();
        }
        if ((changed & Sck) && serialActive_ && spi_.SckChanged() && !shortSckRecorded_) {
            shortSckRecorded_ = true;
            Record(nowNs, clockMode_->source == AvrClockSource::InternalRc
                              ? Tr("AVR: fase de SCK de menos de 2 ciclos de su oscilador RC interno")
                              : Tr("AVR: fase de SCK de menos de 2 ciclos de XTAL1"));
        }
    }
    // On its internal RC oscillator the chip ignores XTAL1.
    if (clockMode_->source != AvrClockSource::InternalRc && (changed & Xtal1) && (data & Xtal1) &&
        ++xtalEdges_ % clockDivider_ == 0)
        ClockEdge(nowNs);
}

std::optional<bool> VirtualAvr::Miso(std::uint64_t nowNs) const {
    // MISO is an output only while the serial interface runs (RESET low); otherwise the pin floats.
    if (!powered_ || faults_.noAnswer) return std::nullopt;
    if (clockMode_->source != AvrClockSource::InternalRc) {
        if (!serialActive_) return std::nullopt;
        return spi_.Miso();
    }
    // On its own clock the chip has moved on since the last port write: run its edges up to now on
    // copies of the shift logic. With the lines still it sees at most one SCK edge, so no answer
    // loaded at the end of a byte can reach MISO before the lines change.
    bool active = serialActive_;
    AvrSpiSlave spi = spi_;
    std::uint64_t edgeNs = startedUp_ ? nextOwnEdgeNs_ : OwnClockStartUpNs();
    for (int edges = startedUp_ ? edgesSinceChange_ : 0; edgeNs < nowNs && edges < SettleEdges; ++edges) {
        ShiftEdge(active, spi, lines_);
        edgeNs += ownPeriodNs_;
    }
    if (!active) return std::nullopt;
    return spi.Miso();
}

void VirtualAvr::PowerUp(std::uint64_t nowNs) {
    powered_ = true;
    powerUpNs_ = nowNs;
    cyclesSincePowerUp_ = 0;
    edgesSinceChange_ = 0;
    // The clock fuses are latched at power-up. The AT90S parts take theirs from XTAL1.
    const std::uint8_t cksel = model_.hasFuses ? static_cast<std::uint8_t>(fuses_[0] & CkselBits) : 0;
    clockMode_ = &(*model_.clockModes)[cksel];
    clockDivider_ = (model_.ckdiv8Bit != 0 && (fuses_[0] & model_.ckdiv8Bit) == 0) ? 8 : 1;
    xtalEdges_ = 0;
    ownPeriodNs_ = clockMode_->periodNs * clockDivider_;
    if (clockMode_->source == AvrClockSource::Oscillator)
        Record(nowNs,
               shell::Fill(Tr("AVR: alimentado con CKSEL %1 (%2): ese oscilador espera un cristal o una red RC en "
                              "XTAL1, no la onda cuadrada de la placa, y el datasheet no asegura que funcione asi"),
                           {cksel, TrText(clockMode_->name)}));
    startedUp_ = false;
    serialActive_ = false;
    programming_ = false;
    shortSckRecorded_ = false;
    lastOp_ = AvrOp::Unknown;
    resetRoseNs_.reset();
    std::fill(pageBuffer_.begin(), pageBuffer_.end(), std::uint8_t{0xFF});
}

void VirtualAvr::PowerDown(std::uint64_t nowNs) {
    if (write_) {
        if (nowNs >= write_->endNs) {
            Finish(*write_);
        } else {
            Record(nowNs, Tr("AVR: alimentacion cortada durante una escritura"));
            Interrupt(*write_);
        }
        write_.reset();
    }
    // RESET raised just before the power went: the datasheet's own power-off sequence.
    resetRoseNs_.reset();
    powered_ = false;
    startedUp_ = false;
    unpoweredChangeRecorded_ = false;
    LeaveSerialInterface();
    Persist();
}

void VirtualAvr::ResetRose(std::uint64_t nowNs) {
    if (programming_) {
        if (WriteRunning(nowNs)) {
            Record(nowNs, Tr("AVR: RESET alto en modo de programacion durante una escritura"));
        } else if (lastOp_ != AvrOp::ChipErase) {
            // Judged by what follows: a power-off next is the datasheet's sequence, anything else
            // a lost programming mode. A pulse after a chip erase is what the AT90S asks for.
            resetRoseNs_ = nowNs;
        }
    }
    LeaveSerialInterface();
}

void VirtualAvr::LeaveSerialInterface() {
    serialActive_ = false;
    programming_ = false;
    std::fill(pageBuffer_.begin(), pageBuffer_.end(), std::uint8_t{0xFF});
}

void VirtualAvr::ClockEdge(std::uint64_t edgeNs) {
    if (!startedUp_) {
        ++cyclesSincePowerUp_;
        if (cyclesSincePowerUp_ < StartUpCycles || edgeNs - powerUpNs_ < StartUpNs) return;
        startedUp_ = true;
    }
    const AvrSpiSlave::Step step = ShiftEdge(serialActive_, spi_, lines_);
    if (step.byteDone) ByteDone(step, edgeNs);
}

std::uint64_t VirtualAvr::OwnClockStartUpNs() const {
    // The oscillator's k-th edge comes k periods after VCC rose; start-up ends at the first edge
    // that has both the cycles and the time.
    const std::uint64_t periodNs = ownPeriodNs_;
    const std::uint64_t cycles = std::max<std::uint64_t>(StartUpCycles, (StartUpNs + periodNs - 1) / periodNs);
    return powerUpNs_ + cycles * periodNs;
}

void VirtualAvr::RunOwnClock(std::uint64_t nowNs) {
    if (!powered_ || clockMode_->source != AvrClockSource::InternalRc) return;
    const std::uint64_t periodNs = ownPeriodNs_;
    if (!startedUp_) {
        const std::uint64_t startNs = OwnClockStartUpNs();
        if (startNs >= nowNs) return;
        startedUp_ = true;
        nextOwnEdgeNs_ = startNs;
        edgesSinceChange_ = 0;
    }
    // An edge at the very instant of a port write sees the written levels: it is run after it.
    while (nextOwnEdgeNs_ < nowNs) {
        if (edgesSinceChange_ >= SettleEdges) {
            nextOwnEdgeNs_ += (nowNs - nextOwnEdgeNs_ + periodNs - 1) / periodNs * periodNs;
            break;
        }
        ClockEdge(nextOwnEdgeNs_);
        nextOwnEdgeNs_ += periodNs;
        ++edgesSinceChange_;
    }
}

void VirtualAvr::ByteDone(const AvrSpiSlave::Step& step, std::uint64_t nowNs) {
    if (faults_.noAnswer) return;
    frame_[static_cast<std::size_t>(step.byteIndex)] = step.byte;
    // The shift register simply passes each byte on during the next one (the echo), except where
    // the device puts an answer in. Before Programming Enable is accepted the device echoes only
    // inside a frame that starts with 0xAC: so a master whose bits are out of step with the
    // device's frame gets no 0x53 back, and one extra SCK pulse moves the frame by one bit.
    std::uint8_t next = step.byte;
    switch (step.byteIndex) {
        case 0:
            readRefusedAsBusy_ = false;
            if (!programming_ && step.byte != 0xAC) next = 0x00;
            break;
        case 1:
            if (!programming_ && frame_[0] != 0xAC) next = 0x00;
            break;
        case 2:
            next = AfterThirdByte(nowNs);
            break;
        default:
            next = AfterFourthByte(nowNs);
            break;
    }
    spi_.LoadOutput(next);
}

std::uint8_t VirtualAvr::AfterThirdByte(std::uint64_t nowNs) {
    current_ = DecodeAvrInstruction(model_, frame_);
    readRefusedAsBusy_ = false;
    if (!programming_) return frame_[0] == 0xAC ? frame_[2] : 0x00;
    if (!current_.IsRead()) return frame_[2];
    if (WriteRunning(nowNs)) {
        if (auto poll = PollAnswer(current_, nowNs)) return *poll;
        readRefusedAsBusy_ = true;
        return frame_[2];
    }
    return Answer(current_);
}

std::uint8_t VirtualAvr::AfterFourthByte(std::uint64_t nowNs) {
    const std::uint8_t data = frame_[3];
    if (!programming_) {
        if (current_.op != AvrOp::ProgrammingEnable) return 0x00;
        programming_ = true;
        lastOp_ = AvrOp::ProgrammingEnable;
        return data;
    }
    // The datasheets allow only data polling while a write runs; for anything else they are
    // silent, so the device ignores it and the log says so.
    if (readRefusedAsBusy_ || (!current_.IsRead() && WriteRunning(nowNs))) {
        Record(nowNs, shell::Fill(Tr("AVR: instruccion %1 durante una escritura: ignorada"), {FrameText()}));
        return data;
    }
    if (current_.op == AvrOp::Unknown) {
        Record(nowNs, shell::Fill(Tr("AVR: instruccion %1 desconocida para el %2"), {FrameText(), model_.displayName}));
        return data;
    }
    if (!current_.IsRead()) Execute(current_, data, nowNs);
    lastOp_ = current_.op;
    return data;
}

std::uint8_t VirtualAvr::Answer(const AvrInstruction& instruction) const {
    // A refused read changes nothing, so the shift register echoes byte 3: that is why a locked
    // part answers 00 01 02 to the three signature reads.
    const std::uint8_t refused = frame_[2];
    switch (instruction.op) {
        case AvrOp::ReadFlash:
            return ReadsLocked() ? refused : flash_[instruction.address];
        case AvrOp::ReadEeprom:
            return ReadsLocked() ? refused : eeprom_[instruction.address];
        case AvrOp::ReadSignature: {
            // The AT90S datasheets give 00 01 02 in mode 3; the ATmega8515's does not say.
            if (ReadsLocked() && !(model_.hasFuses && faults_.lockKeepsSignature)) return refused;
            if (instruction.address > 2) return 0xFF;  // no fourth signature byte
            const auto& signature = faults_.unknownSignature ? UnknownSignature : model_.signature;
            return signature[instruction.address];
        }
        case AvrOp::ReadLock:
            return lockBits_;
        case AvrOp::ReadFuseLow:
            return fuses_[0];
        case AvrOp::ReadFuseHigh:
            return fuses_[1];
        case AvrOp::ReadFuseExtended:
            return fuses_[2];
        default:
            return refused;
    }
}

void VirtualAvr::Execute(const AvrInstruction& instruction, std::uint8_t data, std::uint64_t nowNs) {
    // Lock modes 2 and 3 refuse further programming of flash, EEPROM and fuses, silently as the
    // chip does; a chip erase and more lock bits are always accepted.
    switch (instruction.op) {
        case AvrOp::ChipErase:
            StartWrite({.kind = WriteKind::ChipErase}, model_.chipEraseNs, nowNs);
            break;
        case AvrOp::WriteFlash:
            if (!WritesLocked()) StartWrite({.kind = WriteKind::FlashByte, .address = instruction.address, .data = data}, model_.flashWriteNs, nowNs);
            break;
        case AvrOp::LoadPage:
            // Loading the same word twice keeps the last value (the datasheet is silent).
            pageBuffer_[instruction.address] = data;
            break;
        case AvrOp::WritePage:
            if (!WritesLocked()) {
                StartWrite({.kind = WriteKind::FlashPage, .address = instruction.address, .page = pageBuffer_}, model_.flashWriteNs, nowNs);
                std::fill(pageBuffer_.begin(), pageBuffer_.end(), std::uint8_t{0xFF});
            }
            break;
        case AvrOp::WriteEeprom:
            if (!WritesLocked()) StartWrite({.kind = WriteKind::Eeprom, .address = instruction.address, .data = data}, model_.eepromWriteNs, nowNs);
            break;
        case AvrOp::WriteLock: {
            // AT90S: lock bits in byte 2; ATmega: in byte 4, whose two top bits are unused.
            const std::uint8_t bits = model_.hasFuses ? static_cast<std::uint8_t>(data | 0xC0) : instruction.lockBits;
            StartWrite({.kind = WriteKind::Lock, .data = bits}, model_.fuseWriteNs, nowNs);
            break;
        }
        case AvrOp::WriteFuseLow:
        case AvrOp::WriteFuseHigh:
        case AvrOp::WriteFuseExtended:
            if (!WritesLocked()) {
                const WriteKind kind = instruction.op == AvrOp::WriteFuseLow    ? WriteKind::FuseLow
                                       : instruction.op == AvrOp::WriteFuseHigh ? WriteKind::FuseHigh
                                                                                : WriteKind::FuseExtended;
                StartWrite({.kind = kind, .data = data}, model_.fuseWriteNs, nowNs);
            }
            break;
        default:
            break;  // Programming Enable again: already in programming mode
    }
}

void VirtualAvr::StartWrite(RunningWrite write, std::uint64_t durationNs, std::uint64_t nowNs) {
    write.startNs = nowNs;
    write.endNs = nowNs + durationNs;
    write_ = std::move(write);
}

bool VirtualAvr::WriteRunning(std::uint64_t nowNs) {
    if (write_ && nowNs >= write_->endNs) {
        Finish(*write_);
        write_.reset();
    }
    return write_.has_value();
}

std::optional<std::uint8_t> VirtualAvr::PollAnswer(const AvrInstruction& instruction, std::uint64_t nowNs) const {
    // Data polling as the datasheets give it: only a read of the location being written answers
    // (AT90S: that byte; ATmega8515: any byte of the page being written).
    const RunningWrite& write = *write_;
    switch (write.kind) {
        case WriteKind::FlashByte:
            if (instruction.op == AvrOp::ReadFlash && instruction.address == write.address) return model_.flashBusyAnswer;
            break;
        case WriteKind::FlashPage:
            if (instruction.op == AvrOp::ReadFlash && instruction.address >= write.address &&
                instruction.address < write.address + write.page.size())
                return model_.flashBusyAnswer;
            break;
        case WriteKind::Eeprom:
            if (instruction.op == AvrOp::ReadEeprom && instruction.address == write.address)
                return nowNs < write.startNs + model_.eepromEraseNs ? model_.eepromEraseBusyAnswer : model_.eepromBusyAnswer;
            break;
        default:
            break;
    }
    return std::nullopt;
}

void VirtualAvr::ProgramFlashByte(std::uint32_t address, std::uint8_t data) {
    if (faults_.stuckFlashByte == address) return;
    // Programming only takes cells from 1 to 0; only a chip erase brings them back to 1.
    flash_[address] &= data;
}

void VirtualAvr::Finish(const RunningWrite& write) {
    switch (write.kind) {
        case WriteKind::FlashByte:
            ProgramFlashByte(write.address, write.data);
            dirty_ |= FlashChanged;
            break;
        case WriteKind::FlashPage:
            for (std::size_t i = 0; i < write.page.size(); ++i)
                ProgramFlashByte(write.address + static_cast<std::uint32_t>(i), write.page[i]);
            dirty_ |= FlashChanged;
            break;
        case WriteKind::Eeprom:
            eeprom_[write.address] = write.data;  // auto-erased first: any value can be written
            dirty_ |= EepromChanged;
            break;
        case WriteKind::ChipErase:
            std::fill(flash_.begin(), flash_.end(), std::uint8_t{0xFF});
            // EESAVE programmed (ATmega8515, ATmega162) keeps the EEPROM through a chip erase.
            if (!model_.hasFuses || (fuses_[1] & EesaveBit))
                std::fill(eeprom_.begin(), eeprom_.end(), std::uint8_t{0xFF});
            lockBits_ = 0xFF;
            dirty_ |= FlashChanged | EepromChanged | LockChanged;
            break;
        case WriteKind::Lock:
            lockBits_ &= write.data;  // lock bits can only be programmed; an erase clears them
            dirty_ |= LockChanged;
            break;
        case WriteKind::FuseLow:
            fuses_[0] = write.data;
            dirty_ |= FusesChanged;
            break;
        case WriteKind::FuseHigh:
            fuses_[1] = static_cast<std::uint8_t>((write.data & ~SpienBit) | (fuses_[1] & SpienBit));
            dirty_ |= FusesChanged;
            break;
        case WriteKind::FuseExtended:
            fuses_[2] = write.data;
            dirty_ |= FusesChanged;
            break;
    }
}

void VirtualAvr::Interrupt(const RunningWrite& write) {
    // The datasheets do not say what a cut write leaves. Our model: the erase part is done and the
    // programming is not. An EEPROM byte is left erased; a flash byte or page (no erase part) and
    // fuse or lock bits keep their old values; a chip erase has erased the memories but not yet
    // the lock bits.
    switch (write.kind) {
        case WriteKind::Eeprom:
            eeprom_[write.address] = 0xFF;
            dirty_ |= EepromChanged;
            break;
        case WriteKind::ChipErase: {
            const std::uint8_t lockBits = lockBits_;
            Finish(write);
            lockBits_ = lockBits;
            break;
        }
        default:
            break;
    }
}

void VirtualAvr::Record(std::uint64_t nowNs, std::string description) {
    violations_.Record(nowNs, std::move(description));
}

std::string VirtualAvr::FrameText() const {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X", frame_[0], frame_[1], frame_[2], frame_[3]);
    return text;
}

}  // namespace tarpel::sim
