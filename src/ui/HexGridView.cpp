// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/HexGridView.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
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

namespace {

int HexDigit(QChar typed) {
    const char16_t code = typed.unicode();
    if (code >= u'0' && code <= u'9') return code - u'0';
    if (code >= u'a' && code <= u'f') return code - u'a' + 10;
    if (code >= u'A' && code <= u'F') return code - u'A' + 10;
    return -1;
}

// The characters the character cells show as themselves: where Windows-1252 and Latin-1 agree.
bool ShownAsItself(char16_t code) { return (code >= 0x20 && code < 0x7F) || (code >= 0xA0 && code <= 0xFF); }

}  // namespace

void HexGridView::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    // A printable key the cell does not take (a "G" in a hex cell) does nothing, rather than
    // jump to a cell that starts with it as the table's keyboard search would.
    if (plain && text.size() == 1 && (TypeInto(currentIndex(), text.front()) || text.front().isPrint())) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

bool HexGridView::TypeInto(const QModelIndex& cell, QChar typed) {
    const auto* grid = qobject_cast<const HexGridModel*>(model());
    const int address = HexGridModel::AddressOf(cell);
    if (!grid || address < 0) return false;
    const bool characters = HexGridModel::InCharacterPane(cell);
    if (characters) {
        if (!ShownAsItself(typed.unicode())) return false;
        emit ByteTyped(address, typed.unicode(), true);
    } else {
        const int digit = HexDigit(typed);
        if (digit < 0) return false;
        const int value = cell.data(HexGridModel::ByteRole).toInt();
        if (pendingDigitAddress_ != address) {
            emit ByteTyped(address, (digit << 4) | (value & 0x0F), false);
            pendingDigitAddress_ = address;  // after the emit: the change it made resets it
            return true;
        }
        emit ByteTyped(address, (value & 0xF0) | digit, true);
        pendingDigitAddress_ = -1;
    }
    if (const QModelIndex next = grid->CellOf(address + 1, characters); next.isValid()) setCurrentIndex(next);
    return true;
}

QModelIndex HexGridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const auto* grid = qobject_cast<const HexGridModel*>(model());
    const QModelIndex current = currentIndex();
    const int address = HexGridModel::AddressOf(current);
    if (grid && address >= 0) {
        const bool characters = HexGridModel::InCharacterPane(current);
        const int rowStart = address - address % HexGridModel::BytesPerRow;
        const int last = grid->rowCount() * HexGridModel::BytesPerRow - 1;
        const bool whole = modifiers & Qt::ControlModifier;
        switch (action) {
            case MoveLeft: return grid->CellOf(std::max(address - 1, 0), characters);
            case MoveRight: return grid->CellOf(std::min(address + 1, last), characters);
            case MoveNext:
            case MovePrevious: return grid->CellOf(address, !characters);
            case MoveHome: return grid->CellOf(whole ? 0 : rowStart, characters);
            case MoveEnd: return grid->CellOf(whole ? last : rowStart + HexGridModel::BytesPerRow - 1, characters);
            default: break;
        }
    }
    // Up, down and the pages keep the column; the address column is never the cursor's.
    const QModelIndex moved = QTableView::moveCursor(action, modifiers);
    if (moved.isValid() && moved.column() == 0) return moved.siblingAtColumn(1);
    return moved;
}

void HexGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    pendingDigitAddress_ = -1;  // a half-typed byte stays as it is
    QTableView::currentChanged(current, previous);
}

void HexGridView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles) {
    // The image changed (an undo, a fill, a read, or the typed digit itself, which sets the
    // waiting byte again once this returns): a byte half typed before it is left as it is.
    pendingDigitAddress_ = -1;
    QTableView::dataChanged(topLeft, bottomRight, roles);
}

const QStaticText& HexGridView::CellText(const QModelIndex& index, std::uint8_t value) {
    const int column = index.column();
    if (column == 0) {
        const auto row = static_cast<std::size_t>(index.row());
        if (row >= addressTexts_.size()) addressTexts_.resize(row + 1);
        return Prepared(addressTexts_[row], GridAddressText(index.row()), textFont_);
    }
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
    // Asked cell by cell of the selection's few ranges: a filled range can span a whole chip, and
    // listing its 65,536 cells on every paint would cost more than the paint.
    const QItemSelectionModel* selection = selectionModel();

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
            const bool isSelected = selection && selection->isSelected(index);
            // The byte and its marks in one question; the model decides their colours.
            const int byteAndMarks = column > 0 ? index.data(HexGridModel::ByteRole).toInt() : 0;
            const HexGridModel::CellColours colours = HexGridModel::ColoursFor(byteAndMarks & ~0xFF);
            if (isSelected) {
                painter.fillRect(cell, option.palette.brush(group, QPalette::Highlight));
            } else if (colours.background.isValid()) {
                painter.fillRect(cell, colours.background);
            }

            const QStaticText& text = CellText(index, static_cast<std::uint8_t>(byteAndMarks));
            QColor textColor = option.palette.color(group, isSelected ? QPalette::HighlightedText : QPalette::Text);
            if (!isSelected && colours.text.isValid()) textColor = colours.text;
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
