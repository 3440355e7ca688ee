// SPDX-License-Identifier: GPL-2.0-or-later
// "Programar cambios" of the 24CXXX page: the fast way to store a few typed bytes. Only the
// chip's pages that differ from the image are written.
#include "eeprom/ProgramChanges.h"
#include "ui/ImageHistory.h"
#include "ui/TVentana.h"
#include "ui/TrQ.h"

namespace tarpel::ui {

void TVentana::Programarcambios1Click() {
    auto outcome = shell::CommandOutcome::Cancelled;
    const auto program = [&] {
        const eeprom::WantedBytes wanted(static_cast<std::size_t>(workspace_.ChipImage().size()), true);
        std::size_t pages = 0;
        return outcome = eeprom::ProgramChanges(eepromFrame_, workspace_.ChipImage(), wanted, pages);
    };
    if (!RunCommand(program, TrQ("Programar cambios"))) return;
    // The whole image is on the chip now, as after "Programar chip".
    if (outcome == shell::CommandOutcome::Done) history_->Stored();
}

}  // namespace tarpel::ui
