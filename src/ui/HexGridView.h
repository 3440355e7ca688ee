#pragma once
// The view of the hex grid SG: a table view that paints its visible cells itself. The generic
// item painting asks the style for a panel and lays out each cell's text anew on every paint
// (some 9 us a cell, 5 ms for a screenful of the grid); here the 256 hex texts, the 256
// characters and the addresses on screen are laid out once and then only drawn, and the grid
// lines are plain fills. Selection, the current cell, scrolling and the model stay the table's.
#include <QFont>
#include <QStaticText>
#include <QTableView>

#include <array>
#include <vector>

namespace tarpel::ui {

class HexGridView final : public QTableView {
    Q_OBJECT

public:
    explicit HexGridView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;

private:
    // The prepared text of a cell: its address (column 0), its hex digits or its character.
    const QStaticText& CellText(const QModelIndex& index);

    // Covers the blank width right of the last column (see updateGeometries).
    QWidget* blank_;

    // Laid out for this font; a change of font lays them out again.
    QFont textFont_;
    std::array<QStaticText, 256> hexTexts_;
    std::array<QStaticText, 256> characterTexts_;
    std::vector<QStaticText> addressTexts_;
};

}  // namespace tarpel::ui
