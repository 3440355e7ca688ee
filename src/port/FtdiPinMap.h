// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// How the cable joins an FTDI adapter's eight bit-bang pins to the board's DB25 connector, in
// one table, and the two translations the FTDI port needs: a parallel-port data byte to the
// adapter's pin byte, and the sampled pins to the status byte a PC port would give for the same
// line levels, so that the line layer above does not know which port it drives.
#include <array>
#include <cstdint>
#include <string_view>

namespace tarpel::port::ftdi {

struct PinRow {
    std::uint8_t ftdiBit;         // D0..D7 (ADBUS0..7 on the H chips)
    std::string_view uartName;    // the pin's name on the adapter's header
    std::string_view db25Pins;    // board connector pins
    std::string_view boardLine;   // what the board does with it
    bool output;                  // driven by the adapter
    std::uint8_t dataBits;        // parallel-port data bits it carries (outputs)
    std::uint8_t statusBit;       // parallel-port status bit it gives (inputs)
};

// A cable: the adapter's eight pins, a row each.
using Cable = std::array<PinRow, 8>;

// The status bit a PC port gives for MISO, at pin 10: set while the AVR drives it high.
inline constexpr std::uint8_t StatusMiso = 0x40;

// The board's inputs sit on pins that are inputs of the UART too, so that an adapter not yet in
// bit-bang mode (or plugged in while the board is attached) drives none of them: its UART
// outputs TXD, RTS# and DTR# idle high. Two of those carry the board's return lines instead, and
// DTR# stays unconnected.
inline constexpr Cable Pins{{
    {0, "TXD", "10", "MISO (retorno del AVR)", false, 0x00, StatusMiso},
    {1, "RXD", "2, 3, 4", "alimentacion 24Cxx / VCC del AVR", true, 0x07, 0x00},
    {2, "RTS#", "11", "retorno de SDA", false, 0x00, 0x80},
    {3, "CTS#", "5", "SCL / XTAL1", true, 0x08, 0x00},
    {4, "DTR#", "-", "sin conectar", false, 0x00, 0x00},
    {5, "DSR#", "6", "SDA / RESET", true, 0x10, 0x00},
    {6, "DCD#", "7", "MOSI", true, 0x20, 0x00},
    {7, "RI#", "8", "SCK", true, 0x40, 0x00},
}};

inline constexpr std::uint8_t OutputMask = [] {
    std::uint8_t mask = 0;
    for (const PinRow& row : Pins)
        if (row.output) mask = static_cast<std::uint8_t>(mask | (1u << row.ftdiBit));
    return mask;
}();

// D4 carries no line and is an input, so what is written to it never reaches a pin. The port
// sets it in the bytes whose sample it will use; the simulated adapter takes those as the
// moments the program reads the lines, and the other samples, which a synchronous bit-bang
// adapter takes at every byte anyway, as nobody's reading.
inline constexpr std::uint8_t SampleMark = 0x10;
static_assert((OutputMask & SampleMark) == 0, "the sample mark must sit on an input pin");

// What a PC port's status register shows for pins no board line drives: pins 12, 13 and 15 read
// high when open, and bits 0..2 read 1 on the usual ports.
inline constexpr std::uint8_t IdleStatusBits = 0x3F;
// Status bit 7 is the inverse of the level at pin 11.
inline constexpr std::uint8_t InvertedStatusBits = 0x80;

// The adapter pins of `cable` for a data byte. The three supply bits always switch together, so
// one pin carries them; a byte with any of them set powers the chip, as any one port pin would.
constexpr std::uint8_t PinsForDataOn(const Cable& cable, std::uint8_t data) {
    std::uint8_t pins = 0;
    for (const PinRow& row : cable)
        if (row.output && (data & row.dataBits) != 0) pins = static_cast<std::uint8_t>(pins | (1u << row.ftdiBit));
    return pins;
}
constexpr std::uint8_t PinsForData(std::uint8_t data) { return PinsForDataOn(Pins, data); }

// The data byte that pins would show on a PC port (the supply as all three bits).
constexpr std::uint8_t DataForPins(std::uint8_t pins) {
    std::uint8_t data = 0;
    for (const PinRow& row : Pins)
        if (row.output && (pins >> row.ftdiBit & 1u) != 0) data = static_cast<std::uint8_t>(data | row.dataBits);
    return data;
}

// The status byte a PC port reads for the pin levels sampled through `cable`.
constexpr std::uint8_t StatusForPinsOn(const Cable& cable, std::uint8_t pins) {
    std::uint8_t status = IdleStatusBits;
    for (const PinRow& row : cable) {
        if (row.output || row.statusBit == 0) continue;
        const bool high = (pins >> row.ftdiBit & 1u) != 0;
        const bool inverted = (row.statusBit & InvertedStatusBits) != 0;
        if (high != inverted) status = static_cast<std::uint8_t>(status | row.statusBit);
    }
    return status;
}
constexpr std::uint8_t StatusForPins(std::uint8_t pins) { return StatusForPinsOn(Pins, pins); }

// The pin levels that give a status byte: the inverse of StatusForPins on the input pins.
constexpr std::uint8_t PinsForStatus(std::uint8_t status) {
    std::uint8_t pins = 0;
    for (const PinRow& row : Pins) {
        if (row.output || row.statusBit == 0) continue;
        const bool set = (status & row.statusBit) != 0;
        const bool inverted = (row.statusBit & InvertedStatusBits) != 0;
        if (set != inverted) pins = static_cast<std::uint8_t>(pins | (1u << row.ftdiBit));
    }
    return pins;
}

}  // namespace tarpel::port::ftdi
