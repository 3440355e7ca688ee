#include "ui/HexGridModel.h"

#include <QGuiApplication>
#include <QBrush>
#include <QPalette>

#include "eeprom/EepromWorkspace.h"

namespace tarpel::ui {

namespace {

constexpr char16_t MiddleDot = 0x00B7;
// 0xAD is the soft hyphen, which Qt's text layout draws as nothing; the hyphen shows it the way
// a Windows grid did, so the cell is not mistaken for an empty one.
constexpr std::uint8_t SoftHyphen = 0xAD;

}  // namespace

QString GridAddressText(int row) {
    return QStringLiteral("%1").arg(row * HexGridModel::BytesPerRow, 4, 16, QLatin1Char('0')).toUpper();
}

QString GridHexText(std::uint8_t value) {
    static const char digits[] = "0123456789ABCDEF";
    const QChar text[2] = {QLatin1Char(digits[value >> 4]), QLatin1Char(digits[value & 0x0F])};
    return QString(text, 2);
}

QChar GridCharacter(std::uint8_t value) {
    if (value < 0x20 || (value >= 0x80 && value < 0xA0)) return QChar(MiddleDot);
    if (value == SoftHyphen) return QLatin1Char('-');
    return QChar(static_cast<char16_t>(value));
}

HexGridModel::HexGridModel(const eeprom::EepromWorkspace& workspace, QObject* parent)
    : QAbstractTableModel(parent), workspace_(workspace) {}

int HexGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int HexGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant HexGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_) return {};
    const int column = index.column();
    if (role == Qt::BackgroundRole && column == 0) return QGuiApplication::palette().button();
    if (role != Qt::DisplayRole && role != ByteRole && role != Qt::BackgroundRole) return {};
    if (column == 0) return role == Qt::DisplayRole ? QVariant(GridAddressText(index.row())) : QVariant();

    const int position = (column - 1) % BytesPerRow;
    const auto address = static_cast<std::size_t>(index.row()) * BytesPerRow + static_cast<std::size_t>(position);
    if (address >= workspace_.MemoryImage.size()) return {};
    if (role == Qt::BackgroundRole) return Differs(address) ? QVariant(QBrush(DifferenceColor())) : QVariant();
    const std::uint8_t value = workspace_.MemoryImage[address];
    if (role == ByteRole) return int{value};
    if (column <= BytesPerRow) return GridHexText(value);
    return QString(GridCharacter(value));
}

Qt::ItemFlags HexGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    // The address column is the grid's fixed column: visible, never selected.
    if (index.column() == 0) return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QColor HexGridModel::DifferenceColor() { return QColor(0xFF, 0xB0, 0xA0); }  // light red, dark text stays legible

void HexGridModel::SetDifferences(std::span<const files::ByteDifference> differences) {
    const bool hadMarks = !differs_.empty();
    differs_.clear();
    if (!differences.empty()) {
        differs_.assign(workspace_.MemoryImage.size(), false);
        for (const auto& difference : differences)
            if (difference.address < differs_.size()) differs_[difference.address] = true;
    }
    if ((hadMarks || !differs_.empty()) && rows_ > 0)
        emit dataChanged(index(0, 1), index(rows_ - 1, ColumnCount - 1), {Qt::BackgroundRole});
}

bool HexGridModel::Refresh() {
    // The image has changed: the marks of an earlier comparison no longer describe it.
    differs_.clear();
    const int rows = workspace_.ChipSize > 0 ? workspace_.ChipSize / BytesPerRow : 0;
    if (rows != rows_) {
        beginResetModel();
        rows_ = rows;
        endResetModel();
        return true;
    }
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, ColumnCount - 1), {Qt::DisplayRole});
    return false;
}

}  // namespace tarpel::ui
