// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A port decorator that ends the program between two accesses when it is told to: every access
// passes through unchanged until the stop test it was handed answers yes. Then the next access
// switches every line off through the whole inner port (a trace records it, simulated chips
// power down and keep what they hold), closes that port and calls the stop, which does not
// return, however deep inside a command the access stands.
#include <functional>
#include <memory>

#include "port/Port.h"

namespace tarpel::port {

class StopPort final : public Port {
public:
    StopPort(std::unique_ptr<Port> inner, std::function<bool()> stopRequested, std::function<void()> stop)
        : inner_(std::move(inner)), stopRequested_(std::move(stopRequested)), stop_(std::move(stop)) {}

    void DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) override;
    std::uint8_t DlPortReadPortUchar(std::uint16_t port) override;
    std::string Failure() const override { return inner_->Failure(); }
    void ClearFailure() override { inner_->ClearFailure(); }
    Sample RequestSample() override;
    std::uint8_t StatusOf(Sample sample) override;
    bool SampleReady(Sample sample) const override { return inner_->SampleReady(sample); }
    void Flush() override { inner_->Flush(); }
    void DropSample(Sample sample) override;
    bool HoldLines(std::uint64_t nanoseconds) override;

private:
    void StopIfRequested();

    std::unique_ptr<Port> inner_;
    std::function<bool()> stopRequested_;
    std::function<void()> stop_;
};

}  // namespace tarpel::port
