// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Qt's own texts (the file dialogs, the overwrite question, the message boxes' buttons) in the
// program's language, from Qt's translations (Debian qt6-translations-l10n).
#include <QTranslator>

#include "shell/Translate.h"

namespace tarpel::ui {

// Loads qtbase's catalogue for `language` into `translator`; false when it is not installed.
bool LoadQtTexts(QTranslator& translator, Language language);

}  // namespace tarpel::ui
