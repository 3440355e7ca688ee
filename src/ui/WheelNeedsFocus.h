// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Keeps a drop-down list from changing under a mouse wheel that merely passes over it. Qt lists
// take wheel turns without focus; for "Tipo de memoria:" that would wipe the memory image on a
// scroll through the window. With this filter the list turns only once the user has focused it.
#include <QObject>

namespace tarpel::ui {

class WheelNeedsFocus final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace tarpel::ui
