// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The image list IL of the 24CXXX toolbar: six 16 x 16 icons painted here with QPainter
// (0 open, 1 save, 2 read chip, 3 program chip, 4 verify chip, 5 about). Pictures only.
#include <QIcon>
#include <QList>

namespace tarpel::ui {

inline constexpr int ToolBarIconCount = 6;

QList<QIcon> PaintToolBarIcons();

}  // namespace tarpel::ui
