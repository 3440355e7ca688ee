#pragma once
// The line trace: a port decorator for any backend that records every data-port write and
// status-port read as named board lines in a VCD file. On hardware the bus level is what each
// status read sampled; a backend that can tell the level after a write (the simulated board)
// gives a status probe, so that SDA and MISO changes are recorded when they happen.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "hw/Port.h"
#include "hw/VcdWriter.h"

namespace tarpel::hw {

class TracingPort final : public Port {
public:
    using TimeSource = std::function<std::uint64_t()>;   // ns, never going backwards
    using StatusProbe = std::function<std::uint8_t()>;  // the status byte, read without cost

    // One VCD variable per named line; SUPPLY/VCC, SCL/XTAL1 and SDA_OUT/RESET share a bit,
    // named twice so that the I2C and the SPI decoders each find their own lines.
    enum Line : std::size_t { Supply, Scl, SdaOut, Sda, Vcc, Xtal1, Reset, Mosi, Sck, Miso, LineCount };
    static constexpr std::array<std::string_view, LineCount> LineNames{
        "SUPPLY", "SCL", "SDA_OUT", "SDA", "VCC", "XTAL1", "RESET", "MOSI", "SCK", "MISO"};

    // Opens the trace file; Error() says why when it could not be created.
    TracingPort(std::unique_ptr<Port> inner, const std::string& traceFile, TimeSource now, StatusProbe probe = {});
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
    void RecordData(std::uint8_t value, std::uint64_t timeNs);
    void RecordStatus(std::uint8_t status, std::uint64_t timeNs);

    std::unique_ptr<Port> inner_;
    VcdWriter vcd_;
    TimeSource now_;
    StatusProbe probe_;
};

}  // namespace tarpel::hw
