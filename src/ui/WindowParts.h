// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Small builders that more than one part of the main window uses: a named panel, a UTF-8
// text of the lower layers (chip names, fuse captions) as the QString a widget takes, and the
// width a window needs for its title. The
// pages themselves are built in TVentanaAvrPage.cpp and TVentanaEepromPage.cpp.
#include <QFont>
#include <QFrame>
#include <QString>

#include <string_view>

namespace tarpel::ui {

// A frameless panel, or a sunken one ("lowered") where a page sets a group of controls apart.
QFrame* MakePanel(const QString& name, QWidget* parent, bool lowered);

QString FromUtf8(std::string_view text);

// Window managers cut a title longer than its window: the width that shows `title` whole, in
// the bold face title bars use, beside the title bar's buttons and margins.
int WidthForTitle(const QString& title, const QFont& font);

}  // namespace tarpel::ui
