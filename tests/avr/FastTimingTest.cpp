// SPDX-License-Identifier: GPL-2.0-or-later
// The fast timing's SCK phases on ports of different speeds: an ATmega8515 on its internal 1 MHz
// RC oscillator ignores XTAL1, so three XTAL1 cycles a phase only serve while the port's writes
// make them last two RC cycles; on a faster port the link gives more cycles.
#include <gtest/gtest.h>

#include "ReadTestData.h"
#include "avr/ReadMemory.h"

namespace tarpel::test {
namespace {

TEST(AvrFastTiming, PhasesLastTwoRcCyclesOnAFastPortAndTheFlashReadsBackWhole) {
    struct Case {
        std::uint64_t accessTimeNs;
        bool threeCycles;  // whether three XTAL1 cycles a phase are long enough
    };
    for (const Case c : {Case{1000, true}, Case{100, false}}) {
        SCOPED_TRACE(std::to_string(c.accessTimeNs) + " ns a port access");
        TempFolder folder;
        std::vector<std::uint8_t> flash(8192);
        for (std::size_t i = 0; i < flash.size(); ++i) flash[i] = static_cast<std::uint8_t>(i * 13 + (i >> 9));
        StoreMemory(folder, "atmega8515", "flash", flash);  // factory fuses: internal RC, 1 MHz
        AvrBench bench(SimOptions(folder, "atmega8515"));
        bench.board.simulation->accessTimeNs = c.accessTimeNs;
        bench.timing.FastTiming = true;

        ASSERT_EQ(avr::ReadFlashTo(bench.frame, folder.Path("copy.bin")), shell::CommandOutcome::Done)
            << (bench.MessageTexts().empty() ? "" : bench.MessageTexts()[0]);
        EXPECT_EQ(folder.ReadBytes("copy.bin"), flash);
        EXPECT_TRUE(bench.Violations().empty()) << bench.Violations()[0];
        EXPECT_EQ(bench.frame.Link().SckPhaseCycles() == 3, c.threeCycles) << bench.frame.Link().SckPhaseCycles();
    }
}

}  // namespace
}  // namespace tarpel::test
