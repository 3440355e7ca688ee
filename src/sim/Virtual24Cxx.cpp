#include "sim/Virtual24Cxx.h"

#include <bit>
#include <string>

#include "hw/BoardLines.h"

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

constexpr std::uint8_t ControlCode = 0xA0;  // 1010 in the high nibble
constexpr std::uint8_t PinAddress = 0;      // A2..A0 are tied low on the board

}  // namespace

Virtual24Cxx::Virtual24Cxx(const eeprom::ChipType& type, ChipStore store, std::vector<PageRefusal> refusals)
    : type_(type),
      store_(std::move(store)),
      refusals_(std::move(refusals)),
      memory_(store_.Load(std::string(type.name) + ".bin", static_cast<std::size_t>(type.size))),
      sizeMask_(static_cast<std::uint32_t>(type.size) - 1),
      pageMask_(static_cast<std::uint32_t>(type.pageSize) - 1),
      // One-byte chips carry the address bits above the first 256 bytes in the control byte.
      blockBits_(type.wordAddressBytes == 1 ? std::countr_zero(static_cast<std::uint32_t>(type.size) >> 8) : 0) {}

Virtual24Cxx::~Virtual24Cxx() {
    if (mode_ == Mode::Busy) FinishWriteCycle();
    if (dirty_) Save();
}

bool Virtual24Cxx::Save() {
    const bool saved = store_.Save(std::string(type_.name) + ".bin", memory_);
    if (saved) dirty_ = false;
    return saved;
}

void Virtual24Cxx::Violation(std::uint64_t nowNs, const char* what) {
    if (violations_.Entries().size() >= MaxLoggedViolations) {
        ++suppressedViolations_;
        return;
    }
    violations_.Record(nowNs, what);
}

void Virtual24Cxx::CheckMinimum(std::uint64_t sinceNs, std::uint64_t nowNs, std::uint64_t minimumNs,
                                const char* what) {
    if (sinceNs != Never && nowNs - sinceNs < minimumNs) Violation(nowNs, what);
}

void Virtual24Cxx::OnDataWrite(std::uint8_t data, std::uint64_t nowNs) {
    if (data == lastData_) return;
    const std::uint8_t supply = data & hw::bits::Supply;
    const bool powered = supply == hw::bits::Supply;
    const bool scl = (data & hw::bits::SclXtal) != 0;
    const bool pcSda = (data & hw::bits::SdaReset) != 0;
    const std::uint8_t changed = data ^ lastData_;
    lastData_ = data;

    if (supply != 0 && !powered) Violation(nowNs, "las tres lineas de alimentacion no estan a la vez");
    if (!powered_ || !powered) {
        const bool linesChanged = (changed & (hw::bits::SclXtal | hw::bits::SdaReset)) != 0;
        // Lines that switch together with the supply are harmless; a line that moves while the
        // chip has no supply feeds it through its input protection diodes.
        if (!powered_ && !powered && linesChanged)
            Violation(nowNs, "SCL o SDA cambia con el chip sin alimentacion");
        if (powered && !powered_) PowerOn();
        if (!powered && powered_) PowerOff(nowNs);
        scl_ = scl;
        pcSda_ = pcSda;
        return;
    }

    if (mode_ == Mode::Busy && nowNs >= busyEndNs_) FinishWriteCycle();
    const bool sclChanged = scl != scl_;
    const bool sdaChanged = pcSda != pcSda_;
    if (sclChanged && sdaChanged) Violation(nowNs, "SCL y SDA cambian en la misma escritura");
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
    counter_ = 0;  // no datasheet gives the counter after power-up; the model starts at 0
    sclRiseNs_ = sclFallNs_ = sdaChangeNs_ = startNs_ = stopNs_ = Never;
}

void Virtual24Cxx::PowerOff(std::uint64_t nowNs) {
    if (mode_ == Mode::Busy) {
        if (nowNs >= busyEndNs_) {
            FinishWriteCycle();
        } else {
            // What the cells hold after an interrupted write is not specified; the model keeps
            // the old contents, and the log tells the test that the page is at risk.
            Violation(nowNs, "se corta la alimentacion durante el ciclo de escritura");
        }
    }
    powered_ = false;
    mode_ = Mode::Idle;
    driveLow_ = false;
    if (dirty_) Save();
}

void Virtual24Cxx::OnSclRise(std::uint64_t nowNs) {
    if (mode_ == Mode::Busy) return;
    CheckMinimum(sclFallNs_, nowNs, TLowNs, "SCL baja menos de tLOW (4,7 us)");
    CheckMinimum(sdaChangeNs_, nowNs, TSuDatNs, "SDA cambia menos de tSU:DAT (0,25 us) antes de subir SCL");
    sclRiseNs_ = nowNs;
    if (mode_ == Mode::Receive) {
        if (clock_ < 8) {
            shift_ = static_cast<std::uint8_t>((shift_ << 1) | (BusSda() ? 1 : 0));
            if (++clock_ == 8) ackThisByte_ = ByteReceived(shift_);
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
    if (mode_ == Mode::Busy) return;
    CheckMinimum(sclRiseNs_, nowNs, THighNs, "SCL alta menos de tHIGH (4,0 us)");
    CheckMinimum(startNs_, nowNs, THdStaNs, "SCL baja menos de tHD:STA (4,0 us) despues del inicio");
    startNs_ = Never;
    sclFallNs_ = nowNs;
    if (mode_ == Mode::Receive) {
        if (clock_ == 8) {
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
    if (mode_ == Mode::Busy) return;
    if (!scl_) {
        sdaChangeNs_ = nowNs;
        return;
    }
    // A start or stop comes during the high phase of what the chip takes for the first bit of
    // the next byte; later inside a byte it cuts a command or a datum short.
    if (mode_ == Mode::Receive && clock_ >= 2 && clock_ <= 8)
        Violation(nowNs, "SDA cambia con SCL alta en mitad de un byte");
    if (level) OnStop(nowNs);
    else OnStart(nowNs);
}

void Virtual24Cxx::OnStart(std::uint64_t nowNs) {
    CheckMinimum(sclRiseNs_, nowNs, TSuStaNs, "inicio menos de tSU:STA (4,7 us) despues de subir SCL");
    CheckMinimum(stopNs_, nowNs, TBufNs, "inicio menos de tBUF (4,7 us) despues de la parada");
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
    CheckMinimum(sclRiseNs_, nowNs, TSuStoNs, "parada menos de tSU:STO (4,0 us) despues de subir SCL");
    stopNs_ = nowNs;
    // The write cycle starts only at a stop right after a whole data byte and its acknowledge,
    // that is in the first clock of the next frame.
    const bool writeComplete = mode_ == Mode::Receive && phase_ == Phase::Data && dataBytes_ > 0 && clock_ == 1;
    driveLow_ = false;
    if (writeComplete) {
        mode_ = Mode::Busy;
        busyEndNs_ = nowNs + writeCycleNs;
    } else {
        mode_ = Mode::Idle;
        dataBytes_ = 0;
    }
}

bool Virtual24Cxx::ByteReceived(std::uint8_t value) {
    switch (phase_) {
        case Phase::Control: {
            if ((value & 0xF0) != ControlCode) return false;
            const int select = (value >> 1) & 0x07;
            if ((select >> blockBits_) != (PinAddress >> blockBits_)) return false;
            block_ = static_cast<std::uint8_t>(select & ((1 << blockBits_) - 1));
            // A read starts at the address counter; the block bits of a read control byte are
            // not said to load it, so the model ignores them.
            reading_ = (value & 0x01) != 0;
            if (!reading_) phase_ = type_.wordAddressBytes == 2 ? Phase::WordHigh : Phase::WordLow;
            return true;
        }
        case Phase::WordHigh:
            addressHigh_ = value;
            phase_ = Phase::WordLow;
            return true;
        case Phase::WordLow: {
            const std::uint32_t high = type_.wordAddressBytes == 2 ? addressHigh_ : block_;
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
                for (auto& refusal : refusals_) {
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
        memory_[pageBase_ + offset] = buffer_[offset];
        dirty_ = true;
    }
    loaded_.reset();
    dataBytes_ = 0;
    mode_ = Mode::Idle;
}

}  // namespace tarpel::sim
