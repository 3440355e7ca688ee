// SPDX-License-Identifier: GPL-2.0-or-later
#include "eeprom/CommandFrame.h"

#include "shell/Progress.h"

namespace tarpel::eeprom {

void CommandFrame::StopCommand() {
    shell_.SetCursor(shell::CursorShape::Default);
    lines_.WriteBusLines(false, false, false);
}

void CommandFrame::RefreshGrid() {
    if (workspace_.RefreshGrid) workspace_.RefreshGrid();
}

bool CommandFrame::ProgressStep(std::string_view label, std::int64_t done, std::int64_t total) {
    // A board that has stopped working is no cancel, but nothing after it would reach the chip.
    return shell::ProgressStep(shell_, label, done, total) || lines_.PortFailed();
}

}  // namespace tarpel::eeprom
