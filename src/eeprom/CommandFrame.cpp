#include "eeprom/CommandFrame.h"

namespace tarpel::eeprom {

void CommandFrame::StopCommand() {
    shell_.SetCursor(shell::CursorShape::Default);
    lines_.WriteBusLines(false, false, false);
}

void CommandFrame::RefreshGrid() {
    if (workspace_.RefreshGrid) workspace_.RefreshGrid();
}

}  // namespace tarpel::eeprom
