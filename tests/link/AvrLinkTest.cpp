// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "FakeClock.h"
#include "RecordingPort.h"
#include "link/AvrLink.h"

namespace tarpel::test {
namespace {

// Turns the recorded data-port writes back into what the AVR sees, as a line of tokens:
// "on"/"off" for VCC, "sN" for N ms without port activity, "xN" for N XTAL1 cycles between
// bytes, "AC" for a byte shifted in on MOSI, "pulseN" for a lone SCK pulse N cycles high. The five XTAL1 cycles
// that lead each bit's rising edge, and the five of its high phase, belong to the byte.
// Anything a device would not accept lands in `problems`.
struct IspTrace {
    std::vector<std::string> tokens;
    std::vector<std::string> problems;
    int sckRises = 0;

    std::string Text() const {
        std::string text;
        for (const auto& t : tokens) text += (text.empty() ? "" : " ") + t;
        return text;
    }
};

IspTrace DecodeIsp(const std::vector<PortWrite>& writes, std::uint8_t previous) {
    IspTrace trace;
    std::uint64_t previousNs = 0;
    int xtalSinceSck = 0;  // XTAL1 rising edges since the last SCK edge (or token)
    int pendingLead = 0;   // cycles before the rising edge that opened the current bit
    int bitCount = 0;
    int byteValue = 0;
    auto flushXtal = [&](int cycles) {
        if (cycles > 0) trace.tokens.push_back("x" + std::to_string(cycles));
    };
    auto hex = [](int value) {
        std::ostringstream s;
        s << std::uppercase << std::hex << (value >> 4) << (value & 0xF);
        return s.str();
    };
    for (const auto& w : writes) {
        const std::uint8_t now = w.value;
        if (w.timeNs != previousNs) {
            flushXtal(xtalSinceSck);
            xtalSinceSck = 0;
            trace.tokens.push_back("s" + std::to_string((w.timeNs - previousNs) / 1'000'000));
            previousNs = w.timeNs;
        }
        const auto rose = [&](std::uint8_t bit) { return !(previous & bit) && (now & bit); };
        const auto fell = [&](std::uint8_t bit) { return (previous & bit) && !(now & bit); };
        if ((now & 0x07) != 0 && (now & 0x07) != 0x07) trace.problems.push_back("supply bits apart");
        if (now & 0x10) trace.problems.push_back("RESET raised");
        if (rose(0x07) || fell(0x07)) {
            flushXtal(xtalSinceSck);
            xtalSinceSck = 0;
            trace.tokens.push_back(rose(0x07) ? "on" : "off");
        }
        if ((previous & 0x40) && (now & 0x40) && ((previous ^ now) & 0x20)) {
            trace.problems.push_back("MOSI changed while SCK high");
        }
        if (rose(0x08)) ++xtalSinceSck;
        if (rose(0x40)) {
            ++trace.sckRises;
            pendingLead = xtalSinceSck;
            xtalSinceSck = 0;
            if (bitCount > 0 && pendingLead != 5) trace.problems.push_back("SCK low phase not 5 cycles");
            byteValue = (byteValue << 1) | ((now & 0x20) ? 1 : 0);
            ++bitCount;
        }
        if (fell(0x40)) {
            const int high = xtalSinceSck;
            xtalSinceSck = 0;
            if (bitCount == 1 && high > 5) {
                // A resynchronising pulse, not the first bit of a byte.
                flushXtal(pendingLead);
                trace.tokens.push_back("pulse" + std::to_string(high));
                bitCount = 0;
                byteValue = 0;
            } else {
                if (high != 5) trace.problems.push_back("SCK high phase not 5 cycles");
                if (bitCount == 1) flushXtal(pendingLead - 5);
                if (bitCount == 8) {
                    trace.tokens.push_back(hex(byteValue));
                    bitCount = 0;
                    byteValue = 0;
                }
            }
        }
        previous = now;
    }
    flushXtal(xtalSinceSck);
    if (bitCount != 0) trace.problems.push_back("incomplete byte");
    return trace;
}

// A device stand-in that answers on MISO: byte n of the exchange (counted from the first status
// read) answers answers(n), most significant bit first.
std::function<std::uint8_t()> MisoBytes(RecordingPort& port, std::function<std::uint8_t(int)> answers) {
    return [&port, answers] {
        const int read = port.statusReads - 1;
        const int bit = 7 - read % 8;
        return static_cast<std::uint8_t>(((answers(read / 8) >> bit) & 1) ? 0x40 : 0x00);
    };
}

struct LinkFixture {
    // The recording port's writes take no time: with no counter the link keeps its standard
    // phases instead of lengthening them for an infinitely fast port.
    FakeClock clock = [] {
        FakeClock c;
        c.hasCounter = false;
        return c;
    }();
    RecordingPort port{&clock};
    link::BoardLines lines{port};
    link::BitTiming timing{clock};
    link::AvrLink link{lines, timing};

    std::uint8_t start = 0;  // the port byte before the recorded writes

    // Powers the device with XTAL1 high, as between instructions, and records from there.
    void Powered() {
        lines.WriteIspLines(true, false, false, false, true);
        start = port.Last();
        port.writes.clear();
    }
    IspTrace Trace() const { return DecodeIsp(port.writes, start); }
};

TEST(AvrLink, ClockXtalGivesOneCycleMoreThanItsArgument) {
    for (auto [n, text] : {std::pair{0, "x1"}, {10, "x11"}, {1000, "x1001"}, {-1, ""}, {-50, ""}}) {
        LinkFixture f;
        f.link.ClockXtal(n);
        EXPECT_EQ(f.Trace().Text(), text) << n;
        if (n >= 0) {
            EXPECT_EQ(f.port.Last() & 0x08, 0x08) << "XTAL1 is left high";
        }
    }
}

TEST(AvrLink, SpiTransferShiftsMostSignificantBitFirstOnRisingEdges) {
    LinkFixture f;
    f.port.status = 0x40;
    EXPECT_EQ(f.link.SpiTransfer(0xAC), 0xFF);
    const IspTrace trace = f.Trace();
    EXPECT_EQ(trace.Text(), "AC");
    EXPECT_TRUE(trace.problems.empty()) << trace.problems.front();

    // MOSI as it stands at each rising SCK edge, in order.
    std::vector<int> mosiAtRise;
    std::uint8_t previous = 0;
    for (const auto& w : f.port.writes) {
        if (!(previous & 0x40) && (w.value & 0x40)) mosiAtRise.push_back((w.value & 0x20) ? 1 : 0);
        previous = w.value;
    }
    EXPECT_EQ(mosiAtRise, (std::vector<int>{1, 0, 1, 0, 1, 1, 0, 0}));
    EXPECT_EQ(f.port.writes.size(), 184u);
    EXPECT_EQ(f.port.statusReads, 8);
    EXPECT_EQ(f.port.Last() & 0x40, 0) << "SCK ends low";

    f.port.status = 0xBF;  // every bit but MISO
    EXPECT_EQ(f.link.SpiTransfer(0x00), 0x00);
}

TEST(AvrLink, SpiTransferSamplesMisoBeforeEachBitsRisingEdge) {
    LinkFixture f;
    // MISO follows the port's SCK: it reads 1 only if sampled while SCK is high.
    f.port.statusSource = [&] { return static_cast<std::uint8_t>((f.port.Last() & 0x40) ? 0x40 : 0x00); };
    EXPECT_EQ(f.link.SpiTransfer(0x55), 0x00);
    f.port.statusSource = MisoBytes(f.port, [](int) { return 0xA5; });
    EXPECT_EQ(f.link.SpiTransfer(0x00), 0xA5);
}

TEST(AvrLink, SpiTransferReadsADeviceThatSeesSckOnlyThroughItsClock) {
    // A device that notices SCK falling only at the second XTAL1 rising edge after it, and only
    // then puts its next bit on MISO: 0xA5 after 0x3C.
    LinkFixture f;
    f.Powered();
    const std::uint16_t answer = 0x3CA5;
    f.port.statusSource = [&] {
        int shifted = 0;
        int xtalSinceFall = 2;
        std::uint8_t previous = f.start;
        for (const auto& w : f.port.writes) {
            if ((previous & 0x40) && !(w.value & 0x40)) xtalSinceFall = 0;
            if (!(previous & 0x08) && (w.value & 0x08) && ++xtalSinceFall == 2) ++shifted;
            previous = w.value;
        }
        return static_cast<std::uint8_t>(((answer >> (15 - shifted)) & 1) ? 0x40 : 0x00);
    };
    EXPECT_EQ(f.link.SpiTransfer(0x00), 0x3C);
    EXPECT_EQ(f.link.SpiTransfer(0x00), 0xA5);
}

TEST(AvrLink, EnterProgrammingModeStopsAtTheFirstEcho) {
    LinkFixture f;
    f.Powered();
    // The device echoes 0x53 during the third byte of the second attempt only.
    f.port.statusSource = MisoBytes(f.port, [](int byte) { return byte == 6 ? 0x53 : 0xFF; });
    EXPECT_TRUE(f.link.EnterProgrammingMode());
    const IspTrace trace = f.Trace();
    EXPECT_EQ(trace.Text(),
              "off s500 on x1001 s300 "
              "AC x11 53 x11 00 x11 00 x11 pulse11 x11 "
              "AC x11 53 x11 00 x11 00 x11");
    EXPECT_TRUE(trace.problems.empty()) << trace.problems.front();
    EXPECT_EQ(f.clock.sleeps, (std::vector<std::uint32_t>{500, 300}));
    EXPECT_EQ(f.lines.IspLineState().vcc, true);
}

TEST(AvrLink, EnterProgrammingModeGivesUpAfterThreePowerCycles) {
    // A silent device, and one whose 0x53 comes a byte late, during the fourth byte.
    const std::function<std::uint8_t(int)> devices[] = {
        [](int) { return 0xFF; },
        [](int byte) { return byte % 4 == 3 ? 0x53 : 0x00; },
    };
    for (const auto& device : devices) {
        LinkFixture f;
        f.port.statusSource = MisoBytes(f.port, device);
        EXPECT_FALSE(f.link.EnterProgrammingMode());
        const IspTrace trace = f.Trace();
        int attempts = 0;
        int pulses = 0;
        int powerUps = 0;
        for (const auto& t : trace.tokens) {
            attempts += t == "AC";
            pulses += t == "pulse11";
            powerUps += t == "on";
        }
        EXPECT_EQ(powerUps, 3);
        EXPECT_EQ(attempts, 93);
        EXPECT_EQ(pulses, 93);
        EXPECT_EQ(f.port.statusReads, 93 * 32);
        EXPECT_EQ(f.clock.sleeps, (std::vector<std::uint32_t>{500, 300, 500, 300, 500, 300}));
        EXPECT_TRUE(trace.problems.empty()) << trace.problems.front();
        EXPECT_TRUE(f.lines.IspLineState().vcc) << "the caller switches off";
    }
}

TEST(AvrLink, InstructionsSendTheirBytesAndClocking) {
    struct Case {
        const char* name;
        std::function<void(link::AvrLink&)> run;
        const char* text;
        std::vector<std::uint32_t> sleeps;
    };
    const Case cases[] = {
        {"ReadFlashByte(5)", [](link::AvrLink& l) { l.ReadFlashByte(5); }, "28 00 02 00", {}},
        {"ReadFlashByte(4)", [](link::AvrLink& l) { l.ReadFlashByte(4); }, "20 00 02 00", {}},
        {"ReadFlashByte(0x1FFF)", [](link::AvrLink& l) { l.ReadFlashByte(0x1FFF); }, "28 0F FF 00", {}},
        {"WriteFlashByte(0x1235, 0x5A)", [](link::AvrLink& l) { l.WriteFlashByte(0x1235, 0x5A); },
         "48 09 1A 5A x101", {}},
        {"LoadPageByte(63, 0x11)", [](link::AvrLink& l) { l.LoadPageByte(63, 0x11); }, "48 00 1F 11 x33", {}},
        {"LoadPageByte(0, 0x22)", [](link::AvrLink& l) { l.LoadPageByte(0, 0x22); }, "40 00 00 22 x33", {}},
        {"WriteFlashPage(127)", [](link::AvrLink& l) { l.WriteFlashPage(127, 32); }, "4C 0F E0 00 x129", {}},
        {"WriteFlashPage(1)", [](link::AvrLink& l) { l.WriteFlashPage(1, 32); }, "4C 00 20 00 x129", {}},
        {"WriteFlashPage(127, 64)", [](link::AvrLink& l) { l.WriteFlashPage(127, 64); }, "4C 1F C0 00 x129", {}},
        {"ReadEepromByte(0x1FF)", [](link::AvrLink& l) { l.ReadEepromByte(0x1FF); }, "A0 01 FF 00", {}},
        {"WriteEepromByte(0x100, 0x80)", [](link::AvrLink& l) { l.WriteEepromByte(0x100, 0x80); },
         "C0 01 00 80 x101", {}},
        {"ReadSignature", [](link::AvrLink& l) { l.ReadSignature(); },
         "30 x11 00 x11 00 x11 00 x11 30 x11 00 x11 01 x11 00 x11 30 x11 00 x11 02 x11 00 x11", {}},
        {"ReadFuseLow", [](link::AvrLink& l) { l.ReadFuseLow(); }, "50 x11 00 x11 00 x11 00 x11", {}},
        {"ReadFuseHigh", [](link::AvrLink& l) { l.ReadFuseHigh(); }, "58 x11 08 x11 00 x11 00 x11", {}},
        {"WriteFuseLow(0xE1)", [](link::AvrLink& l) { l.WriteFuseLow(0xE1); }, "AC x11 A0 x11 00 x11 E1 x11",
         {50}},
        {"WriteFuseHigh(0xD9)", [](link::AvrLink& l) { l.WriteFuseHigh(0xD9); }, "AC x11 A8 x11 00 x11 D9 x11",
         {50}},
        {"ReadFuseExtended", [](link::AvrLink& l) { l.ReadFuseExtended(); }, "50 x11 08 x11 00 x11 00 x11", {}},
        {"WriteFuseExtended(0xF9)", [](link::AvrLink& l) { l.WriteFuseExtended(0xF9); },
         "AC x11 A4 x11 00 x11 F9 x11", {50}},
    };
    for (const auto& c : cases) {
        LinkFixture f;
        f.Powered();
        c.run(f.link);
        const IspTrace trace = f.Trace();
        EXPECT_EQ(trace.Text(), c.text) << c.name;
        EXPECT_TRUE(trace.problems.empty()) << c.name << ": " << trace.problems.front();
        EXPECT_EQ(f.clock.sleeps, c.sleeps) << c.name;
        EXPECT_TRUE(f.lines.IspLineState().vcc) << c.name << " leaves the device powered";
    }
}

TEST(AvrLink, ChipEraseWaitsThenSwitchesEverythingOff) {
    LinkFixture f;
    f.Powered();
    f.link.ChipErase();
    // The 11 cycles after the last byte and the 1001 of the erase run together.
    EXPECT_EQ(f.Trace().Text(), "AC x11 80 x11 00 x11 00 x1012 s100 off");
    EXPECT_EQ(f.clock.sleeps, (std::vector<std::uint32_t>{100}));
    EXPECT_EQ(f.port.Last(), 0x00);
}

TEST(AvrLink, ReadsAnswerWithTheByteOfTheFourthTransfer) {
    LinkFixture f;
    f.Powered();
    // Each byte answers its own index within the exchange, plus 0x40.
    f.port.statusSource = MisoBytes(f.port, [](int byte) { return 0x40 + byte; });
    EXPECT_EQ(f.link.ReadFlashByte(0), 0x43);
    EXPECT_EQ(f.link.ReadEepromByte(0), 0x47);
    EXPECT_EQ(f.link.ReadFuseLow(), 0x4B);
    EXPECT_EQ(f.link.ReadFuseHigh(), 0x4F);
    EXPECT_EQ(f.link.ReadSignature(), (link::AvrSignature{0x53, 0x57, 0x5B}));
}

}  // namespace
}  // namespace tarpel::test
