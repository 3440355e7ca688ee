// The hex grid of the 24CXXX page: chip selection and rebuilding the view of the image.
#include <QComboBox>
#include <QTableView>

#include "ui/HexGridModel.h"
#include "ui/TVentana.h"

namespace tarpel::ui {

void TVentana::cbChipChange() { workspace_.cbChipChange(cbChip->currentIndex()); }

void TVentana::RefreshGrid() {
    const shell::CursorShape remembered = shell_.Cursor();
    shell_.SetCursor(shell::CursorShape::Hourglass);
    if (gridModel_->Refresh()) {
        LayOutGrid();
        // A new size starts at the first byte, as a freshly sized grid does.
        if (gridModel_->rowCount() > 0) SG->setCurrentIndex(gridModel_->index(0, 1));
    }
    shell_.SetCursor(remembered);
}

}  // namespace tarpel::ui
