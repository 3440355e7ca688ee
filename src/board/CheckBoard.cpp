// SPDX-License-Identifier: GPL-2.0-or-later
#include "board/CheckBoard.h"

#include "shell/Translate.h"

namespace tarpel::board {

bool CheckBoard(link::BoardLines& lines, shell::Shell& shell) {
    lines.WriteBusLines(true, true, true);
    if (!lines.ReadSdaIn()) {
        lines.AllOff();
        shell.MessageBox(Tr("El Velcor no responde correctamente!!!"), "ERROR");
        return false;
    }
    lines.WriteBusLines(true, true, false);
    if (lines.ReadSdaIn()) {
        lines.AllOff();
        shell.MessageBox(Tr("El Velcor NO responde correctamente!!!"), "ERROR");
        return false;
    }
    lines.WriteBusLines(true, true, true);
    shell.MessageBox(Tr("El Velcor responde correctamente!!!"), "OK");
    lines.AllOff();
    return true;
}

}  // namespace tarpel::board
