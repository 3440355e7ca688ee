// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// User-visible texts go through GNU gettext: the Spanish text is the key, and the catalogue of
// the chosen language (English is the only one so far) gives its translation. With no catalogue,
// and in every program that never calls SetUpLanguage (the tests), the texts stay Spanish.
// Plain C++, for the Qt window and the console alike.
#include <string>
#include <string_view>

namespace tarpel {

enum class Language { Spanish, English };

// The text in the chosen language; the Spanish text itself when the catalogue has none.
const char* Tr(const char* spanish);

// The translation of a whole text that may be an entry of the catalogue (a constant marked with
// TrNoop, a caption); any other text unchanged. The shells pass every text of a box through it.
std::string TrText(std::string_view text);

// Marks a constant text for the catalogue; whoever shows it passes it through Tr or TrText.
constexpr const char* TrNoop(const char* spanish) { return spanish; }

// The language the environment asks for, as gettext reads it: LANGUAGE (a list; the first
// language in it that the program has, English or Spanish, wins) unless the locale is C or
// POSIX, else the first set of LC_ALL, LC_MESSAGES, LANG. Spanish, the language of the source,
// whenever English is not asked first. Null arguments stand for unset variables.
Language ChooseLanguage(const char* language, const char* lcAll, const char* lcMessages, const char* lang);

// Chooses the language from this process's environment and makes gettext follow that choice even
// when the locale it names is not installed. Called once by each program before any text.
Language SetUpLanguage();

// Speaks the given language from now on, whatever the environment says (the tests).
void UseLanguage(Language language);

// The language SetUpLanguage chose; Spanish before it runs.
Language CurrentLanguage();

// Where the catalogues are looked up: beside the program (share/locale above its bin folder),
// else the build tree's, else the installation's.
std::string CatalogueFolder();

}  // namespace tarpel
