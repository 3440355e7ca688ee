// SPDX-License-Identifier: GPL-2.0-or-later
#include "port/TracingPort.h"

namespace tarpel::port {

namespace {

std::vector<std::string> Names(const std::vector<TracingPort::Line>& lines) {
    std::vector<std::string> names;
    for (const TracingPort::Line& line : lines) names.push_back(line.name);
    return names;
}

// The order in which one register's lines are recorded: each group of lines on the same bits
// where its first line stands.
std::vector<std::size_t> RecordOrder(const std::vector<TracingPort::Line>& lines, bool status) {
    std::vector<std::size_t> order;
    for (std::size_t first = 0; first < lines.size(); ++first) {
        if (lines[first].status != status) continue;
        bool seen = false;
        for (std::size_t before = 0; before < first; ++before)
            seen = seen || (lines[before].status == status && lines[before].mask == lines[first].mask);
        if (seen) continue;
        for (std::size_t same = first; same < lines.size(); ++same)
            if (lines[same].status == status && lines[same].mask == lines[first].mask) order.push_back(same);
    }
    return order;
}

}  // namespace

TracingPort::TracingPort(std::unique_ptr<Port> inner, const std::string& traceFile, std::vector<Line> lines,
                         TimeSource now, StatusProbe probe)
    : inner_(std::move(inner)),
      lines_(std::move(lines)),
      dataOrder_(RecordOrder(lines_, false)),
      statusOrder_(RecordOrder(lines_, true)),
      vcd_(traceFile, Names(lines_)),
      now_(std::move(now)),
      probe_(std::move(probe)) {}

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

void TracingPort::Record(const std::vector<std::size_t>& order, std::uint8_t value, std::uint64_t timeNs) {
    for (const std::size_t index : order) {
        const Line& line = lines_[index];
        const bool high = line.inverted ? (value & line.mask) == 0 : (value & line.mask) == line.mask;
        vcd_.Change(index, high, timeNs);
    }
}

}  // namespace tarpel::port
