// SPDX-License-Identifier: GPL-2.0-or-later
// The ATmega8515's clock as its fuses choose it: on the internal RC oscillator it runs by itself
// in virtual time and judges SCK against its own period; on "External" it follows XTAL1; the
// crystal and external-RC modes follow XTAL1 as well but log, at every power-up, that the board's
// square wave is not what those oscillators are made for.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "TempFolder.h"
#include "VirtualAvrTestMaster.h"
#include "board/Board.h"
#include "link/AvrLink.h"
#include "link/BoardLines.h"
#include "sim/SimulatedBoard.h"

namespace tarpel::sim {
namespace {

using test::AvrRig;

constexpr std::array<std::uint8_t, 3> Atmega8515Signature{0x1E, 0x93, 0x06};

std::uint8_t LowFuseWithCksel(int cksel) { return static_cast<std::uint8_t>(0xE0 | cksel); }

int CountLogged(const VirtualAvr& avr, const std::string& words) {
    const auto& entries = avr.Violations().Entries();
    return static_cast<int>(std::count_if(entries.begin(), entries.end(), [&](const ProtocolViolation& v) {
        return v.description.find(words) != std::string::npos;
    }));
}

TEST(VirtualAvrClock, InternalRcRunsWithoutXtal1AndJudgesSckByItsOwnPeriod) {
    for (int cksel = 1; cksel <= 4; ++cksel) {
        const std::uint64_t periodNs = 1000u >> (cksel - 1);  // 1, 2, 4, 8 MHz
        SCOPED_TRACE("CKSEL " + std::to_string(cksel));
        {
            // Not one XTAL1 edge: every SCK phase is one port write of exactly two RC periods.
            AvrRig rig("atmega8515", {}, LowFuseWithCksel(cksel));
            auto& m = rig.master;
            m.writeNs = 2 * periodNs;
            m.lowCycles = m.highCycles = 0;
            m.Lines(true, false, false, false, false);
            m.WaitMs(5);
            EXPECT_FALSE(m.Enable()) << "still starting";
            EXPECT_FALSE(m.Chip().Miso(m.nowNs).has_value());
            m.WaitMs(10);
            EXPECT_TRUE(m.Enable());
            EXPECT_EQ(m.Signature(), Atmega8515Signature);
            EXPECT_EQ(m.Ask(0x50, 0x00, 0x00), LowFuseWithCksel(cksel));
            // Between port writes too: the falling SCK edge that ends a byte counts on the second
            // RC edge, and MISO turns to the echo's first bit (0xA0: 1) right then.
            m.Transfer(0xA0);
            const std::uint64_t fellNs = m.nowNs - m.writeNs;
            EXPECT_EQ(m.Chip().Miso(fellNs + periodNs), false);
            EXPECT_EQ(m.Chip().Miso(fellNs + periodNs + 1), true);
            EXPECT_TRUE(rig.avr.Violations().Empty());
        }
        {
            // Phases of one RC period are too short, however many XTAL1 cycles they hold.
            AvrRig rig("atmega8515", {}, LowFuseWithCksel(cksel));
            auto& m = rig.master;
            m.PowerUp();
            // Two XTAL1 cycles a phase, as the datasheets ask, but five writes (a high phase) take
            // under one RC period and six (a low phase) over one: SCK is never seen high twice.
            m.writeNs = periodNs * 9 / 50;
            m.lowCycles = m.highCycles = 2;
            EXPECT_FALSE(m.Enable());
            EXPECT_EQ(CountLogged(rig.avr, "fase de SCK de menos de 2 ciclos de su oscilador RC interno"), 1);
        }
    }
}

TEST(VirtualAvrClock, TheLinksOwnTimingServesEveryInternalRcFrequencyWhileAPortAccessLastsAMicrosecond) {
    for (int cksel = 1; cksel <= 4; ++cksel) {
        SCOPED_TRACE("CKSEL " + std::to_string(cksel));
        test::TempFolder folder;
        ASSERT_TRUE(ChipStore(folder.Path("")).Save("atmega8515-fuses.bin", {LowFuseWithCksel(cksel), 0xD9}));
        board::BoardOptions options;
        options.board = "sim";
        options.simDir = folder.Path("");
        options.simEeprom = "none";
        board::Board board = board::OpenBoard(options);
        ASSERT_NE(board.simulation, nullptr);
        ASSERT_EQ(board.simulation->accessTimeNs, 1000u) << "the board's own pace, which this test is about";
        link::BoardLines lines(*board.port);
        link::BitTiming timing(*board.clock);
        link::AvrLink link(lines, timing);
        auto& avr = dynamic_cast<VirtualAvr&>(*board.simulation->Avr());

        ASSERT_TRUE(link.EnterProgrammingMode());
        EXPECT_EQ(avr.ClockMode()->source, AvrClockSource::InternalRc);
        EXPECT_EQ(link.ReadSignature(), Atmega8515Signature);
        EXPECT_EQ(link.ReadFuseLow(), LowFuseWithCksel(cksel));
        link.AllLinesOff();
        EXPECT_TRUE(avr.Violations().Empty());

        // The link counts its SCK phases in XTAL1 cycles: a high phase lasts 11 port accesses, a
        // low one 13, which on the RC clock outlast two RC periods only while an access takes over
        // 182 ns at 1 MHz. A faster port (80 ns an access, as a USB adapter's pin clock may be) is
        // timed at the power-up and given longer phases, in the standard timing too.
        if (cksel == 1) {
            board.simulation->accessTimeNs = 80;
            EXPECT_TRUE(link.EnterProgrammingMode());
            EXPECT_EQ(link.ReadSignature(), Atmega8515Signature);
            link.AllLinesOff();
            EXPECT_EQ(CountLogged(avr, "oscilador RC interno"), 0);
        }
    }
}

TEST(VirtualAvrClock, ExternalAndTheOscillatorModesFollowXtal1AndOnlyTheOscillatorsAreLogged) {
    for (int cksel : {0, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}) {
        SCOPED_TRACE("CKSEL " + std::to_string(cksel));
        AvrRig rig("atmega8515", {}, LowFuseWithCksel(cksel));
        auto& m = rig.master;
        const int logged = cksel == 0 ? 0 : 1;
        m.PowerUp();
        EXPECT_TRUE(m.Enable());
        EXPECT_EQ(m.Signature(), Atmega8515Signature);
        EXPECT_EQ(rig.avr.Violations().Entries().size(), static_cast<std::size_t>(logged));
        EXPECT_EQ(CountLogged(rig.avr, "CKSEL " + std::to_string(cksel) + " ("), logged);

        // Powered again: logged again. Without XTAL1 edges the chip stands still, whatever the wait.
        m.Off();
        m.PowerUp();
        m.lowCycles = m.highCycles = 0;
        m.writeNs = 100'000;
        EXPECT_FALSE(m.Enable());
        EXPECT_FALSE(m.Chip().Miso(m.nowNs).has_value());
        EXPECT_EQ(rig.avr.Violations().Entries().size(), static_cast<std::size_t>(2 * logged));
    }
}

TEST(VirtualAvrClock, AClockFuseWrittenInProgrammingModeCountsFromTheNextPowerUp) {
    AvrRig rig("atmega8515");  // factory fuses: internal RC at 1 MHz
    auto& m = rig.master;
    rig.Program();
    ASSERT_EQ(rig.avr.ClockMode()->source, AvrClockSource::InternalRc);
    m.Send(0xAC, 0xA0, 0x00, 0xFF);  // crystal, slowest start-up
    m.WaitMs(4.5);
    EXPECT_EQ(m.Ask(0x50, 0x00, 0x00), 0xFF);
    EXPECT_EQ(rig.avr.ClockMode()->source, AvrClockSource::InternalRc);
    EXPECT_TRUE(rig.avr.Violations().Empty());

    m.Off();
    EXPECT_EQ(rig.avr.ClockMode(), nullptr);
    m.PowerUp();
    EXPECT_EQ(rig.avr.ClockMode()->source, AvrClockSource::Oscillator);
    EXPECT_EQ(CountLogged(rig.avr, "CKSEL 15 (cristal)"), 1);
    EXPECT_TRUE(m.Enable());
}

TEST(VirtualAvrClock, TheAtmega162KeepsThreeFuseBytesAndItsCkdiv8DividesXtal1ByEight) {
    AvrRig rig("atmega162");  // factory: 8 MHz RC divided by 8
    auto& m = rig.master;
    rig.Program();
    EXPECT_EQ((std::array{m.Ask(0x50, 0x00, 0x00), m.Ask(0x58, 0x08, 0x00), m.Ask(0x50, 0x08, 0x00)}),
              (std::array<std::uint8_t, 3>{0x62, 0x99, 0xFF}));
    m.Send(0xAC, 0xA4, 0x00, 0xEF);  // M161C programmed
    m.WaitMs(4.5);
    m.Send(0xAC, 0xA0, 0x00, 0x60);  // external clock, CKDIV8 still programmed
    m.WaitMs(4.5);
    EXPECT_EQ(m.Ask(0x50, 0x08, 0x00), 0xEF);
    EXPECT_TRUE(rig.avr.Violations().Empty());
    for (const int cycles : {2, 16}) {  // 64 chip cycles of start-up are 512 of XTAL1
        m.Off();
        m.PowerUp();
        m.Cycles(512);
        m.lowCycles = m.highCycles = cycles;
        EXPECT_EQ(m.Enable(), cycles == 16) << "two XTAL1 cycles a phase are a quarter of a chip cycle";
    }
}

}  // namespace
}  // namespace tarpel::sim
