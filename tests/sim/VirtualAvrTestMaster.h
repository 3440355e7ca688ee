// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A small serial-programming master for the virtual AVR tests, at the level of data-port writes:
// it composes the AVR-side byte from its own line state, hands every write to the socket with a
// virtual time stamp, and reads MISO. Written from the datasheets' waveform, independently of the
// program's own link code, so that the two can disagree.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "TempFolder.h"
#include "sim/AvrDeviceModel.h"
#include "sim/SocketChip.h"
#include "sim/VirtualAvr.h"

namespace tarpel::test {

class AvrTestMaster {
public:
    explicit AvrTestMaster(sim::AvrSocketChip& chip) : chip_(chip) {}

    std::uint64_t nowNs = 0;
    std::uint64_t writeNs = 1000;  // one port write costs about a microsecond on a real port
    int lowCycles = 2;             // XTAL1 cycles in each SCK low phase
    int highCycles = 2;            // and in each high phase
    // Sees every write with its time and the MISO level after it (for the VCD trace).
    std::function<void(std::uint64_t, std::uint8_t, std::optional<bool>)> observer;

    bool vcc = false, sck = false, mosi = false, reset = false, xtal = false;

    std::uint8_t Byte() const {
        return static_cast<std::uint8_t>((vcc ? 0x07 : 0) | (xtal ? 0x08 : 0) | (reset ? 0x10 : 0) |
                                         (mosi ? 0x20 : 0) | (sck ? 0x40 : 0));
    }
    void Write() {
        chip_.OnDataWrite(Byte(), nowNs);
        if (observer) observer(nowNs, Byte(), chip_.Miso(nowNs));
        nowNs += writeNs;
    }
    void Lines(bool v, bool s, bool m, bool r, bool x) {
        vcc = v, sck = s, mosi = m, reset = r, xtal = x;
        Write();
    }
    void SetSck(bool level) { sck = level, Write(); }
    void SetMosi(bool level) { mosi = level, Write(); }
    void SetReset(bool level) { reset = level, Write(); }
    void SetXtal(bool level) { xtal = level, Write(); }
    void Cycles(int count) {
        for (int i = 0; i < count; ++i) SetXtal(true), SetXtal(false);
    }
    void WaitMs(double ms) { nowNs += static_cast<std::uint64_t>(ms * 1e6); }
    void Off() { Lines(false, false, false, false, false); }

    // Power-up as the datasheets give it: VCC with RESET and SCK low, clock, then 20 ms.
    void PowerUp(bool resetLow = true) {
        Lines(true, false, false, !resetLow, false);
        Cycles(100);
        WaitMs(20);
    }

    // An undriven MISO reads high, as an open input of the status port does.
    bool ReadMiso() const { return chip_.Miso(nowNs).value_or(true); }

    sim::AvrSocketChip& Chip() { return chip_; }

    // Mode 0, MSB first: MOSI set while SCK is low, MISO read before the rising edge. `bits`
    // below 8 sends only the low bits of `out`.
    std::uint8_t Transfer(std::uint8_t out, int bits = 8) {
        std::uint8_t in = 0;
        for (int bit = bits - 1; bit >= 0; --bit) {
            SetMosi(((out >> bit) & 1) != 0);
            Cycles(lowCycles);
            in = static_cast<std::uint8_t>((in << 1) | (ReadMiso() ? 1 : 0));
            SetSck(true);
            Cycles(highCycles);
            SetSck(false);
        }
        return in;
    }
    std::array<std::uint8_t, 4> Send(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4) {
        return {Transfer(b1), Transfer(b2), Transfer(b3), Transfer(b4)};
    }
    std::uint8_t Ask(std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) { return Send(b1, b2, b3, 0x00)[3]; }

    // One more clock bit, shaped like a bit of Transfer.
    void SckPulse() {
        Cycles(lowCycles);
        SetSck(true);
        Cycles(highCycles);
        SetSck(false);
    }
    // Programming Enable; true when 0x53 came back during the third byte.
    bool Enable() { return Send(0xAC, 0x53, 0x00, 0x00)[2] == 0x53; }

    std::uint8_t ReadFlash(std::uint32_t byteAddress) {
        const std::uint32_t word = byteAddress / 2;
        return Ask((byteAddress & 1) ? 0x28 : 0x20, static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word));
    }
    void WriteFlash(std::uint32_t byteAddress, std::uint8_t data) {
        const std::uint32_t word = byteAddress / 2;
        Send((byteAddress & 1) ? 0x48 : 0x40, static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word), data);
    }
    std::uint8_t ReadEeprom(std::uint32_t address) {
        return Ask(0xA0, static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address));
    }
    void WriteEeprom(std::uint32_t address, std::uint8_t data) {
        Send(0xC0, static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address), data);
    }
    void ChipErase() { Send(0xAC, 0x80, 0x00, 0x00); }
    std::array<std::uint8_t, 3> Signature() { return {Ask(0x30, 0, 0), Ask(0x30, 0, 1), Ask(0x30, 0, 2)}; }

private:
    sim::AvrSocketChip& chip_;
};

// A device of the named model keeping its files in a fresh folder, with a master on its socket.
// An ATmega8515 starts with the factory fuses unless `lowFuse` gives another low byte.
struct AvrRig {
    explicit AvrRig(const char* model, sim::AvrFaults faults = {}, std::optional<std::uint8_t> lowFuse = std::nullopt)
        : avr(*sim::FindAvrDeviceModel(model), Store(folder, model, lowFuse), faults), master(avr) {}
    static sim::ChipStore Store(const TempFolder& folder, const std::string& model, std::optional<std::uint8_t> lowFuse) {
        sim::ChipStore store(folder.Path(""));
        if (lowFuse) store.Save(model + "-fuses.bin", {*lowFuse, sim::FactoryHighFuse});
        return store;
    }
    TempFolder folder;
    sim::VirtualAvr avr;
    AvrTestMaster master;

    // Powered, started up and in programming mode.
    void Program() {
        master.PowerUp();
        master.Enable();
    }
};

}  // namespace tarpel::test
