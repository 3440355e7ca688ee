// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The view of the hex grid SG: a table view that paints its visible cells itself. The generic
// item painting asks the style for a panel and lays out each cell's text anew on every paint
// (some 9 us a cell, 5 ms for a screenful of the grid); here the 256 hex texts, the 256
// characters and the addresses on screen are laid out once and then only drawn, and the grid
// lines are plain fills. Selection, the current cell, scrolling and the model stay the table's.
// Typing edits like a hex editor: two hex digits in a hex cell, one character in a character
// cell, and the cursor moves on to the next byte; the arrows wrap from row to row inside a pane
// and Tab goes between a byte's hex cell and its character cell. The view only reports what was
// typed (ByteTyped); whoever keeps the image applies it.
#include <QFont>
#include <QStaticText>
#include <QTableView>

#include <array>
#include <cstdint>
#include <vector>

namespace tarpel::ui {

class HexGridView final : public QTableView {
    Q_OBJECT

public:
    explicit HexGridView(QWidget* parent = nullptr);

signals:
    // A byte's new value, typed into its cell. `complete` is false after the first of a hex
    // cell's two digits: the second one changes the same byte again.
    void ByteTyped(int address, int value, bool complete);

protected:
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;

private:
    // Types one character into the current cell; false when the cell does not take it.
    bool TypeInto(const QModelIndex& cell, QChar typed);

    // The byte whose first hex digit was typed last; -1 when none waits for its second digit.
    int pendingDigitAddress_ = -1;

    // The prepared text of a cell: its address (column 0), the byte's hex digits or its character.
    const QStaticText& CellText(const QModelIndex& index, std::uint8_t value);

    // Covers the blank width right of the last column (see updateGeometries).
    QWidget* blank_;

    // Laid out for this font; a change of font lays them out again.
    QFont textFont_;
    std::array<QStaticText, 256> hexTexts_;
    std::array<QStaticText, 256> characterTexts_;
    std::vector<QStaticText> addressTexts_;
};

}  // namespace tarpel::ui
