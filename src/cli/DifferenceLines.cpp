// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/DifferenceLines.h"

#include <algorithm>

#include "shell/Fill.h"
#include "shell/ReportText.h"
#include "shell/Translate.h"

namespace tarpel::cli {

void PrintDifferences(std::ostream& out, std::span<const files::ByteDifference> differences,
                      const std::string& expectedName, const std::string& foundName) {
    const std::size_t shown = std::min(differences.size(), DifferenceLinesShown);
    for (const auto& difference : differences.first(shown))
        out << files::DifferenceText(difference, expectedName, foundName) << '\n';
    if (differences.size() > shown)
        out << shell::Fill(Tr("... y %1 diferencias mas (%2 en total)"),
                           {shell::CountText(differences.size() - shown), shell::CountText(differences.size())})
            << '\n';
}

}  // namespace tarpel::cli
