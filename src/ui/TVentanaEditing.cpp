// SPDX-License-Identifier: GPL-2.0-or-later
// Editing the 24Cxx image in the grid: typed bytes, undo and redo, "Ir a direccion..." and
// "Rellenar...", and the window title that names the image's file and marks unsaved changes.
// Nothing here runs while a chip command does: the grid and the menu are disabled then, and the
// handlers refuse as well, for keys that reach them anyway.
#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QUndoStack>

#include "ui/HexFieldsDialog.h"
#include "ui/HexGridModel.h"
#include "ui/HexGridView.h"
#include "ui/ImageHistory.h"
#include "ui/ModalRunner.h"
#include "ui/TVentana.h"
#include "ui/TrQ.h"
#include "ui/WindowTitles.h"

namespace tarpel::ui {

void TVentana::BuildImageHistory() {
    history_ = new ImageHistory(workspace_, *gridModel_, [this](int index) { ShowChipWithoutChange(index); }, this);
    QUndoStack& stack = history_->Stack();
    menu.Deshacer1->setEnabled(false);
    menu.Rehacer1->setEnabled(false);
    connect(&stack, &QUndoStack::canUndoChanged, menu.Deshacer1, &QAction::setEnabled);
    connect(&stack, &QUndoStack::canRedoChanged, menu.Rehacer1, &QAction::setEnabled);
    connect(&stack, &QUndoStack::cleanChanged, this, &TVentana::UpdateTitle);
    connect(menu.Deshacer1, &QAction::triggered, this, &TVentana::Deshacer1Click);
    connect(menu.Rehacer1, &QAction::triggered, this, &TVentana::Rehacer1Click);
    connect(menu.Irdireccion1, &QAction::triggered, this, &TVentana::Irdireccion1Click);
    connect(menu.Rellenar1, &QAction::triggered, this, &TVentana::Rellenar1Click);
    connect(static_cast<HexGridView*>(eepromPage.SG), &HexGridView::ByteTyped, this, &TVentana::ByteTyped);
    UpdateTitle();
}

void TVentana::ByteTyped(int address, int value, bool complete) {
    if (commandRunning_) return;
    history_->TypeByte(address, static_cast<std::uint8_t>(value), !complete);
}

void TVentana::ShowChipWithoutChange(int index) {
    const QSignalBlocker quiet(eepromPage.cbChip);
    eepromPage.cbChip->setCurrentIndex(index);
}

void TVentana::UpdateTitle() {
    const bool modified = history_ && !history_->Stack().isClean();
    if (imageFile_.isEmpty() && !modified) {
        setWindowTitle(MainWindowCaption);
        return;
    }
    const QString name = imageFile_.isEmpty() ? TrQ("sin nombre") : QFileInfo(imageFile_).fileName();
    const QString mark = modified ? QStringLiteral("*") : QString();
    setWindowTitle(QStringLiteral("%1%2 - %3").arg(name, mark, MainWindowCaption));
}

void TVentana::ShowEepromPage() {
    if (commandRunning_ || PageControl1->currentWidget() == eepromPage.ts24CXXX) return;
    PageControl1->setCurrentWidget(eepromPage.ts24CXXX);
    // Painted before a command chosen from the menu touches the chip: the user sees what it works on.
    PageControl1->repaint();
}

void TVentana::Deshacer1Click() {
    if (commandRunning_) return;
    ShowEepromPage();
    history_->Stack().undo();
}

void TVentana::Rehacer1Click() {
    if (commandRunning_) return;
    ShowEepromPage();
    history_->Stack().redo();
}

void TVentana::Irdireccion1Click() {
    if (commandRunning_) return;
    ShowEepromPage();
    const int current = std::max(HexGridModel::AddressOf(eepromPage.SG->currentIndex()), 0);
    HexFieldsDialog dialog(TrQ("Ir a direccion"),
                           {{TrQ("Direccion (hex):"), workspace_.ChipSize - 1, current}}, this);
    if (modalRunner_.Exec(dialog) != QDialog::Accepted) return;
    const auto address = dialog.Value(0);
    if (!address) return;
    const QModelIndex cell = gridModel_->CellOf(*address, HexGridModel::InCharacterPane(eepromPage.SG->currentIndex()));
    eepromPage.SG->setCurrentIndex(cell);
    eepromPage.SG->scrollTo(cell, QAbstractItemView::PositionAtCenter);
    eepromPage.SG->setFocus();
}

void TVentana::Rellenar1Click() {
    if (commandRunning_) return;
    ShowEepromPage();
    const int current = std::max(HexGridModel::AddressOf(eepromPage.SG->currentIndex()), 0);
    HexFieldsDialog dialog(TrQ("Rellenar"),
                           {{TrQ("Desde (hex):"), workspace_.ChipSize - 1, current},
                            {TrQ("Hasta (hex):"), workspace_.ChipSize - 1, workspace_.ChipSize - 1},
                            {TrQ("Valor (hex):"), 0xFF, 0xFF}},
                           this);
    if (modalRunner_.Exec(dialog) != QDialog::Accepted) return;
    const auto first = dialog.Value(0);
    const auto last = dialog.Value(1);
    const auto value = dialog.Value(2);
    if (!first || !last || !value) return;
    const int from = std::min(*first, *last);
    const int to = std::max(*first, *last);
    history_->Fill(from, to, static_cast<std::uint8_t>(*value));
    ForgetImageDifferences();
    SelectBytes(from, to);
    const auto hex = [](int number, int digits) {
        return QStringLiteral("%1").arg(number, digits, 16, QLatin1Char('0')).toUpper();
    };
    lbEstado->setText(TrQ("Rellenadas 0x%1-0x%2 con %3").arg(hex(from, 4), hex(to, 4), hex(*value, 2)));
}

void TVentana::SelectBytes(int first, int last) {
    // The bytes' hex cells: a part of the first row, the whole rows between, a part of the last.
    constexpr int perRow = HexGridModel::BytesPerRow;
    const auto cell = [this](int address) { return gridModel_->CellOf(address, false); };
    const int firstRow = first / perRow;
    const int lastRow = last / perRow;
    QItemSelection bytes;
    if (firstRow == lastRow) {
        bytes.select(cell(first), cell(last));
    } else {
        bytes.select(cell(first), cell(firstRow * perRow + perRow - 1));
        if (lastRow > firstRow + 1) bytes.select(cell((firstRow + 1) * perRow), cell(lastRow * perRow - 1));
        bytes.select(cell(lastRow * perRow), cell(last));
    }
    QItemSelectionModel* selection = eepromPage.SG->selectionModel();
    const QModelIndex start = gridModel_->CellOf(first, false);
    selection->setCurrentIndex(start, QItemSelectionModel::NoUpdate);
    selection->select(bytes, QItemSelectionModel::ClearAndSelect);
    eepromPage.SG->scrollTo(start, QAbstractItemView::PositionAtCenter);
    eepromPage.SG->setFocus();
}

}  // namespace tarpel::ui
