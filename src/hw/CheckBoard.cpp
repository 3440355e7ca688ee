#include "hw/CheckBoard.h"

namespace tarpel::hw {

bool CheckBoard(BoardLines& lines, shell::Shell& shell) {
    lines.WriteBusLines(true, true, true);
    if (!lines.ReadSdaIn()) {
        lines.AllOff();
        shell.MessageBox("El Velcor no responde correctamente!!!", "ERROR");
        return false;
    }
    lines.WriteBusLines(true, true, false);
    if (lines.ReadSdaIn()) {
        lines.AllOff();
        shell.MessageBox("El Velcor NO responde correctamente!!!", "ERROR");
        return false;
    }
    lines.WriteBusLines(true, true, true);
    shell.MessageBox("El Velcor responde correctamente!!!", "OK");
    lines.AllOff();
    return true;
}

}  // namespace tarpel::hw
