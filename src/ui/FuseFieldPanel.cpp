// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/FuseFieldPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

#include <bit>

#include "ui/WindowParts.h"

namespace tarpel::ui {

namespace {

// Lists two to a row (label and list each), check boxes in three columns beside them: the
// ATmega162's thirteen fields take three rows, as the ATmega8515's lists do.
constexpr int ListsPerRow = 2;
constexpr int CheckColumns = 3;

}  // namespace

FuseFieldPanel::FuseFieldPanel(avr::DeviceKind kind, QWidget* parent)
    : QWidget(parent), kind_(kind), layout_(*avr::FuseLayoutOf(kind)) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(4);
    int lists = 0;
    int checks = 0;
    std::size_t listCount = 0;
    for (const auto& field : layout_.fields) listCount += std::popcount(field.mask) > 1 ? 1 : 0;
    const int checkRows = static_cast<int>((layout_.fields.size() - listCount + CheckColumns - 1) / CheckColumns);
    for (const auto& field : layout_.fields) {
        Control control{&field};
        const QString name = FromUtf8(field.name);
        if (std::popcount(field.mask) == 1) {
            control.check = new QCheckBox(name, this);
            control.check->setObjectName(name);
            control.check->setEnabled(!field.keptProgrammed);
            grid->addWidget(control.check, checks % checkRows, ListsPerRow * 2 + checks / checkRows);
            ++checks;
        } else {
            control.list = new QComboBox(this);
            control.list->setObjectName(name);
            for (unsigned value = 0; value < 1u << std::popcount(field.mask); ++value)
                control.list->addItem(FromUtf8(avr::FieldValueText(layout_, field, value)));
            auto* label = new QLabel(name + QLatin1Char(':'), this);
            label->setBuddy(control.list);
            grid->addWidget(label, lists / ListsPerRow, (lists % ListsPerRow) * 2);
            grid->addWidget(control.list, lists / ListsPerRow, (lists % ListsPerRow) * 2 + 1);
            ++lists;
        }
        controls_.push_back(control);
    }
    grid->setColumnStretch(ListsPerRow * 2 + CheckColumns, 1);
}

void FuseFieldPanel::ShowBytes(avr::FuseBytes bytes) {
    shown_ = bytes;
    for (const Control& control : controls_) {
        const unsigned value = avr::FieldValue(bytes, *control.field);
        if (control.check) control.check->setChecked(value == 0);
        if (control.list) control.list->setCurrentIndex(static_cast<int>(value));
    }
}

avr::FuseBytes FuseFieldPanel::Bytes() const {
    avr::FuseBytes bytes = shown_;
    for (const Control& control : controls_) {
        const unsigned value = control.check ? (control.check->isChecked() ? 0u : 1u)
                                             : static_cast<unsigned>(control.list->currentIndex());
        bytes = avr::WithFieldValue(bytes, *control.field, value);
    }
    return bytes;
}

}  // namespace tarpel::ui
