#include "hw/TracingPort.h"

#include <vector>

#include "hw/BoardLines.h"

namespace tarpel::hw {

namespace {

std::vector<std::string> Names() {
    return {TracingPort::LineNames.begin(), TracingPort::LineNames.end()};
}

}  // namespace

TracingPort::TracingPort(std::unique_ptr<Port> inner, const std::string& traceFile, TimeSource now,
                         StatusProbe probe)
    : inner_(std::move(inner)), vcd_(traceFile, Names()), now_(std::move(now)), probe_(std::move(probe)) {}

TracingPort::~TracingPort() { vcd_.Finish(now_()); }

void TracingPort::DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) {
    inner_->DlPortWritePortUchar(port, value);
    if (port != DataPort) return;
    const std::uint64_t time = now_();
    RecordData(value, time);
    if (probe_) RecordStatus(probe_(), time);
}

std::uint8_t TracingPort::DlPortReadPortUchar(std::uint16_t port) {
    const std::uint8_t status = inner_->DlPortReadPortUchar(port);
    if (port == StatusPort) RecordStatus(status, now_());
    return status;
}

// A sample the inner port already holds is recorded now, as a read is, and its byte travels in
// the sample itself; one still queued is recorded when its value comes back.
namespace {
constexpr Port::Sample ValueCarried = Port::Sample{1} << 63;
}  // namespace

Port::Sample TracingPort::RequestSample() {
    const Sample sample = inner_->RequestSample();
    if (!inner_->SampleReady(sample)) return sample;
    const std::uint8_t status = inner_->StatusOf(sample);
    RecordStatus(status, now_());
    return ValueCarried | status;
}

std::uint8_t TracingPort::StatusOf(Sample sample) {
    if ((sample & ValueCarried) != 0) return static_cast<std::uint8_t>(sample);
    const std::uint8_t status = inner_->StatusOf(sample);
    RecordStatus(status, now_());
    return status;
}

bool TracingPort::SampleReady(Sample sample) const {
    return (sample & ValueCarried) != 0 || inner_->SampleReady(sample);
}

void TracingPort::DropSample(Sample sample) {
    if ((sample & ValueCarried) == 0) inner_->DropSample(sample);
}

bool TracingPort::HoldLines(std::uint64_t nanoseconds) { return inner_->HoldLines(nanoseconds); }

void TracingPort::RecordData(std::uint8_t value, std::uint64_t timeNs) {
    const bool supply = (value & bits::Supply) == bits::Supply;
    const bool sclXtal = (value & bits::SclXtal) != 0;
    const bool sdaReset = (value & bits::SdaReset) != 0;
    vcd_.Change(Supply, supply, timeNs);
    vcd_.Change(Vcc, supply, timeNs);
    vcd_.Change(Scl, sclXtal, timeNs);
    vcd_.Change(Xtal1, sclXtal, timeNs);
    vcd_.Change(SdaOut, sdaReset, timeNs);
    vcd_.Change(Reset, sdaReset, timeNs);
    vcd_.Change(Mosi, (value & bits::Mosi) != 0, timeNs);
    vcd_.Change(Sck, (value & bits::Sck) != 0, timeNs);
}

void TracingPort::RecordStatus(std::uint8_t status, std::uint64_t timeNs) {
    vcd_.Change(Sda, (status & bits::StatusSdaInverted) == 0, timeNs);
    vcd_.Change(Miso, (status & bits::StatusMiso) != 0, timeNs);
}

}  // namespace tarpel::hw
