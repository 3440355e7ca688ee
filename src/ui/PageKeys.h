// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Keys that belong to one page of a tab widget: the shortcut of such an action pressed while
// another page is in front does nothing, so that a key never runs a command of a page the user
// is not looking at (F6 on the AVR page would program the 24Cxx). Chosen from the menu, the
// action still runs: a menu choice does not come as a shortcut.
#include <QObject>

#include <initializer_list>

class QAction;
class QTabWidget;
class QWidget;

namespace tarpel::ui {

class PageKeys final : public QObject {
    Q_OBJECT

public:
    PageKeys(QTabWidget& pages, QWidget& page, std::initializer_list<QAction*> actions, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTabWidget& pages_;
    QWidget& page_;
};

}  // namespace tarpel::ui
