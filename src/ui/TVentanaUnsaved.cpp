// SPDX-License-Identifier: GPL-2.0-or-later
// The question before typed bytes are lost: quitting (the menu, the close box, a termination
// signal), opening a file, reading the chip into the image and choosing another chip all replace
// or drop the image, and bytes typed into the grid live nowhere else until saved or programmed.
#include "shell/ReentryGuard.h"
#include "shell/Translate.h"
#include "ui/ImageHistory.h"
#include "ui/TVentana.h"

namespace tarpel::ui {

bool TVentana::MayDropEdits() {
    // A command has already been chosen and runs; a hidden window has no one to ask.
    if (commandRunning_) return false;
    if (!history_ || !history_->HasEdits() || !isVisible()) return true;
    QMessageBox::StandardButton answer = QMessageBox::Cancel;
    {
        const shell::ReentryGuard asking(askingAboutEdits_);
        if (!asking) return false;
        quitWithoutAsking_ = false;
        answer = shell_.AskYesNoCancel(Tr("La imagen tiene cambios sin guardar. Desea guardarlos?"), "AVISO:");
    }
    if (quitWithoutAsking_) return true;
    if (answer == QMessageBox::Yes) return SaveImage();
    return answer == QMessageBox::No;
}

}  // namespace tarpel::ui
