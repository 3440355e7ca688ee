#pragma once
// The model behind the hex grid SG: a read-only view of the 24Cxx memory image, eight bytes a
// row (address, eight hex cells, eight character cells). It reads the image on demand and
// keeps no copy of it; it never writes to it. It also decides each cell's background: the
// bytes the last verification or comparison found different are marked.
#include <QAbstractTableModel>
#include <QChar>
#include <QColor>
#include <QString>

#include <cstdint>
#include <span>
#include <vector>

#include "files/ByteDifferences.h"

namespace tarpel::eeprom {
class EepromWorkspace;
}

namespace tarpel::ui {

// Column 0: the row's first address as four upper-case hex digits ("0000" .. "FFF8").
QString GridAddressText(int row);
// Columns 1-8: the byte as two upper-case hex digits.
QString GridHexText(std::uint8_t value);
// Columns 9-16: the byte's Windows-1252 character for 0x20-0x7F and 0xA0-0xFF (where that code
// page agrees with Latin-1), the middle dot U+00B7 for the control ranges 0x00-0x1F and 0x80-0x9F.
QChar GridCharacter(std::uint8_t value);

class HexGridModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int BytesPerRow = 8;
    static constexpr int ColumnCount = 1 + 2 * BytesPerRow;
    // The byte a hex or character cell shows, as an int: what the grid's painter asks for
    // instead of the display text, so that painting a cell builds no string.
    static constexpr int ByteRole = Qt::UserRole;

    explicit HexGridModel(const eeprom::EepromWorkspace& workspace, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Takes the image as it is now. A new chip size resets the model (true is returned: the
    // view must lay out its columns again); the same size only announces every cell changed,
    // which keeps the view's current cell and scroll position.
    bool Refresh();

    // Marks these bytes (both their cells) until the next Refresh or the next call; an empty
    // list clears the marks.
    void SetDifferences(std::span<const files::ByteDifference> differences);
    bool Differs(std::size_t address) const { return address < differs_.size() && differs_[address]; }
    // The background of a marked byte's cells.
    static QColor DifferenceColor();

private:
    const eeprom::EepromWorkspace& workspace_;
    int rows_ = 0;
    std::vector<bool> differs_;  // by address; empty when nothing is marked
};

}  // namespace tarpel::ui
