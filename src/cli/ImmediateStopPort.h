#pragma once
// The outermost port of tarpel-cli's board: every access passes through, unchanged, until a
// second stop signal comes that its handler could not act on (see StopSignals). Then the next
// access, on the program's own thread, switches every line off through the whole board (the
// trace records it, the simulated chips power down and keep what they hold), closes the board
// and ends the program there, however deep inside a command it stands.
#include <memory>

#include "hw/Port.h"

namespace tarpel::cli {

class ImmediateStopPort final : public hw::Port {
public:
    explicit ImmediateStopPort(std::unique_ptr<hw::Port> inner) : inner_(std::move(inner)) {}

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
    void StopIfForced();

    std::unique_ptr<hw::Port> inner_;
};

}  // namespace tarpel::cli
