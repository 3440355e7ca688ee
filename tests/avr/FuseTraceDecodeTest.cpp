// SPDX-License-Identifier: GPL-2.0-or-later
// A third party's reading of what "Leer" sends: the line trace of the simulated board, decoded by
// sigrok's spi and avr_isp decoders, which know the fuse instructions on their own.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "AvrBench.h"
#include "ExternalTool.h"
#include "avr/ReadFuses.h"
#include "board/TraceLines.h"
#include "port/TracingPort.h"

namespace tarpel::test {
namespace {

// Passes every access on to a port it does not own.
class ForwardingPort final : public port::Port {
public:
    explicit ForwardingPort(port::Port& inner) : inner_(inner) {}
    void DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) override { inner_.DlPortWritePortUchar(port, value); }
    std::uint8_t DlPortReadPortUchar(std::uint16_t port) override { return inner_.DlPortReadPortUchar(port); }

private:
    port::Port& inner_;
};

// Traces the board only from the moment the device has been named. sigrok's avr_isp decoder
// knows no ATmega8515 and stops at its signature, so the trace starts after the signature reads.
class TraceAfterIdentification final : public port::Port, public avr::AvrView {
public:
    TraceAfterIdentification(board::Board& board, std::string file) : board_(board), file_(std::move(file)) {}

    void SetDeviceCaption(std::string_view) override {
        if (traced_) return;
        const std::uint64_t startNs = board_.simulation->Time().NowNs();
        sim::SimulatedBoard* simulation = board_.simulation;
        traced_ = std::make_unique<port::TracingPort>(
            std::make_unique<ForwardingPort>(*board_.port), file_, board::BoardTraceLines(),
            [simulation, startNs] { return simulation->Time().NowNs() - startNs; },
            [simulation] { return simulation->PeekStatus(); });
    }
    void DlPortWritePortUchar(std::uint16_t port, std::uint8_t value) override { Target().DlPortWritePortUchar(port, value); }
    std::uint8_t DlPortReadPortUchar(std::uint16_t port) override { return Target().DlPortReadPortUchar(port); }
    void Finish() { traced_.reset(); }

private:
    port::Port& Target() { return traced_ ? *traced_ : *board_.port; }

    board::Board& board_;
    std::string file_;
    std::unique_ptr<port::TracingPort> traced_;
};

class KeepPanel final : public avr::FusePanel {
public:
    avr::FuseSettings shown;
    avr::FuseSettings Settings() const override { return shown; }
    void ShowSettings(const avr::FuseSettings& settings) override { shown = settings; }
};

TEST(FuseTraceDecode, SigrokDecodesTheFuseInstructionsOfLeerAsFuseReadsInBothTimings) {
    TARPEL_REQUIRE_TOOL("sigrok-cli");
    struct Case {
        const char* model;
        std::vector<std::uint8_t> fuses;
        std::vector<std::string> decoded;
    };
    const Case cases[] = {
        {"atmega8515", {0xE7, 0xD1}, {"Read fuse bits: 0xe7", "Read fuse high bits: 0xd1"}},
        {"atmega162", {0x62, 0x99, 0xF9},
         {"Read fuse bits: 0x62", "Read fuse high bits: 0x99", "Read extended fuse bits: 0xf9"}}};
    for (const auto& [model, fuses, decoded] : cases) {
        for (const bool fast : {false, true}) {
            SCOPED_TRACE(std::string(model) + (fast ? " fast timing" : " standard timing"));
            TempFolder folder;
            StoreMemory(folder, model, "fuses", fuses);
            const std::string trace = folder.Path("fuses.vcd");
            board::Board board = board::OpenBoard(SimOptions(folder, model));
            ASSERT_NE(board.simulation, nullptr);
            TraceAfterIdentification tracer(board, trace);
            link::BoardLines lines(tracer);
            RecordingShell shell;
            link::BitTiming timing(*board.clock);
            timing.FastTiming = fast;
            avr::CommandFrame frame(lines, timing, shell, tracer);
            KeepPanel panel;
            avr::FuseMemory memory;
            ASSERT_EQ(avr::ReadFuses(frame, panel, memory), shell::CommandOutcome::Done);
            tracer.Finish();

            const std::string output = CommandOutput("sigrok-cli -I vcd -i '" + trace +
                                                     "' -P spi:clk=SCK:mosi=MOSI:miso=MISO:cpol=0:cpha=0,avr_isp -A "
                                                     "avr_isp 2>&1");
            for (const auto& line : decoded) EXPECT_NE(output.find(line), std::string::npos) << output;
            EXPECT_EQ(output.find("Unknown command"), std::string::npos) << output;
            EXPECT_EQ(output.find("Warning"), std::string::npos) << output;
        }
    }
}

}  // namespace
}  // namespace tarpel::test
