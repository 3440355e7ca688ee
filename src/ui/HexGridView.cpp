#include "ui/HexGridView.h"

#include <QHeaderView>
#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include <algorithm>

#include "ui/HexGridModel.h"

namespace tarpel::ui {

namespace {

const QStaticText& Prepared(QStaticText& text, const QString& content, const QFont& font) {
    if (text.text().isEmpty()) {
        text.setTextFormat(Qt::PlainText);
        text.setText(content);
        text.prepare(QTransform(), font);
    }
    return text;
}

}  // namespace

HexGridView::HexGridView(QWidget* parent) : QTableView(parent), blank_(new QWidget(this)) {
    blank_->setObjectName(QStringLiteral("blank"));
    blank_->setBackgroundRole(QPalette::Base);
    blank_->setAutoFillBackground(true);
    blank_->setAttribute(Qt::WA_TransparentForMouseEvents);  // clicks and the wheel reach the viewport
    blank_->hide();
}

// The columns take 386 pixels of a viewport that is usually three times as wide. A model reset
// (every change of chip) repaints the whole viewport, and on an X server filling the blank
// part costs more than drawing every cell. An opaque plain widget over that part, above the
// viewport, takes it out of the viewport's repaints; it paints itself only when it is resized
// or shown. Empty space looks as before: the viewport's own background colour.
void HexGridView::updateGeometries() {
    QTableView::updateGeometries();
    const QRect area = viewport()->geometry();
    const int gridRight = area.left() + horizontalHeader()->length() - horizontalOffset();
    const QRect blank(gridRight, area.top(), area.right() + 1 - gridRight, area.height());
    // Only real changes: even a raise to where it already is repaints it.
    if (blank.width() <= 0) {
        blank_->hide();
    } else if (blank != blank_->geometry() || blank_->isHidden()) {
        blank_->setGeometry(blank);
        blank_->raise();
        blank_->show();
    }
}

const QStaticText& HexGridView::CellText(const QModelIndex& index) {
    const int column = index.column();
    if (column == 0) {
        const auto row = static_cast<std::size_t>(index.row());
        if (row >= addressTexts_.size()) addressTexts_.resize(row + 1);
        return Prepared(addressTexts_[row], GridAddressText(index.row()), textFont_);
    }
    const auto value = static_cast<std::uint8_t>(index.data(HexGridModel::ByteRole).toInt());
    if (column <= HexGridModel::BytesPerRow) return Prepared(hexTexts_[value], GridHexText(value), textFont_);
    return Prepared(characterTexts_[value], QString(GridCharacter(value)), textFont_);
}

// Draws what the table's own painting draws for this grid (cells in the style's place and
// colours, a one-pixel grid line right of and below each cell, the focus frame on the current
// cell) for the rows and columns inside the dirty rectangle only.
void HexGridView::paintEvent(QPaintEvent* event) {
    const QAbstractItemModel* itemModel = model();
    if (!itemModel) return;
    const int rows = itemModel->rowCount(rootIndex());
    const int columns = itemModel->columnCount(rootIndex());
    if (rows == 0 || columns == 0) return;

    const QRect area = event->rect();
    const int firstRow = rowAt(area.top());
    if (firstRow < 0) return;  // below the last row: nothing but background
    int lastRow = rowAt(area.bottom());
    if (lastRow < 0) lastRow = rows - 1;
    int lastColumn = columnAt(area.right());
    if (lastColumn < 0) lastColumn = columns - 1;
    const int firstColumn = std::max(columnAt(area.left()), 0);

    if (font() != textFont_) {
        textFont_ = font();
        hexTexts_.fill(QStaticText());
        characterTexts_.fill(QStaticText());
        addressTexts_.clear();
    }
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QPalette::ColorGroup group = !isEnabled() ? QPalette::Disabled
                                       : isActiveWindow() ? QPalette::Normal
                                                          : QPalette::Inactive;
    const QColor gridColor =
        QColor::fromRgba(static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const QModelIndex current = currentIndex();
    const bool focused = hasFocus() || viewport()->hasFocus();
    const QModelIndexList selected = selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList();

    QPainter painter(viewport());
    const int top = rowViewportPosition(firstRow);
    const int bottom = rowViewportPosition(lastRow) + rowHeight(lastRow);  // one past the last line
    for (int column = firstColumn; column <= lastColumn; ++column) {
        const int x = columnViewportPosition(column);
        const int width = columnWidth(column);
        if (width <= 0) continue;
        // The address column's background is the same all down: it fills the whole strip at once.
        if (column == 0) {
            if (const QVariant background =
                    itemModel->data(itemModel->index(firstRow, column, rootIndex()), Qt::BackgroundRole);
                background.canConvert<QBrush>())
                painter.fillRect(QRect(x, top, width - 1, bottom - top), background.value<QBrush>());
        }

        for (int row = firstRow; row <= lastRow; ++row) {
            const QModelIndex index = itemModel->index(row, column, rootIndex());
            const QRect cell(x, rowViewportPosition(row), width - 1, rowHeight(row) - 1);
            const bool isSelected = selected.contains(index);
            if (isSelected) {
                painter.fillRect(cell, option.palette.brush(group, QPalette::Highlight));
            } else if (column != 0) {
                // A byte cell's own background, where the model gives one (a marked difference).
                if (const QVariant background = index.data(Qt::BackgroundRole); background.canConvert<QBrush>())
                    painter.fillRect(cell, background.value<QBrush>());
            }

            const QStaticText& text = CellText(index);
            const QColor& textColor =
                option.palette.color(group, isSelected ? QPalette::HighlightedText : QPalette::Text);
            if (painter.pen().color() != textColor) painter.setPen(textColor);
            const int textHeight = static_cast<int>(text.size().height());
            painter.drawStaticText(cell.left() + margin, cell.top() + (cell.height() - textHeight) / 2, text);

            if (focused && index == current) {
                QStyleOptionFocusRect focus;
                focus.initFrom(this);
                focus.rect = cell;
                focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item | QStyle::State_HasFocus;
                focus.backgroundColor = option.palette.color(group, isSelected ? QPalette::Highlight : QPalette::Base);
                style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
            }
        }
        painter.fillRect(QRect(x + width - 1, top, 1, bottom - top), gridColor);
    }
    const int left = columnViewportPosition(firstColumn);
    const int right = columnViewportPosition(lastColumn) + columnWidth(lastColumn);
    for (int row = firstRow; row <= lastRow; ++row)
        painter.fillRect(QRect(left, rowViewportPosition(row) + rowHeight(row) - 1, right - left, 1), gridColor);
}

}  // namespace tarpel::ui
