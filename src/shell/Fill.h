// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Messages as whole sentences: the catalogue holds "Leidos %1 bytes de la %2", so a translator
// sees the sentence and may move its values, and the values are filled in afterwards.
// Plain C++, for every layer that speaks to the user.
#include <concepts>
#include <initializer_list>
#include <string>
#include <string_view>

namespace tarpel::shell {

// One value for a placeholder: a text as it is, or a whole number in decimal.
class FillValue {
public:
    FillValue(std::string_view text) : text_(text) {}
    FillValue(const std::string& text) : text_(text) {}
    FillValue(const char* text) : text_(text) {}
    template <std::integral Number>
        requires(!std::same_as<Number, bool> && !std::same_as<Number, char>)
    FillValue(Number number) : text_(std::to_string(number)) {}

    std::string_view Text() const { return text_; }

private:
    std::string text_;
};

// `text` with %1 .. %9 replaced by the first .. ninth value, each as often as it appears and in
// any order. A placeholder with no value stays as it is written, so that a missing value shows;
// values beyond the placeholders are left out. A % not followed by a digit 1-9 stays as it is
// (a percentage, "%0", "%%"), and only one digit counts ("%12" is the first value, then "2").
// The values are never searched for placeholders themselves.
std::string Fill(std::string_view text, std::initializer_list<FillValue> values);

}  // namespace tarpel::shell
