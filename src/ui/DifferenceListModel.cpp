// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/DifferenceListModel.h"

#include "ui/HexGridModel.h"
#include "ui/TrQ.h"

namespace tarpel::ui {

void DifferenceListModel::SetDifferences(std::span<const files::ByteDifference> differences,
                                         const QString& expectedName, const QString& foundName) {
    beginResetModel();
    differences_.assign(differences.begin(), differences.end());
    expectedName_ = expectedName;
    foundName_ = foundName;
    endResetModel();
}

int DifferenceListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(differences_.size());
}

int DifferenceListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant DifferenceListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    const files::ByteDifference& difference = Difference(index.row());
    switch (index.column()) {
    case 0: return QString::fromStdString(files::AddressText(difference.address));
    case 1: return GridHexText(difference.expected);
    case 2: return GridHexText(difference.found);
    default: return {};
    }
}

QVariant DifferenceListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    switch (section) {
    case 0: return TrQ("Direccion");
    case 1: return expectedName_;
    case 2: return foundName_;
    default: return {};
    }
}

}  // namespace tarpel::ui
