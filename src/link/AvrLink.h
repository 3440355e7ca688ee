// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The serial downloading link of the AT90S8515, AT90S4414, ATmega8515 and ATmega162: the XTAL1 clock, the
// bit-banged SPI byte, entry into programming mode, and every 4-byte instruction the AVR
// commands send, each with its own XTAL1 clocking and millisecond waits. It shows no message and
// keeps no state of its own; judging whether a write took is the commands' job.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "link/BitTiming.h"
#include "link/BoardLines.h"
#include "port/Clock.h"

namespace tarpel::link {

using AvrSignature = std::array<std::uint8_t, 3>;

class AvrLink {
public:
    // The link waits on the timing's clock and follows its FastTiming: one choice for both chip
    // sides, which nobody can set for one and forget for the other.
    AvrLink(BoardLines& lines, BitTiming& timing) : lines_(lines), timing_(timing), clock_(timing.clock()) {}

    // Gives the device n + 1 XTAL1 cycles and leaves XTAL1 high; nothing for n < 0.
    void ClockXtal(int n);
    // One byte out on MOSI and one in from MISO, most significant bit first; SCK ends low.
    std::uint8_t SpiTransfer(std::uint8_t out);
    // Powers the device up from cold into serial programming mode, at most three times.
    // True when it echoed the enable instruction; VCC stays on either way. False too, at once,
    // when the stop test answers yes: the power-up's waits (most of a second) end early for it.
    bool EnterProgrammingMode();
    // What EnterProgrammingMode asks between its steps; nothing stops it while none is set.
    void SetStopTest(std::function<bool()> stopRequested) { stopRequested_ = std::move(stopRequested); }
    bool StopRequested() const { return stopRequested_(); }

    AvrSignature ReadSignature();
    // Erases flash and EEPROM, waits for the self-timed erase and switches every line off.
    void ChipErase();

    // Flash by byte address: an even address is the low byte of word address / 2.
    std::uint8_t ReadFlashByte(int address);
    // ReadFlashByte over count addresses from `address` on, each value handed to `accept` (with
    // its offset in the run) until it refuses one; returns that offset, or count. On a port that
    // reads at once each byte is judged before the next is read, as a loop of ReadFlashByte
    // would; on a queuing port the values come back a block at a time, and reads past a refused
    // byte were made in vain.
    int ReadFlashRun(int address, int count, const std::function<bool(int, std::uint8_t)>& accept);
    void WriteFlashByte(int address, std::uint8_t value);
    // ATmega page buffer: byte offset inside the page (0..63 on the ATmega8515, 0..127 on the
    // ATmega162), then the commit of page `page` of `pageWords` words.
    void LoadPageByte(int offset, std::uint8_t value);
    void WriteFlashPage(int page, int pageWords);

    std::uint8_t ReadEepromByte(int address);
    // ReadEepromByte over a run of addresses, as ReadFlashRun.
    int ReadEepromRun(int address, int count, const std::function<bool(int, std::uint8_t)>& accept);
    void WriteEepromByte(int address, std::uint8_t value);

    // Fuse bytes: low and high on the ATmega8515 and the ATmega162, extended on the ATmega162.
    // Each write waits out the fuse's self-timed write itself.
    std::uint8_t ReadFuseLow();
    std::uint8_t ReadFuseHigh();
    std::uint8_t ReadFuseExtended();
    void WriteFuseLow(std::uint8_t value);
    void WriteFuseHigh(std::uint8_t value);
    void WriteFuseExtended(std::uint8_t value);

    // Lock bits. ATmega8515: the whole lock byte (LB1 bit 0, LB2 bit 1, the boot lock bits
    // above them), read and written in the fourth byte. AT90S: written only, LB1 and LB2 taken
    // from bits 0 and 1 of `lockBits` into the instruction's second byte; they cannot be read.
    // A 0 programs a bit; each write waits out the chip's self-timed write itself.
    std::uint8_t ReadLockBits();
    void WriteLockBits(std::uint8_t lockByte);
    void WriteLockBitsAt90s(std::uint8_t lockBits);

    // Every AVR-side line to 0: the device unpowered, data port byte 0x00.
    void AllLinesOff();

    BoardLines& Lines() { return lines_; }

    // The opt-in fast timing ("Modo rapido"), as the timing says: SCK phases of 3 XTAL1 cycles
    // instead of 5 (more when the port is too fast for a chip on its internal RC oscillator), the
    // power cycle's waits cut to the datasheets' figures plus a margin, and no clocking after a
    // page-buffer load beyond what the phases give.
    bool FastTiming() const { return timing_.FastTiming; }
    // XTAL1 cycles in each SCK phase, as SpiTransfer gives them (ClockXtal's n + 1).
    int SckPhaseCycles() const { return phaseClocks_ + 1; }

private:
    static constexpr int StandardPhaseClocks = 4;
    static constexpr int FastPhaseClocks = 2;
    static constexpr int NoClocking = -1;

    using ByteSamples = std::array<port::Port::Sample, 8>;
    // SpiTransfer with MISO's samples kept for ByteOf: on a queuing port their values come later.
    ByteSamples SpiTransferDeferred(std::uint8_t out);
    std::uint8_t ByteOf(const ByteSamples& samples);

    // Sends the four bytes, each followed by ClockXtal(clockAfterEachByte), and returns the byte
    // received while the fourth was sent. Also returns the byte received during the third.
    // MISO is sampled as always, but its values are taken only at the end of the instruction.
    std::uint8_t SendInstruction(const std::array<std::uint8_t, 4>& bytes, int clockAfterEachByte,
                                 std::uint8_t* answerToThird = nullptr);
    // An instruction whose answer nobody reads: on a queuing port it goes out with the next
    // block, without a round trip of its own.
    void SendWrite(const std::array<std::uint8_t, 4>& bytes, int clockAfterEachByte);
    // SendInstruction's body; every sample is taken, or dropped when `answer` is false.
    std::uint8_t Send(const std::array<std::uint8_t, 4>& bytes, int clockAfterEachByte, bool answer,
                      std::uint8_t* answerToThird);
    // The four bytes out, MISO sampled through them; empty when the port has failed.
    using InstructionSamples = std::array<ByteSamples, 4>;
    std::optional<InstructionSamples> SendSampled(const std::array<std::uint8_t, 4>& bytes, int clockAfterEachByte);
    void Drop(const InstructionSamples& samples);
    using ReadInstruction = std::array<std::uint8_t, 4> (*)(int address);
    // The run of reads behind ReadFlashRun and ReadEepromRun.
    int ReadRun(ReadInstruction instruction, int address, int count,
                const std::function<bool(int, std::uint8_t)>& accept);
    bool TryProgrammingEnable();
    // Gives the power-up clock burst and times it on the counter to learn how long a port write
    // takes, which sets the XTAL1 cycles of an SCK phase.
    void PowerUpClock();

    BoardLines& lines_;
    const BitTiming& timing_;
    port::Clock& clock_;
    int phaseClocks_ = StandardPhaseClocks;
    std::function<bool()> stopRequested_ = [] { return false; };
};

}  // namespace tarpel::link
