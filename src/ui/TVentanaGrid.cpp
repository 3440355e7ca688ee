// SPDX-License-Identifier: GPL-2.0-or-later
// The hex grid of the 24CXXX page: chip selection and rebuilding the view of the image.
#include <QComboBox>
#include <QTableView>
#include <QUndoStack>

#include "ui/DifferenceList.h"
#include "ui/HexGridModel.h"
#include "ui/ImageHistory.h"
#include "ui/TVentana.h"
#include "ui/TrQ.h"

namespace tarpel::ui {

void TVentana::cbChipChange() {
    if (!history_) {  // the first selection, at start-up
        workspace_.cbChipChange(eepromPage.cbChip->currentIndex());
        return;
    }
    // The list has moved already: "Cancelar" puts it back on the chip the image belongs to. A
    // change made by a running command ("Detectar chip") was asked for by that command.
    if (!commandRunning_ && !MayDropEdits()) {
        ShowChipWithoutChange(workspace_.ChipIndex());
        return;
    }
    ImageHistory::State before = history_->Capture();
    workspace_.cbChipChange(eepromPage.cbChip->currentIndex());
    history_->Replaced(std::move(before), TrQ("Cambiar chip"), workspace_.ChipSize);
    // A blank image holds nothing to save; an undo brings the earlier one back, marked as it was.
    history_->Stack().setClean();
    imageFile_.clear();
    UpdateTitle();
}

void TVentana::RefreshGrid() {
    const shell::CursorShape remembered = shell_.Cursor();
    shell_.SetCursor(shell::CursorShape::Hourglass);
    const bool resized = gridModel_->Refresh();
    // A new image or chip: what an earlier comparison listed no longer describes it.
    formDiferencias->ForgetImage();
    if (resized) {
        LayOutGrid();
        // A new size starts at the first byte, as a freshly sized grid does.
        if (gridModel_->rowCount() > 0) eepromPage.SG->setCurrentIndex(gridModel_->index(0, 1));
    }
    shell_.SetCursor(remembered);
}

void TVentana::LayOutGrid() {
    eepromPage.SG->setColumnWidth(0, 50);
    for (int column = 1; column <= HexGridModel::BytesPerRow; ++column) eepromPage.SG->setColumnWidth(column, 30);
    for (int column = HexGridModel::BytesPerRow + 1; column < HexGridModel::ColumnCount; ++column)
        eepromPage.SG->setColumnWidth(column, 12);
}

}  // namespace tarpel::ui
