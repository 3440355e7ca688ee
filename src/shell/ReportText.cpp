// SPDX-License-Identifier: GPL-2.0-or-later
#include "shell/ReportText.h"

#include "shell/Translate.h"

namespace tarpel::shell {

namespace {

// Spanish groups thousands with a dot and writes a decimal comma; English the other way round.
bool EnglishNumbers() { return CurrentLanguage() == Language::English; }

}  // namespace

std::string CountText(std::uint64_t count) {
    std::string digits = std::to_string(count);
    const char separator = EnglishNumbers() ? ',' : '.';
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), 1, separator);
    return digits;
}

std::string SecondsText(std::uint64_t milliseconds) {
    const std::uint64_t tenths = (milliseconds + 50) / 100;
    return CountText(tenths / 10) + (EnglishNumbers() ? "." : ",") + std::to_string(tenths % 10) + " s";
}

std::string FileNameText(std::string_view path) {
    const auto slash = path.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace tarpel::shell
