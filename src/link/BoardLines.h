// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The line layer of the programmer board: the two line maps of the data port (24Cxx socket and
// AVR socket) with their remembered states, and the two return lines of the status port.
// Each setter is exactly one port write of a byte composed from remembered state; nothing here
// waits, and the port is never read to learn its current value.
#include <cstdint>

#include "port/Port.h"

namespace tarpel::link {

struct BusLines {
    bool supply = false;
    bool scl = false;
    bool sda = false;
};

struct IspLines {
    bool vcc = false;
    bool sck = false;
    bool mosi = false;
    bool reset = false;
    bool xtal = false;
};

// Data port bits as the board wires them. Bits 0..2 always switch together: the chip supply.
namespace bits {
inline constexpr std::uint8_t Supply = 0x07;  // 24Cxx supply / AVR VCC
inline constexpr std::uint8_t SclXtal = 0x08;
inline constexpr std::uint8_t SdaReset = 0x10;
inline constexpr std::uint8_t Mosi = 0x20;
inline constexpr std::uint8_t Sck = 0x40;
inline constexpr std::uint8_t StatusMiso = 0x40;
inline constexpr std::uint8_t StatusSdaInverted = 0x80;  // the port inverts pin 11
}  // namespace bits

std::uint8_t ComposeBusByte(const BusLines& lines);
std::uint8_t ComposeIspByte(const IspLines& lines);

class BoardLines {
public:
    explicit BoardLines(port::Port& port) : port_(port) {}

    // 24Cxx side.
    void WriteBusLines(bool supply, bool scl, bool sda);
    void SetScl(bool level);
    void SetSda(bool level);
    void BusPowerUp();
    bool ReadSdaIn();
    // ReadSdaIn in two halves: the sample where it stands, its level when needed (Port::RequestSample).
    port::Port::Sample RequestSdaIn() { return port_.RequestSample(); }
    bool SdaInOf(port::Port::Sample sample) { return (port_.StatusOf(sample) & bits::StatusSdaInverted) == 0; }

    // AVR side. RESET has no setter of its own: it only changes through WriteIspLines.
    void WriteIspLines(bool vcc, bool sck, bool mosi, bool reset, bool xtal);
    void SetXtal(bool level);
    void SetSck(bool level);
    void SetMosi(bool level);
    bool ReadMiso();
    port::Port::Sample RequestMiso() { return port_.RequestSample(); }
    bool MisoOf(port::Port::Sample sample) { return (port_.StatusOf(sample) & bits::StatusMiso) != 0; }
    bool SampleReady(port::Port::Sample sample) const { return port_.SampleReady(sample); }
    void DropSample(port::Port::Sample sample) { port_.DropSample(sample); }
    // Port::HoldLines: true when the port timed the wait itself.
    bool HoldLines(std::uint64_t nanoseconds) { return port_.HoldLines(nanoseconds); }
    // Marks a pause point of the AVR link, whose timing comes from XTAL1 cycles, not from waits.
    void IspPause() {}

    // Every line of both sides off: data port byte 0x00.
    void AllOff() { WriteBusLines(false, false, false); }

    // The port has stopped working (see Port::Failure).
    bool PortFailed() const { return !port_.Failure().empty(); }

    const BusLines& BusLineState() const { return bus_; }
    const IspLines& IspLineState() const { return isp_; }

private:
    port::Port& port_;
    BusLines bus_;
    IspLines isp_;
};

}  // namespace tarpel::link
