// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/WindowParts.h"

#include <QFontMetrics>

namespace tarpel::ui {

QFrame* MakePanel(const QString& name, QWidget* parent, bool lowered) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    if (lowered) panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return panel;
}

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

int WidthForTitle(const QString& title, const QFont& font) {
    constexpr int titleBarExtra = 140;
    QFont titleFont = font;
    titleFont.setBold(true);
    return QFontMetrics(titleFont).horizontalAdvance(title) + titleBarExtra;
}

}  // namespace tarpel::ui
