// SPDX-License-Identifier: GPL-2.0-or-later
#include "eeprom/CompareImageFile.h"

#include <span>
#include <string_view>

#include "eeprom/OpenImageFile.h"
#include "files/ByteDifferences.h"
#include "files/ImageFileMessages.h"
#include "shell/Fill.h"
#include "shell/ReportText.h"
#include "shell/Translate.h"

namespace tarpel::eeprom {

namespace {

constexpr std::string_view ComparisonCaption = TrNoop("FIN DE LA COMPARACION");

}  // namespace

CommandOutcome CompareImageFile(CommandFrame& frame) {
    const auto fileName = frame.Shell().ChooseOpenFile();
    if (!fileName) return CommandOutcome::Cancelled;
    return CompareImageWith(frame, *fileName);
}

CommandOutcome CompareImageWith(CommandFrame& frame, const std::string& fileName) {
    EepromWorkspace& workspace = frame.Workspace();
    shell::Shell& shell = frame.Shell();
    const std::optional<LoadedImageFile> loaded = LoadImageFileOrTell(shell, fileName, workspace.ChipSize);
    if (!loaded) return CommandOutcome::Failed;
    const LoadedImageFile& file = *loaded;
    for (const auto& warning : file.warnings) shell.MessageBox(warning, files::WarningCaption);

    const std::span<const std::uint8_t> image = workspace.ChipImage();
    const std::size_t count = image.size();
    const auto differences = files::DifferencesBetween(image, std::span(file.image).first(count));
    const std::string name = shell::FileNameText(fileName);
    if (differences.empty()) {
        shell.Report(shell::Fill(Tr("La imagen y %1 son iguales: %2 bytes"), {name, shell::CountText(count)}));
        shell.MessageBox(Tr("La imagen y el fichero son iguales"), ComparisonCaption);
    } else {
        shell.Report(
            shell::Fill(Tr("La imagen y %1 difieren en %2 bytes"), {name, shell::CountText(differences.size())}));
        shell.MessageBox(shell::Fill(Tr("La imagen y el fichero difieren en %1 bytes; el primero es el $%2"),
                                     {shell::CountText(differences.size()),
                                      files::AddressText(differences.front().address)}),
                         ComparisonCaption);
    }
    if (workspace.DifferencesFound) workspace.DifferencesFound(differences);
    return differences.empty() ? CommandOutcome::Done : CommandOutcome::Failed;
}

}  // namespace tarpel::eeprom
