// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The model behind the hex grid SG: a view of the 24Cxx memory image, eight bytes a row
// (address, eight hex cells, eight character cells). It reads the image on demand and keeps no
// copy of it; it never writes to it (edits go through the image's undo history). It decides the
// colours of the byte cells: edited bytes, bytes a cancelled read did not reach, and the bytes
// the last verification or comparison found different.
#include <QAbstractTableModel>
#include <QChar>
#include <QColor>
#include <QString>

#include <cstdint>
#include <limits>
#include <memory>
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

// What the grid marks in the image besides its bytes.
struct ImageMarks {
    // The image as last loaded, read, saved or programmed (ChipSize bytes): a byte that differs
    // from it is edited. Shared with the undo steps that hold the same bytes.
    std::shared_ptr<const std::vector<std::uint8_t>> baseline;
    // Bytes from this address on were not reached by the last read, which was cancelled.
    std::int32_t unreadFrom = std::numeric_limits<std::int32_t>::max();
};

class HexGridModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int BytesPerRow = 8;
    static constexpr int ColumnCount = 1 + 2 * BytesPerRow;
    // The byte a hex or character cell shows in bits 0-7, its marks above them: what the grid's
    // painter asks for instead of the display text, so that painting a cell asks once and
    // builds no string.
    static constexpr int ByteRole = Qt::UserRole;
    static constexpr int EditedMark = 0x100;
    static constexpr int UnreadMark = 0x200;
    static constexpr int DiffersMark = 0x400;

    // The colours of a byte cell with these marks; an invalid colour leaves the grid's own. Byte
    // cells also answer Qt::BackgroundRole and Qt::ForegroundRole with them.
    struct CellColours {
        QColor background;
        QColor text;
    };
    static CellColours ColoursFor(int marks);
    static const QColor EditedBackground;
    static const QColor UnreadText;

    // The byte a hex or character cell shows; -1 for the address column.
    static int AddressOf(const QModelIndex& index);
    // The cell of a byte in the hex pane or in the character pane.
    QModelIndex CellOf(int address, bool characterPane) const;
    static bool InCharacterPane(const QModelIndex& index) { return index.column() > BytesPerRow; }

    explicit HexGridModel(const eeprom::EepromWorkspace& workspace, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Takes the image as it is now. A new chip size resets the model (true is returned: the
    // view must lay out its columns again); the same size only announces every cell changed,
    // which keeps the view's current cell and scroll position.
    bool Refresh();
    // Repaints the cells of the bytes first .. last (inclusive), in both panes.
    void BytesChanged(int first, int last);

    // The marks to colour the cells by; none when null. The model keeps the pointer.
    void ShowMarks(const ImageMarks* marks) { marks_ = marks; }

    // Marks these bytes (both their cells) until the next Refresh or the next call; an empty
    // list clears the marks.
    void SetDifferences(std::span<const files::ByteDifference> differences);
    bool Differs(std::size_t address) const { return address < differs_.size() && differs_[address]; }
    // The background of a marked byte's cells.
    static QColor DifferenceColor();

private:
    int MarksOf(std::size_t address) const;

    const eeprom::EepromWorkspace& workspace_;
    const ImageMarks* marks_ = nullptr;
    int rows_ = 0;
    std::vector<bool> differs_;  // by address; empty when nothing is marked
};

}  // namespace tarpel::ui
