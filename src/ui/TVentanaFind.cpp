// SPDX-License-Identifier: GPL-2.0-or-later
// Find in the 24Cxx image: "Buscar..." (Ctrl+F) opens the find dialog, F3 and Shift+F3 go to the
// next and the previous hit. The search is eeprom::FindBytes over the chip's part of the image;
// here the grid moves to the hit and the status bar says where it was found.
#include <QAction>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>

#include <algorithm>

#include "eeprom/FindBytes.h"
#include "ui/FindDialog.h"
#include "ui/HexGridModel.h"
#include "ui/PageKeys.h"
#include "ui/TVentana.h"
#include "ui/TrQ.h"

namespace tarpel::ui {

void TVentana::ConnectFindHandlers() {
    menu.Memoria1->addSeparator();
    menu.Buscar1 = menu.Memoria1->addAction(TrQ("&Buscar..."));
    menu.Buscar1->setObjectName(QStringLiteral("Buscar1"));
    menu.Buscar1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    menu.Buscarsiguiente1 = menu.Memoria1->addAction(TrQ("Buscar &siguiente"));
    menu.Buscarsiguiente1->setObjectName(QStringLiteral("Buscarsiguiente1"));
    menu.Buscarsiguiente1->setShortcut(QKeySequence(Qt::Key_F3));
    menu.Buscaranterior1 = menu.Memoria1->addAction(TrQ("Buscar a&nterior"));
    menu.Buscaranterior1->setObjectName(QStringLiteral("Buscaranterior1"));
    menu.Buscaranterior1->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    connect(menu.Buscar1, &QAction::triggered, this, &TVentana::Buscar1Click);
    connect(menu.Buscarsiguiente1, &QAction::triggered, this, &TVentana::Buscarsiguiente1Click);
    connect(menu.Buscaranterior1, &QAction::triggered, this, &TVentana::Buscaranterior1Click);
    new PageKeys(*PageControl1, *eepromPage.ts24CXXX, {menu.Buscarsiguiente1, menu.Buscaranterior1}, this);
}

void TVentana::Buscar1Click() {
    if (commandRunning_) return;
    ShowEepromPage();
    if (!formBuscar_) {
        formBuscar_ = new FindDialog(this);
        connect(formBuscar_, &FindDialog::FindRequested, this, &TVentana::FindInImage);
    }
    formBuscar_->show();
    formBuscar_->raise();
    formBuscar_->activateWindow();
    formBuscar_->edBuscar->setFocus();
    formBuscar_->edBuscar->selectAll();
}

void TVentana::Buscarsiguiente1Click() {
    // Nothing to find yet: the dialog asks for it.
    if (!formBuscar_ || !formBuscar_->Pattern()) Buscar1Click();
    else FindInImage(false);
}

void TVentana::Buscaranterior1Click() {
    if (!formBuscar_ || !formBuscar_->Pattern()) Buscar1Click();
    else FindInImage(true);
}

void TVentana::FindInImage(bool backwards) {
    const auto pattern = formBuscar_ ? formBuscar_->Pattern() : std::nullopt;
    if (commandRunning_ || !pattern) return;
    ShowEepromPage();
    QTableView& grid = *eepromPage.SG;
    const bool characterPane = HexGridModel::InCharacterPane(grid.currentIndex());
    const std::int32_t current = std::max(HexGridModel::AddressOf(grid.currentIndex()), 0);
    // From the last hit the search goes on past it; from any other cell it starts at that cell.
    const std::int32_t from = current == lastHit_ ? current + (backwards ? -1 : 1) : current;
    const auto found = eeprom::FindBytes(workspace_.ChipImage(), *pattern, from,
                                         backwards ? eeprom::FindDirection::Backward : eeprom::FindDirection::Forward);
    if (!found) {
        lastHit_ = -1;
        lbEstado->setText(TrQ("Busqueda: no se encuentra"));
        return;
    }
    lastHit_ = found->address;
    // The whole hit, in both panes, the cursor on its first byte in the pane it was in.
    QItemSelection hit;
    const std::int32_t end = found->address + static_cast<std::int32_t>(pattern->size()) - 1;
    for (std::int32_t rowStart = found->address; rowStart <= end;) {
        const std::int32_t rowEnd = std::min(end, (rowStart / HexGridModel::BytesPerRow + 1) * HexGridModel::BytesPerRow - 1);
        for (const bool pane : {false, true}) hit.select(gridModel_->CellOf(rowStart, pane), gridModel_->CellOf(rowEnd, pane));
        rowStart = rowEnd + 1;
    }
    const QModelIndex first = gridModel_->CellOf(found->address, characterPane);
    grid.selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    grid.selectionModel()->select(hit, QItemSelectionModel::ClearAndSelect);
    grid.scrollTo(first, QAbstractItemView::PositionAtCenter);
    const QString address = QStringLiteral("%1").arg(found->address, 4, 16, QLatin1Char('0')).toUpper();
    if (!found->wrapped) lbEstado->setText(TrQ("Busqueda: encontrado en %1").arg(address));
    else if (backwards) lbEstado->setText(TrQ("Busqueda: vuelta al final; encontrado en %1").arg(address));
    else lbEstado->setText(TrQ("Busqueda: vuelta al principio; encontrado en %1").arg(address));
}

}  // namespace tarpel::ui
