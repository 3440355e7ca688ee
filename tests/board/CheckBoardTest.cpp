// SPDX-License-Identifier: GPL-2.0-or-later
#include <gtest/gtest.h>

#include "RecordingPort.h"
#include "RecordingShell.h"
#include "board/CheckBoard.h"

namespace tarpel::test {
namespace {

// The status that a board with a working loop-back gives: bit 7 is the inverse of driven SDA.
std::uint8_t LoopBack(const RecordingPort& port) {
    return (port.Last() & 0x10) ? 0x7F : 0xFF;
}

TEST(CheckBoard, ReportsEachOutcomeAndAlwaysEndsWithEveryLineOff) {
    struct Case {
        const char* name;
        std::function<std::uint8_t(const RecordingPort&)> status;
        bool ok;
        const char* text;
        const char* caption;
    };
    const Case cases[] = {
        {"loop-back works", LoopBack, true, "El Velcor responde correctamente!!!", "OK"},
        {"return stuck low", [](const RecordingPort&) { return std::uint8_t{0xFF}; }, false,
         "El Velcor no responde correctamente!!!", "ERROR"},
        {"return stuck high", [](const RecordingPort&) { return std::uint8_t{0x7F}; }, false,
         "El Velcor NO responde correctamente!!!", "ERROR"},
    };
    for (const auto& c : cases) {
        RecordingPort port;
        port.statusSource = [&] { return c.status(port); };
        RecordingShell shell;
        link::BoardLines lines(port);
        EXPECT_EQ(board::CheckBoard(lines, shell), c.ok) << c.name;
        ASSERT_EQ(shell.messages.size(), 1u) << c.name;
        EXPECT_EQ(shell.messages[0].text, c.text);
        EXPECT_EQ(shell.messages[0].caption, c.caption);
        EXPECT_EQ(port.Last(), 0x00) << c.name;
    }
}

}  // namespace
}  // namespace tarpel::test
