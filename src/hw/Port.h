#pragma once
// The byte-level port seam: what the line layer needs of a parallel port, and nothing more.
// One whole byte written to the data register per call, effective before the call returns;
// one byte read from the status register per sample. Backends: ppdev, direct I/O, simulated.
#include <cstdint>

namespace tarpel::hw {

inline constexpr std::uint16_t DataPort = 0x378;    // 888
inline constexpr std::uint16_t StatusPort = 0x379;  // 889

class Port {
public:
    virtual ~Port() = default;

    // Writes one byte to an I/O port. Only the data port reaches the board; other ports are ignored.
    virtual void DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) = 0;
    // Reads one byte from an I/O port. Only the status port is wired; others read as 0xFF.
    virtual std::uint8_t DlPortReadPortUchar(std::uint16_t port) = 0;
};

}  // namespace tarpel::hw
