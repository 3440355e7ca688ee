// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/HexGridModel.h"

#include <QGuiApplication>
#include <QBrush>
#include <QPalette>

#include <algorithm>

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

const QColor HexGridModel::EditedBackground = QColor(0xFF, 0xE8, 0x8C);  // a pale amber
const QColor HexGridModel::UnreadText = QColor(0xA8, 0xA8, 0xA8);        // grey: the earlier image

HexGridModel::HexGridModel(const eeprom::EepromWorkspace& workspace, QObject* parent)
    : QAbstractTableModel(parent), workspace_(workspace) {}

int HexGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int HexGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant HexGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_) return {};
    const int column = index.column();
    if (role == Qt::BackgroundRole && column == 0) return QGuiApplication::palette().button();
    if (role == Qt::BackgroundRole || role == Qt::ForegroundRole) {
        if (column == 0) return {};
        const CellColours colours = ColoursFor(MarksOf(static_cast<std::size_t>(AddressOf(index))));
        const QColor& colour = role == Qt::BackgroundRole ? colours.background : colours.text;
        return colour.isValid() ? QVariant(colour) : QVariant();
    }
    if (role != Qt::DisplayRole && role != ByteRole) return {};
    if (column == 0) return role == Qt::DisplayRole ? QVariant(GridAddressText(index.row())) : QVariant();

    const auto address = static_cast<std::size_t>(AddressOf(index));
    if (address >= workspace_.MemoryImage.size()) return {};
    const std::uint8_t value = workspace_.MemoryImage[address];
    if (role == ByteRole) return int{value} | MarksOf(address);
    if (column <= BytesPerRow) return GridHexText(value);
    return QString(GridCharacter(value));
}

Qt::ItemFlags HexGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    // The address column is the grid's fixed column: visible, never selected.
    if (index.column() == 0) return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

int HexGridModel::MarksOf(std::size_t address) const {
    const int differs = Differs(address) ? DiffersMark : 0;
    if (!marks_) return differs;
    // A byte the read did not reach is dimmed, edited or not: it is not the chip's.
    if (address >= static_cast<std::size_t>(marks_->unreadFrom)) return UnreadMark | differs;
    const std::vector<std::uint8_t>* baseline = marks_->baseline.get();
    const bool edited =
        baseline && address < baseline->size() && workspace_.MemoryImage[address] != (*baseline)[address];
    return (edited ? EditedMark : 0) | differs;
}

HexGridModel::CellColours HexGridModel::ColoursFor(int marks) {
    // A difference outweighs an edit: it is what the user has to look at after a verification.
    QColor background;
    if (marks & DiffersMark) background = DifferenceColor();
    else if ((marks & EditedMark) && !(marks & UnreadMark)) background = EditedBackground;
    return {background, (marks & UnreadMark) ? UnreadText : QColor()};
}

int HexGridModel::AddressOf(const QModelIndex& index) {
    if (!index.isValid() || index.column() == 0) return -1;
    return index.row() * BytesPerRow + (index.column() - 1) % BytesPerRow;
}

QModelIndex HexGridModel::CellOf(int address, bool characterPane) const {
    if (address < 0 || address >= rows_ * BytesPerRow) return {};
    const int position = address % BytesPerRow;
    return index(address / BytesPerRow, 1 + position + (characterPane ? BytesPerRow : 0));
}

void HexGridModel::BytesChanged(int first, int last) {
    if (rows_ == 0) return;
    const int firstRow = std::clamp(first / BytesPerRow, 0, rows_ - 1);
    const int lastRow = std::clamp(last / BytesPerRow, 0, rows_ - 1);
    emit dataChanged(index(firstRow, 1), index(lastRow, ColumnCount - 1));
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
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, ColumnCount - 1));
    return false;
}

}  // namespace tarpel::ui
