// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A number as the console's users write them: decimal, or hexadecimal after 0x.
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tarpel::shell {

// The whole of `text` as a number, or nothing when any of it is not a digit of its base.
inline std::optional<std::uint64_t> NumberOf(std::string_view text) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace tarpel::shell
