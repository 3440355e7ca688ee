// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "ExternalTool.h"
#include "RecordingPort.h"
#include "SimChipFixture.h"
#include "VcdReader.h"
#include "board/TraceLines.h"
#include "port/TracingPort.h"

namespace tarpel::test {
namespace {

// A simulated 24C128 behind the line trace, driven by the test master.
struct TracedSim {
    TracedSim(const std::string& folder, const std::string& traceFile) {
        auto board = std::make_unique<sim::SimulatedBoard>(
            std::make_unique<sim::Virtual24Cxx>(type, sim::ChipStore(folder)), nullptr);
        simulation = board.get();
        port = std::make_unique<port::TracingPort>(
            std::move(board), traceFile, board::BoardTraceLines(), [this] { return simulation->Time().NowNs(); },
            [this] { return simulation->PeekStatus(); });
        master = std::make_unique<TestI2cMaster>(*port, simulation->Time());
    }
    const sim::Eeprom24CxxModel& type = sim::Eeprom24CxxModels[7];
    sim::SimulatedBoard* simulation;
    std::unique_ptr<port::TracingPort> port;
    std::unique_ptr<TestI2cMaster> master;
};

void WriteAndReadBack(TestI2cMaster& master, const sim::Eeprom24CxxModel& type) {
    master.PowerUp();
    ASSERT_TRUE(master.Write(type, 0x1234, {0x11, 0x22, 0x33}));
    ASSERT_GT(master.AckPoll(type), 0);
    ASSERT_EQ(master.Read(type, 0x1234, 3), (std::vector<std::uint8_t>{0x11, 0x22, 0x33}));
    master.PowerOff();
}

TEST(Trace, RecordsEveryNamedLineOnVirtualTimeWithTheBusLevelOfTheSimulation) {
    TemporaryFolder folder;
    const std::string file = (folder.Path() / "trace.vcd").string();
    std::uint64_t endNs = 0;
    {
        TracedSim traced(folder.String(), file);
        ASSERT_EQ(traced.port->Error(), "");
        WriteAndReadBack(*traced.master, traced.type);
        endNs = traced.simulation->Time().NowNs();
    }
    const VcdTrace trace = ReadVcd(file);
    EXPECT_EQ(trace.timescale, "1 ns");
    EXPECT_EQ(trace.names, (std::vector<std::string>{"SUPPLY", "SCL", "SDA_OUT", "SDA", "VCC", "XTAL1", "RESET",
                                                     "MOSI", "SCK", "MISO"}));
    // The power-up write is the first port access: it happens after one access time.
    ASSERT_FALSE(trace.changes.at("SUPPLY").empty());
    EXPECT_EQ(trace.changes.at("SUPPLY")[1].timeNs, 1000u);
    EXPECT_EQ(trace.changes.at("SUPPLY").back().value, '0');
    EXPECT_LE(trace.changes.at("SUPPLY").back().timeNs, endNs);
    // Lines that share a bit are named for both sockets.
    EXPECT_EQ(trace.changes.at("SCL").size(), trace.changes.at("XTAL1").size());
    EXPECT_EQ(trace.changes.at("SDA_OUT").size(), trace.changes.at("RESET").size());

    // The chip takes the bus low while the PC releases SDA (acknowledges, zero bits it sends),
    // and the probe stamps that with the falling SCL edge that caused it, not a later read.
    int chipDrives = 0;
    for (const auto& change : trace.changes.at("SDA")) {
        const auto t = change.timeNs;
        const auto& scl = trace.changes.at("SCL");
        const bool sclFellNow = std::any_of(scl.begin(), scl.end(),
                                            [t](const auto& c) { return c.timeNs == t && c.value == '0'; });
        if (change.value == '0' && trace.At("SDA_OUT", t) == '1' && sclFellNow) ++chipDrives;
    }
    // At least the acknowledges of 0x11, 0x33 and 0xA1, the bytes that end with a 1 bit; the
    // other acknowledges and zero bits follow an SDA that was already low.
    EXPECT_GE(chipDrives, 3);
}

TEST(Trace, OnHardwareTheBusLevelIsWhatEachStatusReadSampled) {
    TemporaryFolder folder;
    const std::string file = (folder.Path() / "hw.vcd").string();
    std::uint64_t now = 0;
    {
        auto recording = std::make_unique<RecordingPort>();
        RecordingPort* raw = recording.get();
        port::TracingPort port(std::move(recording), file, board::BoardTraceLines(), [&] { return now += 500; });
        link::BoardLines lines(port);
        lines.WriteIspLines(true, true, true, false, false);  // 0x67
        raw->status = 0x3F;                                  // SDA return high, MISO low
        EXPECT_TRUE(lines.ReadSdaIn());
        lines.WriteBusLines(true, true, false);
        raw->status = 0xFF;  // SDA low, MISO high
        EXPECT_TRUE(lines.ReadMiso());
    }
    const VcdTrace trace = ReadVcd(file);
    EXPECT_EQ(trace.At("VCC", 500), '1');
    EXPECT_EQ(trace.At("SCK", 500), '1');
    EXPECT_EQ(trace.At("MOSI", 500), '1');
    EXPECT_EQ(trace.At("RESET", 500), '0');
    EXPECT_EQ(trace.At("SDA", 500), 'x');  // not sampled yet
    EXPECT_EQ(trace.At("SDA", 1000), '1');
    EXPECT_EQ(trace.At("MISO", 1000), '0');
    EXPECT_EQ(trace.At("SDA_OUT", 1500), '0');
    EXPECT_EQ(trace.At("SCK", 1500), '0');
    EXPECT_EQ(trace.At("SDA", 2000), '0');
    EXPECT_EQ(trace.At("MISO", 2000), '1');
    EXPECT_GT(trace.endNs, 2000u);
}

TEST(Trace, AnUncreatableFileIsReported) {
    port::TracingPort port(std::make_unique<RecordingPort>(), "/nonexistent-folder/trace.vcd", board::BoardTraceLines(), [] { return 0u; });
    EXPECT_NE(port.Error().find("/nonexistent-folder/trace.vcd"), std::string::npos);
    port.DlPortWritePortUchar(port::DataPort, 0x1F);  // still passes the writes on, harmlessly
}

TEST(Trace, SigrokDecodesTheWriteAndTheReadOfTheTestMaster) {
    TARPEL_REQUIRE_TOOL("sigrok-cli");
    TemporaryFolder folder;
    const std::string file = (folder.Path() / "sigrok.vcd").string();
    {
        TracedSim traced(folder.String(), file);
        WriteAndReadBack(*traced.master, traced.type);
    }
    // The decoder's 24C256 profile takes two address bytes, like the 24C128.
    const std::string output = CommandOutput("sigrok-cli -I vcd -i '" + file +
                                   "' -P i2c:scl=SCL:sda=SDA,eeprom24xx:chip=onsemi_cat24c256 -A eeprom24xx 2>&1");
    EXPECT_NE(output.find("Page write (addr=1234, 3 bytes): 11 22 33"), std::string::npos) << output;
    EXPECT_NE(output.find("Sequential random read (addr=1234, 3 bytes): 11 22 33"), std::string::npos) << output;
}

}  // namespace
}  // namespace tarpel::test
