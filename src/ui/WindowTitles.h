// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The two titles of the program: the main window's caption and the application title that
// captions the plain message dialog. They differ by one trailing blank, on purpose.
#include <QString>

namespace tarpel::ui {

inline const QString MainWindowCaption = QStringLiteral("Tarpel v1.5 ATMega8515    ");
inline const QString ApplicationTitle = QStringLiteral("Tarpel v1.5 ATMega8515   ");

}  // namespace tarpel::ui
