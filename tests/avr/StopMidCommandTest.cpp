// SPDX-License-Identifier: GPL-2.0-or-later
// A cancel that comes in the middle of a long AVR command ("Cancelar...", a stop signal in
// tarpel-cli, the window asked to close): the command stops at its next byte or page with every
// line off, is Cancelled, and leaves no file and no verdict behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "AvrBench.h"
#include "avr/BlankTest.h"
#include "avr/ProgramEeprom.h"
#include "avr/ProgramFlash.h"
#include "avr/ReadMemory.h"
#include "avr/VerifyMemory.h"

namespace tarpel::test {
namespace {

using shell::CommandOutcome;

constexpr int CancelAtStep = 20;  // the step of the byte or page loop after which cancel is pressed

std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return bytes;
}

TEST(StopMidCommand, EveryLongAvrCommandStopsAtItsNextByteOrPage) {
    struct Case {
        const char* name;
        const char* model;
        std::function<CommandOutcome(avr::CommandFrame&, const TempFolder&)> run;
        int stepsDone;  // bytes or pages the command got through, with the one it was on
    };
    const Case cases[] = {
        {"byte-mode flash program", "at90s8515",
         [](auto& frame, const auto& folder) {
             return avr::ProgramFlashFrom(frame, folder.Write("in.bin", Pattern(8192)));
         },
         CancelAtStep},
        {"page-mode flash program", "atmega8515",
         [](auto& frame, const auto& folder) {
             return avr::ProgramFlashFrom(frame, folder.Write("in.bin", Pattern(8192)));
         },
         CancelAtStep * 64},
        {"eeprom program", "atmega8515",
         [](auto& frame, const auto& folder) {
             return avr::ProgramEepromFrom(frame, folder.Write("in.bin", Pattern(512)));
         },
         CancelAtStep},
        {"flash read", "at90s8515",
         [](auto& frame, const auto& folder) { return avr::ReadFlashTo(frame, folder.Path("out.bin")); },
         CancelAtStep},
        {"flash verify", "at90s8515",
         [](auto& frame, const auto& folder) {
             return avr::VerifyFlashWith(frame, folder.Write("in.bin", std::vector<std::uint8_t>(8192, 0xFF)));
         },
         CancelAtStep},
        {"blank test", "at90s8515", [](auto& frame, const auto&) { return avr::BlankTest(frame); }, CancelAtStep},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        AvrBench bench(SimOptions(folder, c.model));
        int steps = 0;
        bench.shell.onProcessMessages = [&] {
            if (++steps == CancelAtStep) bench.shell.cancelFlag = true;
        };
        EXPECT_EQ(c.run(bench.frame, folder), CommandOutcome::Cancelled) << c.name;
        EXPECT_EQ(steps, CancelAtStep) << c.name << ": no step after the cancel";
        EXPECT_TRUE(bench.shell.messages.empty()) << c.name << ": no verdict, no error";
        EXPECT_FALSE(std::filesystem::exists(folder.Path("out.bin"))) << c.name;
        EXPECT_EQ(bench.shell.cursor, shell::CursorShape::Default) << c.name;
        EXPECT_EQ(bench.PortByte(), 0x00) << c.name;
        EXPECT_TRUE(bench.Violations().empty()) << c.name << ": " << bench.Violations().front();
        // A program has written what it got through and nothing after.
        const bool programsFlash = std::string(c.name).find("flash program") != std::string::npos;
        const bool programsEeprom = std::string(c.name) == "eeprom program";
        if (programsFlash || programsEeprom) {
            const auto& memory = programsFlash ? bench.Device().Flash() : bench.Device().Eeprom();
            const auto written = Pattern(memory.size());
            for (std::size_t a = 0; a < memory.size(); ++a) {
                const bool done = a < static_cast<std::size_t>(c.stepsDone);
                ASSERT_EQ(memory[a], done ? written[a] : 0xFF) << c.name << " at " << a;
            }
        }
    }
}

}  // namespace
}  // namespace tarpel::test
