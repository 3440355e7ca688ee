#pragma once
// The board loop-back test: does the SDA return line follow the driven SDA line?
#include "hw/BoardLines.h"
#include "shell/Shell.h"

namespace tarpel::hw {

// Shows one of three message boxes and leaves every line off. True when the board answered.
bool CheckBoard(BoardLines& lines, shell::Shell& shell);

}  // namespace tarpel::hw
