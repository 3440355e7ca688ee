// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/WheelNeedsFocus.h"

#include <QEvent>
#include <QWidget>

namespace tarpel::ui {

bool WheelNeedsFocus::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && !widget->hasFocus()) return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tarpel::ui
