// SPDX-License-Identifier: GPL-2.0-or-later
#include "link/AvrLink.h"

#include <deque>
#include <utility>

namespace tarpel::link {

namespace {

constexpr int PowerCycles = 3;
constexpr int EnableAttemptsPerPowerCycle = 31;

using Instruction = std::array<std::uint8_t, 4>;

// The serial programming instruction set, as the datasheets write it, with each address and data
// field left at 0 for At to fill in.
namespace isp {
constexpr Instruction ProgrammingEnable{0xAC, 0x53, 0x00, 0x00};  // in step, 0x53 comes back during the third byte
constexpr Instruction ChipErase{0xAC, 0x80, 0x00, 0x00};          // flash and EEPROM to 0xFF, self-timed
constexpr Instruction ReadSignatureByte{0x30, 0x00, 0x00, 0x00};  // signature byte 0..2 by the third byte
constexpr Instruction ReadFlashLow{0x20, 0x00, 0x00, 0x00};       // low byte of the flash word at the address
constexpr Instruction ReadFlashHigh{0x28, 0x00, 0x00, 0x00};      // high byte of the flash word at the address
constexpr Instruction WriteFlashLow{0x40, 0x00, 0x00, 0x00};      // low byte: AT90S write, ATmega8515 page load
constexpr Instruction WriteFlashHigh{0x48, 0x00, 0x00, 0x00};     // high byte: likewise, self-timed on the AT90S
constexpr Instruction WriteFlashPage{0x4C, 0x00, 0x00, 0x00};     // ATmega8515: page buffer to the page at the address
constexpr Instruction ReadEeprom{0xA0, 0x00, 0x00, 0x00};         // EEPROM byte at the address
constexpr Instruction WriteEeprom{0xC0, 0x00, 0x00, 0x00};        // EEPROM byte at the address, self-timed
constexpr Instruction ReadFuseLow{0x50, 0x00, 0x00, 0x00};        // ATmega8515 fuse low byte
constexpr Instruction ReadFuseHigh{0x58, 0x08, 0x00, 0x00};       // ATmega8515 fuse high byte
constexpr Instruction WriteFuseLow{0xAC, 0xA0, 0x00, 0x00};       // ATmega8515 fuse low byte, from the data byte
constexpr Instruction WriteFuseHigh{0xAC, 0xA8, 0x00, 0x00};      // ATmega8515 fuse high byte, from the data byte
constexpr Instruction ReadFuseExtended{0x50, 0x08, 0x00, 0x00};   // ATmega162 extended fuse byte
constexpr Instruction WriteFuseExtended{0xAC, 0xA4, 0x00, 0x00};  // ATmega162 extended fuse byte, from the data byte
constexpr Instruction ReadLockBits{0x58, 0x00, 0x00, 0x00};        // ATmega8515 lock byte
constexpr Instruction WriteLockBits{0xAC, 0xE0, 0x00, 0x00};       // ATmega8515 lock byte, from the data byte
// AT90S: 111x x21x in the second byte, LB2 in bit 2 and LB1 in bit 1; the "x" bits are sent as 1,
// which also fits the 1111 1211 that the related AT90S parts' tables give. As written here it
// programs nothing: a 0 in place of the 2 or the 1 programs that bit.
constexpr Instruction WriteLockBitsAt90s{0xAC, 0xFF, 0x00, 0x00};
}  // namespace isp

// What the device echoes while the third byte of Programming Enable goes out: its second byte.
constexpr std::uint8_t EnableEcho = isp::ProgrammingEnable[1];

// Where the waits come from. The datasheets give serial programming a wait of 20 ms after
// power-up, SCK phases of at least 2 XTAL1 cycles and the self-timed write times, nothing more:
// every figure below is a margin unless it names its datasheet value.
//
// No datasheet figure: time for the socket's supply, fed from port pins, to drain well below the
// power-on reset level, so that the next power-up resets the chip from cold.
constexpr std::uint32_t PowerOffMs = 500;
// The datasheets' 20 ms after power-up before Programming Enable, fifteen times over for a supply
// that rises through port pins; it also outlasts the longest start-up delay the fuses set (65 ms).
constexpr std::uint32_t PowerOnSettleMs = 300;
// The fast timing's power cycle. Off: no datasheet figure either; the port's data pins pull the
// socket's supply to 0 V themselves, so even 10 uF of decoupling behind 1 kOhm of pin driver
// (10 ms a time constant) is drained in five time constants. On: the datasheets' 20 ms plus half
// again, the margin for a supply that rises through port pins. The chip's own start-up delay
// (up to 65 ms by the fuses) does not count here: RESET is held low all along.
constexpr std::uint32_t FastPowerOffMs = 50;
constexpr std::uint32_t FastPowerOnSettleMs = 30;
// ATmega8515 and ATmega162 tWD_ERASE 9 ms; the AT90S parts up to about 20 ms (their table was not at hand): a
// fivefold margin at least.
constexpr std::uint32_t ChipEraseMs = 100;
// ATmega8515 and ATmega162 tWD_FUSE 4.5 ms: a tenfold margin. The lock bits take the same wait: the ATmega8515
// gives them no time of their own, and the AT90S parts' own write times (up to about 9 ms) fit
// inside it too.
constexpr std::uint32_t FuseWriteMs = 50;

// XTAL1 counts, as ClockXtal's n (n + 1 cycles). On an ATmega8515 running on its internal RC
// oscillator the chip ignores XTAL1, and each cycle is only the time of two port writes.
//
// The datasheets want the clock running from power-up but give no count; 1001 cycles outlast the
// ATmega8515's external-clock start-up (6 cycles) many times. A margin.
constexpr int PowerUpClocks = 1000;
// After each byte of Programming Enable, signature, fuse and erase instructions, and in each half
// of the resynchronising SCK pulse: the chip needs 2 cycles to see an SCK edge; 11 are a margin.
constexpr int ClocksAfterByte = 10;
// After a flash or EEPROM byte write: cycles for the chip to take the instruction in and start its
// self-timed write, which then runs on its own (milliseconds, not XTAL1 cycles). A margin.
constexpr int ClocksAfterByteWrite = 100;
// After a page-buffer load, which has no self-timed part: a margin for the chip to latch the byte.
constexpr int ClocksAfterPageLoad = 32;
// The fast timing's: none beyond the instruction's last SCK phase, whose cycles let the chip
// take the last bit in; the next instruction's first phase gives it more before anything new.
constexpr int FastClocksAfterPageLoad = -1;

// The shortest SCK phase in time: two cycles of the slowest internal RC oscillator
// (1 MHz, the factory setting of the ATmega8515 and, through its 8 MHz RC divided by 8, of the
// ATmega162), which ignores XTAL1, with half again for the oscillator's spread over supply and
// temperature.
constexpr double MinSckPhaseNs = 3000;
// Whatever the port's speed, a phase gets no more cycles than this.
constexpr int MaxPhaseClocks = 100;
// After the page write instruction, as after a byte write: a margin before the caller waits.
constexpr int ClocksAfterPageWrite = 128;
// After the chip erase instruction, as after a byte write, before the erase wait. A margin.
constexpr int ClocksAfterChipErase = 1000;

std::uint8_t High(int value) { return static_cast<std::uint8_t>((value >> 8) & 0xFF); }
std::uint8_t Low(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

// The instruction with an address in its second and third bytes and data in its fourth, the
// fields the table leaves at 0.
Instruction At(const Instruction& instruction, int address, std::uint8_t data = 0x00) {
    return {instruction[0], static_cast<std::uint8_t>(instruction[1] | High(address)),
            static_cast<std::uint8_t>(instruction[2] | Low(address)), static_cast<std::uint8_t>(instruction[3] | data)};
}

// Flash by byte address: an even address is the low byte of word address / 2.
Instruction ReadFlashInstruction(int address) {
    return At((address % 2 == 0) ? isp::ReadFlashLow : isp::ReadFlashHigh, address / 2);
}

Instruction ReadEepromInstruction(int address) { return At(isp::ReadEeprom, address); }

}  // namespace

void AvrLink::ClockXtal(int n) {
    lines_.IspPause();
    if (n < 0) return;
    for (int i = 0; i <= n; ++i) {
        lines_.SetXtal(false);
        lines_.IspPause();
        lines_.SetXtal(true);
        lines_.IspPause();
    }
}

std::uint8_t AvrLink::SpiTransfer(std::uint8_t out) { return ByteOf(SpiTransferDeferred(out)); }

AvrLink::ByteSamples AvrLink::SpiTransferDeferred(std::uint8_t out) {
    // The device shifts each bit out on the previous falling SCK edge and holds it until the
    // next one, so MISO is sampled late in the low phase, just before the rising edge: by then
    // the device has had five XTAL1 cycles to see the falling edge, which a device that
    // synchronises SCK to its clock needs. The datasheets ask for SCK phases of at least two
    // XTAL1 cycles; five each leave margin whatever the port's write speed, since the device is
    // clocked by the very same port writes. Not so on an ATmega8515 on its internal RC
    // oscillator: a high phase is then 11 port accesses of time, which outlast two RC cycles only
    // while an access takes over 0.18 us at 1 MHz (0.023 us at 8 MHz); a parallel port takes ~1 us,
    // a USB adapter's pin clock may take far less.
    //
    // The fast timing gives three XTAL1 cycles a phase, one above the datasheets' minimum; either
    // timing gives more when the power-up burst showed the port too fast for its phases to last
    // MinSckPhaseNs.
    const int phaseClocks = SckPhaseCycles() - 1;
    ByteSamples in{};
    for (int bit = 7; bit >= 0; --bit) {
        lines_.SetMosi(((out >> bit) & 1) != 0);
        lines_.IspPause();
        ClockXtal(phaseClocks);
        in[static_cast<std::size_t>(7 - bit)] = lines_.RequestMiso();
        lines_.SetSck(true);
        ClockXtal(phaseClocks);
        lines_.SetSck(false);
        lines_.IspPause();
    }
    return in;
}

// in[0] is the most significant bit.
std::uint8_t AvrLink::ByteOf(const ByteSamples& samples) {
    std::uint8_t value = 0;
    for (const port::Port::Sample sample : samples)
        value = static_cast<std::uint8_t>((value << 1) | (lines_.MisoOf(sample) ? 1 : 0));
    return value;
}

std::uint8_t AvrLink::SendInstruction(const std::array<std::uint8_t, 4>& bytes, int clockAfterEachByte,
                                      std::uint8_t* answerToThird) {
    return Send(bytes, clockAfterEachByte, true, answerToThird);
}

void AvrLink::SendWrite(const std::array<std::uint8_t, 4>& bytes, int clockAfterEachByte) {
    Send(bytes, clockAfterEachByte, false, nullptr);
}

std::optional<AvrLink::InstructionSamples> AvrLink::SendSampled(const std::array<std::uint8_t, 4>& bytes,
                                                                int clockAfterEachByte) {
    // Into a port that has stopped working an instruction goes nowhere, and the status it reads
    // is no answer: none is sent, so that a command's read-back polls end without writing on.
    if (lines_.PortFailed()) return std::nullopt;
    InstructionSamples samples{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        samples[i] = SpiTransferDeferred(bytes[i]);
        if (clockAfterEachByte != NoClocking) ClockXtal(clockAfterEachByte);
    }
    return samples;
}

void AvrLink::Drop(const InstructionSamples& samples) {
    for (const ByteSamples& byte : samples)
        for (const port::Port::Sample sample : byte) lines_.DropSample(sample);
}

std::uint8_t AvrLink::Send(const std::array<std::uint8_t, 4>& bytes, int clockAfterEachByte, bool answer,
                           std::uint8_t* answerToThird) {
    const auto samples = SendSampled(bytes, clockAfterEachByte);
    if (!samples) return 0xFF;
    if (!answer) {
        Drop(*samples);
        return 0xFF;
    }
    // Only the last two bytes' answers are used; the others' samples are taken all the same.
    std::array<std::uint8_t, 4> in{};
    for (std::size_t i = 0; i < samples->size(); ++i) in[i] = ByteOf((*samples)[i]);
    if (answerToThird != nullptr) *answerToThird = in[2];
    return in[3];
}

bool AvrLink::TryProgrammingEnable() {
    std::uint8_t echo = 0;
    SendInstruction(isp::ProgrammingEnable, ClocksAfterByte, &echo);
    return echo == EnableEcho;
}

bool AvrLink::EnterProgrammingMode() {
    // Nothing has been written yet: a stop asked for meanwhile ends the power-up at its next
    // step, so that a command never begins the work it was told to drop.
    for (int cycle = 0; cycle < PowerCycles; ++cycle) {
        if (StopRequested()) return false;
        lines_.WriteIspLines(false, false, false, false, false);
        clock_.SleepUnlessStopped(FastTiming() ? FastPowerOffMs : PowerOffMs, stopRequested_);
        if (StopRequested()) return false;
        // Power up with RESET and SCK low and the clock running: the datasheets' entry into
        // serial programming. RESET stays low from here until the command switches off.
        lines_.WriteIspLines(true, false, false, false, false);
        PowerUpClock();
        clock_.SleepUnlessStopped(FastTiming() ? FastPowerOnSettleMs : PowerOnSettleMs, stopRequested_);
        for (int attempt = 0; attempt < EnableAttemptsPerPowerCycle; ++attempt) {
            if (StopRequested()) return false;
            if (TryProgrammingEnable()) return true;
            // Out of step, the device does not echo; a positive SCK pulse shifts its bit frame
            // by one before the next try.
            lines_.SetSck(true);
            ClockXtal(ClocksAfterByte);
            lines_.SetSck(false);
            ClockXtal(ClocksAfterByte);
        }
    }
    return false;
}

void AvrLink::PowerUpClock() {
    std::int64_t frequency = 0;
    const bool timed = clock_.QueryPerformanceFrequency(frequency) && frequency > 0;
    const std::int64_t start = timed ? clock_.QueryPerformanceCounter() : 0;
    ClockXtal(PowerUpClocks);
    // Without a counter the port's speed is unknown: the standard phases, long on any port.
    phaseClocks_ = StandardPhaseClocks;
    if (!timed) return;
    const double writeNs = static_cast<double>(clock_.QueryPerformanceCounter() - start) * 1e9 /
                           static_cast<double>(frequency) / (2.0 * (PowerUpClocks + 1));
    // The shortest phase, SCK high, lasts its cycles' two writes each and the write of SCK itself.
    // A port much faster than a parallel one (a USB adapter's pin clock) would otherwise make a
    // phase of the standard timing too short for a chip on its RC oscillator as well: both
    // timings get the cycles that MinSckPhaseNs asks, the standard one never fewer than its own.
    // A counter that did not move while the port wrote learnt nothing: the standard phases stay.
    if (!FastTiming() && writeNs <= 0) return;
    phaseClocks_ = FastTiming() ? FastPhaseClocks : StandardPhaseClocks;
    while (phaseClocks_ < MaxPhaseClocks && (2.0 * (phaseClocks_ + 1) + 1) * writeNs < MinSckPhaseNs) ++phaseClocks_;
}

AvrSignature AvrLink::ReadSignature() {
    AvrSignature signature{};
    for (std::uint8_t index = 0; index < signature.size(); ++index) {
        signature[index] = SendInstruction(At(isp::ReadSignatureByte, index), ClocksAfterByte);
    }
    return signature;
}

void AvrLink::ChipErase() {
    SendWrite(isp::ChipErase, ClocksAfterByte);
    ClockXtal(ClocksAfterChipErase);
    clock_.Sleep(ChipEraseMs);
    AllLinesOff();
}

std::uint8_t AvrLink::ReadFlashByte(int address) { return SendInstruction(ReadFlashInstruction(address), NoClocking); }

int AvrLink::ReadFlashRun(int address, int count, const std::function<bool(int, std::uint8_t)>& accept) {
    return ReadRun(ReadFlashInstruction, address, count, accept);
}

int AvrLink::ReadEepromRun(int address, int count, const std::function<bool(int, std::uint8_t)>& accept) {
    return ReadRun(ReadEepromInstruction, address, count, accept);
}

int AvrLink::ReadRun(ReadInstruction instruction, int address, int count,
                     const std::function<bool(int, std::uint8_t)>& accept) {
    std::deque<std::pair<int, InstructionSamples>> unread;
    int refused = count;
    // Judges the bytes whose answers are in (all of them at the end), in order, until one is
    // refused; the samples of any after it are let go.
    const auto judge = [&](bool all) {
        while (!unread.empty() && (all || lines_.SampleReady(unread.front().second[3].back()))) {
            const auto [offset, samples] = unread.front();
            unread.pop_front();
            if (refused != count) {
                Drop(samples);
                continue;
            }
            for (std::size_t i = 0; i < 3; ++i)
                for (const port::Port::Sample sample : samples[i]) lines_.DropSample(sample);
            if (!accept(offset, ByteOf(samples[3]))) refused = offset;
        }
    };
    for (int k = 0; k < count && refused == count; ++k) {
        const auto samples = SendSampled(instruction(address + k), NoClocking);
        if (!samples) {
            if (!accept(k, 0xFF)) refused = k;
            continue;
        }
        unread.emplace_back(k, *samples);
        judge(false);
    }
    judge(true);
    return refused;
}

void AvrLink::WriteFlashByte(int address, std::uint8_t value) {
    SendWrite(At((address % 2 == 0) ? isp::WriteFlashLow : isp::WriteFlashHigh, address / 2, value), NoClocking);
    ClockXtal(ClocksAfterByteWrite);
}

void AvrLink::LoadPageByte(int offset, std::uint8_t value) {
    SendWrite(At((offset % 2 == 0) ? isp::WriteFlashLow : isp::WriteFlashHigh, Low(offset / 2), value), NoClocking);
    ClockXtal(FastTiming() ? FastClocksAfterPageLoad : ClocksAfterPageLoad);
}

void AvrLink::WriteFlashPage(int page, int pageWords) {
    // The page write takes the page's first word address.
    SendWrite(At(isp::WriteFlashPage, page * pageWords), NoClocking);
    ClockXtal(ClocksAfterPageWrite);
}

std::uint8_t AvrLink::ReadEepromByte(int address) {
    return SendInstruction(ReadEepromInstruction(address), NoClocking);
}

void AvrLink::WriteEepromByte(int address, std::uint8_t value) {
    SendWrite(At(isp::WriteEeprom, address, value), NoClocking);
    ClockXtal(ClocksAfterByteWrite);
}

std::uint8_t AvrLink::ReadFuseLow() { return SendInstruction(isp::ReadFuseLow, ClocksAfterByte); }

std::uint8_t AvrLink::ReadFuseHigh() { return SendInstruction(isp::ReadFuseHigh, ClocksAfterByte); }

void AvrLink::WriteFuseLow(std::uint8_t value) {
    SendWrite(At(isp::WriteFuseLow, 0, value), ClocksAfterByte);
    clock_.Sleep(FuseWriteMs);
}

void AvrLink::WriteFuseHigh(std::uint8_t value) {
    SendWrite(At(isp::WriteFuseHigh, 0, value), ClocksAfterByte);
    clock_.Sleep(FuseWriteMs);
}

std::uint8_t AvrLink::ReadFuseExtended() { return SendInstruction(isp::ReadFuseExtended, ClocksAfterByte); }

void AvrLink::WriteFuseExtended(std::uint8_t value) {
    SendWrite(At(isp::WriteFuseExtended, 0, value), ClocksAfterByte);
    clock_.Sleep(FuseWriteMs);
}

std::uint8_t AvrLink::ReadLockBits() { return SendInstruction(isp::ReadLockBits, ClocksAfterByte); }

void AvrLink::WriteLockBits(std::uint8_t lockByte) {
    SendWrite(At(isp::WriteLockBits, 0, lockByte), ClocksAfterByte);
    clock_.Sleep(FuseWriteMs);
}

void AvrLink::WriteLockBitsAt90s(std::uint8_t lockBits) {
    // A 0 in LB1 or LB2 clears bit 1 or 2 of the second byte.
    const auto second = static_cast<std::uint8_t>(isp::WriteLockBitsAt90s[1] & ~((~lockBits & 0x03) << 1));
    SendWrite({isp::WriteLockBitsAt90s[0], second, 0x00, 0x00}, ClocksAfterByte);
    clock_.Sleep(FuseWriteMs);
}

void AvrLink::AllLinesOff() { lines_.WriteIspLines(false, false, false, false, false); }

}  // namespace tarpel::link
