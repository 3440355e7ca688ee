#pragma once
// The byte-level port seam: what the line layer needs of a parallel port, and nothing more.
// One whole byte written to the data register per call, effective before the call returns;
// one byte read from the status register per sample. Backends: ppdev, direct I/O, simulated.
// A backend whose accesses can fail keeps the first failure for the command that runs.
#include <cstdint>
#include <string>

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

    // Why the board stopped working under the running command, for the user (the device or the
    // folder, and the cause); empty while all is well. A backend keeps its first failure until
    // ClearFailure(), and the commands stop at their next byte or page once there is one.
    virtual std::string Failure() const { return {}; }
    virtual void ClearFailure() {}
};

}  // namespace tarpel::hw
