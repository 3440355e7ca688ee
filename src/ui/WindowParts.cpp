// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/WindowParts.h"

namespace tarpel::ui {

QFrame* MakePanel(const QString& name, QWidget* parent, bool lowered) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    if (lowered) panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return panel;
}

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace tarpel::ui
