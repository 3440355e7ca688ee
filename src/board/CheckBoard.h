// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The board loop-back test: does the SDA return line follow the driven SDA line?
#include "link/BoardLines.h"
#include "shell/Shell.h"

namespace tarpel::board {

// Shows one of three message boxes and leaves every line off. True when the board answered.
bool CheckBoard(link::BoardLines& lines, shell::Shell& shell);

}  // namespace tarpel::board
