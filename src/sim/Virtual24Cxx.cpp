// SPDX-License-Identifier: GPL-2.0-or-later
#include "sim/Virtual24Cxx.h"

#include <algorithm>
#include <string>

#include "shell/Translate.h"
#include "sim/BoardWiring.h"

namespace tarpel::sim {

namespace {

// Minimum timings of the slowest (100 kHz) grade, in ns: the most any 24Cxx asks for.
constexpr std::uint64_t TLowNs = 4700;
constexpr std::uint64_t THighNs = 4000;
constexpr std::uint64_t TSuStaNs = 4700;
constexpr std::uint64_t THdStaNs = 4000;
constexpr std::uint64_t TSuDatNs = 250;
constexpr std::uint64_t TSuStoNs = 4000;
constexpr std::uint64_t TBufNs = 4700;
// Output valid after SCL falls (tAA, at most 3.5 us): the model drives its new level at the edge,
// a real chip may take that long, so a master reading sooner may still see the old one.
constexpr std::uint64_t TAaNs = 3500;

constexpr std::uint8_t ControlCode = 0xA0;  // 1010 in the high nibble
constexpr std::uint8_t PinAddress = 0;      // A2..A0 are tied low on the board

}  // namespace

Virtual24Cxx::Virtual24Cxx(const Eeprom24CxxModel& model, ChipStore store, EepromFaults faults)
    : model_(model),
      store_(std::move(store)),
      faults_(std::move(faults)),
      memory_(store_.Load(std::string(model.name) + ".bin", model.bytes)),
      sizeMask_(model.bytes - 1),
      pageMask_((faults_.pageBytes != 0 ? faults_.pageBytes : model.pageBytes) - 1) {}

Virtual24Cxx::~Virtual24Cxx() {
    if (writing_) FinishWriteCycle();
    if (dirty_) Save();
}

bool Virtual24Cxx::Save() {
    const bool saved = store_.Save(std::string(model_.name) + ".bin", memory_);
    if (saved) dirty_ = false;
    return saved;
}

void Virtual24Cxx::CheckMinimum(std::uint64_t sinceNs, std::uint64_t nowNs, std::uint64_t minimumNs,
                                const char* what) {
    // The description is looked up only for a violation: this runs at every edge.
    if (sinceNs != Never && nowNs - sinceNs < minimumNs) violations_.Record(nowNs, Tr(what));
}

void Virtual24Cxx::OnDataWrite(std::uint8_t data, std::uint64_t nowNs) {
    if (data == lastData_) return;
    const std::uint8_t supply = data & wiring::EepromSupply;
    const bool powered = supply == wiring::EepromSupply;
    const bool scl = (data & wiring::EepromScl) != 0;
    const bool pcSda = (data & wiring::EepromSda) != 0;
    const std::uint8_t changed = data ^ lastData_;
    lastData_ = data;

    if (supply != 0 && !powered) violations_.Record(nowNs, Tr("las tres lineas de alimentacion no estan a la vez"));
    if (!powered_ || !powered) {
        const bool linesChanged = (changed & (wiring::EepromScl | wiring::EepromSda)) != 0;
        // Lines that switch together with the supply are harmless; a line that moves while the
        // chip has no supply feeds it through its input protection diodes.
        if (!powered_ && !powered && linesChanged)
            violations_.Record(nowNs, Tr("SCL o SDA cambia con el chip sin alimentacion"));
        if (powered && !powered_) PowerOn();
        if (!powered && powered_) PowerOff(nowNs);
        scl_ = scl;
        pcSda_ = pcSda;
        return;
    }

    if (writing_ && nowNs >= busyEndNs_) FinishWriteCycle();
    const bool sclChanged = scl != scl_;
    const bool sdaChanged = pcSda != pcSda_;
    if (sclChanged && sdaChanged) violations_.Record(nowNs, Tr("SCL y SDA cambian en la misma escritura"));
    if (sclChanged) {
        scl_ = scl;
        if (scl) OnSclRise(nowNs);
        else OnSclFall(nowNs);
    }
    if (sdaChanged) {
        const bool before = BusSda();
        pcSda_ = pcSda;
        if (BusSda() != before) OnBusSdaChange(!before, nowNs);
    }
}

void Virtual24Cxx::PowerOn() {
    powered_ = true;
    mode_ = Mode::Idle;
    driveLow_ = false;
    outputValidNs_ = 0;
    // Anywhere but 0, so that a master that never sets the address cannot pass by luck.
    counter_ = 1 + static_cast<std::uint32_t>(powerUpAddress_() % sizeMask_);
    sclRiseNs_ = sclFallNs_ = sdaChangeNs_ = startNs_ = stopNs_ = Never;
}

void Virtual24Cxx::PowerOff(std::uint64_t nowNs) {
    if (writing_) {
        if (nowNs >= busyEndNs_) {
            FinishWriteCycle();
        } else {
            // What the cells hold after an interrupted write is not specified; the model keeps
            // the old contents, and the log tells the test that the page is at risk.
            violations_.Record(nowNs, Tr("se corta la alimentacion durante el ciclo de escritura"));
            writing_ = false;
            loaded_.reset();
        }
    }
    powered_ = false;
    mode_ = Mode::Idle;
    driveLow_ = false;
    outputValidNs_ = 0;
    if (dirty_) Save();
}

void Virtual24Cxx::OnStatusRead(std::uint64_t nowNs) {
    if (powered_ && nowNs < outputValidNs_ && driveLow_ != oldDriveLow_)
        violations_.Record(nowNs, Tr("SDA leida menos de tAA (3,5 us) despues de bajar SCL"));
}

void Virtual24Cxx::OnSclRise(std::uint64_t nowNs) {
    CheckMinimum(sclFallNs_, nowNs, TLowNs, TrNoop("SCL baja menos de tLOW (4,7 us)"));
    CheckMinimum(sdaChangeNs_, nowNs, TSuDatNs, TrNoop("SDA cambia menos de tSU:DAT (0,25 us) antes de subir SCL"));
    sclRiseNs_ = nowNs;
    if (mode_ == Mode::Receive) {
        if (clock_ < 8) {
            shift_ = static_cast<std::uint8_t>((shift_ << 1) | (BusSda() ? 1 : 0));
            if (++clock_ == 8) {
                controlFrame_ = phase_ == Phase::Control;
                ackThisByte_ = ByteReceived(shift_);
            }
        } else if (clock_ == 8) {
            clock_ = 9;
        }
    } else if (mode_ == Mode::Transmit) {
        if (clock_ < 8) {
            ++clock_;
        } else if (clock_ == 8) {
            masterAck_ = !BusSda();
            clock_ = 9;
        }
    }
}

void Virtual24Cxx::OnSclFall(std::uint64_t nowNs) {
    CheckMinimum(sclRiseNs_, nowNs, THighNs, TrNoop("SCL alta menos de tHIGH (4,0 us)"));
    CheckMinimum(startNs_, nowNs, THdStaNs, TrNoop("SCL baja menos de tHD:STA (4,0 us) despues del inicio"));
    startNs_ = Never;
    sclFallNs_ = nowNs;
    oldDriveLow_ = driveLow_;
    outputValidNs_ = nowNs + TAaNs;
    if (mode_ == Mode::Receive) {
        if (clock_ == 8) {
            // The chip follows the bus during its write cycle too, and decides here, where its
            // acknowledge would begin: a cycle still running means no acknowledge, as the
            // makers' simulation models of these chips have it.
            if (controlFrame_ && writing_) ackThisByte_ = false;
            driveLow_ = ackThisByte_;
        } else if (clock_ == 9) {
            driveLow_ = false;
            clock_ = 0;
            shift_ = 0;
            if (!ackThisByte_) {
                mode_ = Mode::Idle;  // not addressed or refusing: deaf until the next start
            } else if (reading_) {
                mode_ = Mode::Transmit;
                LoadNextByte();
            }
        }
    } else if (mode_ == Mode::Transmit) {
        if (clock_ >= 1 && clock_ < 8) {
            DriveBit(7 - clock_);
        } else if (clock_ == 8) {
            driveLow_ = false;  // the master's acknowledge bit
        } else if (clock_ == 9) {
            if (masterAck_) {
                clock_ = 0;
                LoadNextByte();
            } else {
                mode_ = Mode::Idle;
                driveLow_ = false;
            }
        }
    }
}

void Virtual24Cxx::LoadNextByte() {
    outByte_ = memory_[counter_];
    // A sequential read rolls over from the last byte of the memory to the first.
    counter_ = (counter_ + 1) & sizeMask_;
    DriveBit(7);
}

void Virtual24Cxx::OnBusSdaChange(bool level, std::uint64_t nowNs) {
    if (!scl_) {
        sdaChangeNs_ = nowNs;
        return;
    }
    // A start or stop comes during the high phase of what the chip takes for the first bit of
    // the next byte; later inside a byte it cuts a command or a datum short.
    if (mode_ == Mode::Receive && clock_ >= 2 && clock_ <= 8)
        violations_.Record(nowNs, Tr("SDA cambia con SCL alta en mitad de un byte"));
    if (level) OnStop(nowNs);
    else OnStart(nowNs);
}

void Virtual24Cxx::OnStart(std::uint64_t nowNs) {
    CheckMinimum(sclRiseNs_, nowNs, TSuStaNs, TrNoop("inicio menos de tSU:STA (4,7 us) despues de subir SCL"));
    CheckMinimum(stopNs_, nowNs, TBufNs, TrNoop("inicio menos de tBUF (4,7 us) despues de la parada"));
    // A repeated start in place of the stop drops the page buffer; the counter stays where the
    // data bytes left it, as other models of these chips have it (the datasheets are silent).
    mode_ = Mode::Receive;
    phase_ = Phase::Control;
    clock_ = 0;
    shift_ = 0;
    driveLow_ = false;
    dataBytes_ = 0;
    startNs_ = nowNs;
}

void Virtual24Cxx::OnStop(std::uint64_t nowNs) {
    CheckMinimum(sclRiseNs_, nowNs, TSuStoNs, TrNoop("parada menos de tSU:STO (4,0 us) despues de subir SCL"));
    stopNs_ = nowNs;
    // The write cycle starts only at a stop right after a whole data byte and its acknowledge,
    // that is in the first clock of the next frame.
    const bool writeComplete = mode_ == Mode::Receive && phase_ == Phase::Data && dataBytes_ > 0 && clock_ == 1;
    // A write addressed to the chip (its control byte taken) that carried no data byte.
    const bool bareControlByte = mode_ == Mode::Receive && !reading_ && phase_ != Phase::Control && dataBytes_ == 0;
    driveLow_ = false;
    mode_ = Mode::Idle;
    if (!writeComplete && bareControlByte && faults_.stopStartsCycle && lastLoaded_.any()) {
        buffer_ = lastBuffer_;
        loaded_ = lastLoaded_;
        pageBase_ = lastPageBase_;
    } else if (!writeComplete) {
        dataBytes_ = 0;
        return;
    }
    writing_ = true;
    busyEndNs_ = nowNs + writeCycleNs;
    ++writeCycles_;
}

bool Virtual24Cxx::ByteReceived(std::uint8_t value) {
    switch (phase_) {
        case Phase::Control: {
            if ((value & 0xF0) != ControlCode) return false;
            const int select = (value >> 1) & 0x07;
            const int blockBits = model_.blockBits;
            if ((select >> blockBits) != (PinAddress >> blockBits)) return false;
            block_ = static_cast<std::uint8_t>(select & ((1 << blockBits) - 1));
            // A read starts at the address counter; the block bits of a read control byte are
            // not said to load it, so the model ignores them.
            reading_ = (value & 0x01) != 0;
            if (!reading_) phase_ = model_.wordAddressBytes == 2 ? Phase::WordHigh : Phase::WordLow;
            return true;
        }
        case Phase::WordHigh:
            addressHigh_ = value;
            phase_ = Phase::WordLow;
            return true;
        case Phase::WordLow: {
            const std::uint32_t high = model_.wordAddressBytes == 2 ? (std::uint32_t{block_} << 8) | addressHigh_ : block_;
            const std::uint32_t address = ((high << 8) | value) & sizeMask_;
            counter_ = address;
            pageBase_ = address & ~pageMask_;
            pageOffset_ = address & pageMask_;
            dataBytes_ = 0;
            loaded_.reset();
            phase_ = Phase::Data;
            return true;
        }
        case Phase::Data: {
            if (dataBytes_ == 0) {
                for (auto& refusal : faults_.pageRefusals) {
                    if (refusal.attempts > 0 && refusal.page == pageBase_ / (pageMask_ + 1)) {
                        --refusal.attempts;
                        return false;
                    }
                }
            }
            // Only the page-offset bits count up: more bytes than the page holds wrap to its
            // start and overwrite the earlier ones.
            buffer_[pageOffset_] = value;
            loaded_.set(pageOffset_);
            counter_ = (pageBase_ + pageOffset_ + 1) & sizeMask_;
            pageOffset_ = (pageOffset_ + 1) & pageMask_;
            ++dataBytes_;
            return true;
        }
    }
    return false;
}

void Virtual24Cxx::FinishWriteCycle() {
    for (std::uint32_t offset = 0; offset <= pageMask_; ++offset) {
        if (!loaded_.test(offset)) continue;
        const std::uint32_t address = pageBase_ + offset;
        if (std::find(faults_.stuckCells.begin(), faults_.stuckCells.end(), address) != faults_.stuckCells.end())
            continue;
        memory_[address] = buffer_[offset];
        dirty_ = true;
    }
    lastBuffer_ = buffer_;
    lastLoaded_ = loaded_;
    lastPageBase_ = pageBase_;
    loaded_.reset();
    writing_ = false;
}

}  // namespace tarpel::sim
