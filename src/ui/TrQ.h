// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The window's texts through the shared catalogue, as the QString a widget takes.
#include <QString>

#include "shell/Translate.h"

namespace tarpel::ui {

inline QString TrQ(const char* spanish) { return QString::fromUtf8(Tr(spanish)); }

}  // namespace tarpel::ui
