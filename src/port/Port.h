// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The byte-level port seam: what the line layer needs of a parallel port, and nothing more.
// One whole byte written to the data register per call, effective before the call returns;
// one byte read from the status register per sample. Backends: ppdev, direct I/O, simulated.
// A backend whose accesses can fail keeps the first failure for the command that runs.
#include <cstdint>
#include <string>

namespace tarpel::port {

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

    // Deferred reads, for a port whose every read costs a round trip (the FTDI adapter).
    // RequestSample() marks where the status port is to be sampled, after every write so far;
    // StatusOf() gives that status byte when the caller needs its value, once per sample.
    // Callers that take values late must not let them steer the writes in between. Here, and
    // on every port that reads at once, the request is the read and the sample carries its byte,
    // so a routine built on them reads exactly where it did with DlPortReadPortUchar.
    using Sample = std::uint64_t;
    virtual Sample RequestSample() { return DlPortReadPortUchar(StatusPort); }
    virtual std::uint8_t StatusOf(Sample sample) { return static_cast<std::uint8_t>(sample); }
    // Lets a sample go untaken, for a read the protocol makes but whose value nobody needs.
    virtual void DropSample(Sample) {}
    // Whether StatusOf(sample) is known without a round trip.
    virtual bool SampleReady(Sample) const { return true; }
    // Sends whatever the port has queued.
    virtual void Flush() {}

    // Keeps the lines as they stand for at least `nanoseconds`, timed by the port's own pin
    // clock, and returns true; false on a port without one, whose caller waits on the clock seam.
    virtual bool HoldLines(std::uint64_t /*nanoseconds*/) { return false; }
};

}  // namespace tarpel::port
