// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/QtTexts.h"

#include <QLibraryInfo>
#include <QLocale>

namespace tarpel::ui {

bool LoadQtTexts(QTranslator& translator, Language language) {
    // English has a catalogue of its own too: without it a Spanish desktop's Qt would not stay
    // out of an English program's dialogs.
    const QLocale locale(language == Language::English ? QLocale::English : QLocale::Spanish);
    return translator.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

}  // namespace tarpel::ui
