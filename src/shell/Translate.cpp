// SPDX-License-Identifier: GPL-2.0-or-later
#include "shell/Translate.h"

#include <libintl.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace tarpel {

namespace {

constexpr const char* Domain = "tarpel";

Language chosen = Language::Spanish;

bool Set(const char* value) { return value != nullptr && *value != '\0'; }

// "en_GB.UTF-8" and "en" are English; the language code ends at the territory, codeset or modifier.
std::string_view LanguageCode(std::string_view name) { return name.substr(0, name.find_first_of("_.@")); }

bool HasCatalogue(const std::filesystem::path& folder) {
    std::error_code ignored;
    return std::filesystem::exists(folder / "en" / "LC_MESSAGES" / (std::string(Domain) + ".mo"), ignored);
}

}  // namespace

const char* Tr(const char* spanish) { return ::dgettext(Domain, spanish); }

std::string TrText(std::string_view text) {
    if (text.empty()) return {};  // the empty key gives the catalogue's header
    return Tr(std::string(text).c_str());
}

Language ChooseLanguage(const char* language, const char* lcAll, const char* lcMessages, const char* lang) {
    const char* locale = Set(lcAll) ? lcAll : Set(lcMessages) ? lcMessages : Set(lang) ? lang : "C";
    // gettext itself ignores LANGUAGE in the C locale, so that output there stays the program's own.
    if (std::strcmp(locale, "C") == 0 || std::strcmp(locale, "POSIX") == 0) return Language::Spanish;
    std::string_view list = Set(language) ? language : locale;
    while (!list.empty()) {
        const std::string_view entry = list.substr(0, list.find(':'));
        list.remove_prefix(std::min(list.size(), entry.size() + 1));
        const std::string_view code = LanguageCode(entry);
        if (code == "en") return Language::English;
        if (code == "es") return Language::Spanish;
    }
    return Language::Spanish;
}

std::string CatalogueFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path besideProgram = program.parent_path().parent_path() / "share" / "locale";
        if (HasCatalogue(besideProgram)) return besideProgram.string();
    }
    if (HasCatalogue(TARPEL_BUILD_LOCALEDIR)) return TARPEL_BUILD_LOCALEDIR;
    return TARPEL_INSTALL_LOCALEDIR;
}

void UseLanguage(Language language) {
    chosen = language;
    ::bindtextdomain(Domain, CatalogueFolder().c_str());
    // The sources and the catalogue are UTF-8, and so is every output of the programs.
    ::bind_textdomain_codeset(Domain, "UTF-8");
    // LANGUAGE then names the choice alone: gettext looks for that catalogue and no other, and
    // Spanish, which has none, keeps the source texts. It also reaches Qt's start-up unchanged.
    ::setenv("LANGUAGE", language == Language::English ? "en" : "es", 1);
    // Only the messages follow the locale: numbers and the rest stay as the C library starts them.
    // gettext ignores LANGUAGE in the C locale, which is also what a locale that is named but not
    // installed leaves; the built-in C.UTF-8 lets the choice through. Setting the locale also
    // makes gettext forget the translations it has looked up so far.
    const char* messages = std::setlocale(LC_MESSAGES, "");
    if (language == Language::English &&
        (messages == nullptr || std::strcmp(messages, "C") == 0 || std::strcmp(messages, "POSIX") == 0))
        std::setlocale(LC_MESSAGES, "C.UTF-8");
}

Language SetUpLanguage() {
    UseLanguage(ChooseLanguage(std::getenv("LANGUAGE"), std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                               std::getenv("LANG")));
    return chosen;
}

Language CurrentLanguage() { return chosen; }

}  // namespace tarpel
