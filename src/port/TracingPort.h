// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The line trace: a port decorator for any backend that records every data-port write and
// status-port read as named lines in a VCD file; which bit is which line is handed to it. On hardware the bus level is what each
// status read sampled; a backend that can tell the level after a write (the simulated board)
// gives a status probe, so that SDA and MISO changes are recorded when they happen.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "port/Port.h"
#include "port/VcdWriter.h"

namespace tarpel::port {

class TracingPort final : public Port {
public:
    using TimeSource = std::function<std::uint64_t()>;   // ns, never going backwards
    using StatusProbe = std::function<std::uint8_t()>;  // the status byte, read without cost

    // One VCD variable per line, in this order. A line is high when every bit of its mask is set
    // in its register (or, inverted, when none is). Lines on the same bits change together, at
    // the place of the first of them, so a bit named twice (for the I2C and the SPI decoders)
    // keeps its two names side by side.
    struct Line {
        std::string name;
        bool status;  // sampled from the status register, not written to the data register
        std::uint8_t mask;
        bool inverted;
    };

    // Opens the trace file; Error() says why when it could not be created.
    TracingPort(std::unique_ptr<Port> inner, const std::string& traceFile, std::vector<Line> lines, TimeSource now,
                StatusProbe probe = {});
    ~TracingPort() override;

    // Why the trace could not be created, or could not be written whole; empty while all is well.
    const std::string& Error() const { return vcd_.Error(); }
    // Ends the recording now and writes out everything; true when the whole trace is in the file.
    // Whoever does not ask gets it done when the port goes away.
    bool Finish() { return vcd_.Finish(now_()); }

    void DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) override;
    std::uint8_t DlPortReadPortUchar(std::uint16_t port) override;
    std::string Failure() const override { return inner_->Failure(); }
    void ClearFailure() override { inner_->ClearFailure(); }
    Sample RequestSample() override;
    std::uint8_t StatusOf(Sample sample) override;
    bool SampleReady(Sample sample) const override;
    void Flush() override { inner_->Flush(); }
    void DropSample(Sample sample) override;
    bool HoldLines(std::uint64_t nanoseconds) override;

private:
    void Record(const std::vector<std::size_t>& order, std::uint8_t value, std::uint64_t timeNs);
    void RecordData(std::uint8_t value, std::uint64_t timeNs) { Record(dataOrder_, value, timeNs); }
    void RecordStatus(std::uint8_t status, std::uint64_t timeNs) { Record(statusOrder_, status, timeNs); }

    std::unique_ptr<Port> inner_;
    std::vector<Line> lines_;
    std::vector<std::size_t> dataOrder_;
    std::vector<std::size_t> statusOrder_;
    VcdWriter vcd_;
    TimeSource now_;
    StatusProbe probe_;
};

}  // namespace tarpel::port
