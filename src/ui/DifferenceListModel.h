// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The rows of the difference list: one per differing byte, its address in hexadecimal and the
// two values, under column titles that name what was compared ("Imagen" and "Chip", "Fichero"
// and "Chip"...). It holds its own copy of the list, which can run to a whole chip.
#include <QAbstractTableModel>
#include <QString>

#include <span>
#include <vector>

#include "files/ByteDifferences.h"

namespace tarpel::ui {

class DifferenceListModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetDifferences(std::span<const files::ByteDifference> differences, const QString& expectedName,
                        const QString& foundName);
    const files::ByteDifference& Difference(int row) const { return differences_[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<files::ByteDifference> differences_;
    QString expectedName_;
    QString foundName_;
};

}  // namespace tarpel::ui
