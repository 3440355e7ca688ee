// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/PageKeys.h"

#include <QAction>
#include <QEvent>
#include <QTabWidget>

namespace tarpel::ui {

PageKeys::PageKeys(QTabWidget& pages, QWidget& page, std::initializer_list<QAction*> actions, QObject* parent)
    : QObject(parent), pages_(pages), page_(page) {
    for (QAction* action : actions) action->installEventFilter(this);
}

bool PageKeys::eventFilter(QObject* /*watched*/, QEvent* event) {
    // Taken here, the key is spent: it neither triggers the action nor reaches another widget.
    return event->type() == QEvent::Shortcut && pages_.currentWidget() != &page_;
}

}  // namespace tarpel::ui
