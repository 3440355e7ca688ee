// SPDX-License-Identifier: GPL-2.0-or-later
#include "shell/Fill.h"

namespace tarpel::shell {

std::string Fill(std::string_view text, std::initializer_list<FillValue> values) {
    std::string filled;
    filled.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(text[i + 1] - '1');
            if (index < values.size()) {
                filled += values.begin()[index].Text();
                ++i;
                continue;
            }
        }
        filled += text[i];
    }
    return filled;
}

}  // namespace tarpel::shell
