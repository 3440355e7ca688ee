// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The font the small dialogs were laid out in: MS Sans Serif at 11 px. Where it is missing (as on
// most Linux desktops) the nearest narrow sans serif stands in, so labels stay inside their boxes.
#include <QFont>

namespace tarpel::ui {

QFont DialogFont();

}  // namespace tarpel::ui
