// SPDX-License-Identifier: GPL-2.0-or-later
#include "eeprom/PageWrites.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "eeprom/ChipMessages.h"
#include "shell/Fill.h"
#include "shell/ReportText.h"
#include "shell/Translate.h"

namespace tarpel::eeprom {

CommandOutcome SdaHeldLow(CommandFrame& frame) {
    frame.StopCommand();
    frame.Shell().MessageBox(SdaHeldLowText, ErrorCaption);
    return CommandOutcome::Failed;
}

PageWrites WritePages(CommandFrame& frame, std::span<const std::uint8_t> image, std::span<const std::uint32_t> pages,
                      const link::EepromAddressing& addressing) {
    shell::Shell& shell = frame.Shell();
    link::I2cMaster& master = frame.Master();
    PageWrites result;
    // The label and gauge show the start of the page just written.
    const char* writtenLabel = Tr("%1 bytes grabados...");
    const auto total = static_cast<std::int64_t>(image.size());
    for (const std::uint32_t page : pages) {
        if (!master.BusFree()) {
            shell.ProgressClose();
            result.outcome = SdaHeldLow(frame);
            result.ended = true;
            return result;
        }
        if (!master.ProgramPageWithRetry(image, page, addressing)) {
            shell.ProgressClose();
            frame.StopCommand();
            shell.MessageBox(shell::Fill(Tr(PageNoAckText), {page}), ErrorCaption);
            result.outcome = CommandOutcome::Failed;
            result.ended = true;
            return result;
        }
        ++result.written;
        result.end = static_cast<std::uint32_t>(
            std::min<std::int64_t>(std::int64_t{page} + addressing.pageSize, total));
        if (frame.ProgressStep(shell::Fill(writtenLabel, {page}), page, total)) {
            result.outcome = frame.StoppedOutcome();
            return result;
        }
    }
    return result;
}

PageRead ReadPages(CommandFrame& frame, std::span<std::uint8_t> chip, std::span<const std::uint32_t> pages,
                   const link::EepromAddressing& addressing, const char* label) {
    shell::Shell& shell = frame.Shell();
    const char* shownLabel = Tr(label);
    const auto total = static_cast<std::int64_t>(chip.size());
    for (const std::uint32_t page : pages) {
        const auto count = std::min<std::size_t>(static_cast<std::size_t>(addressing.pageSize), chip.size() - page);
        if (!frame.Master().BusFree()) {
            shell.ProgressClose();
            SdaHeldLow(frame);
            return PageRead::Refused;
        }
        if (!frame.Master().EepromReadAt(page, chip.subspan(page, count), addressing)) {
            shell.ProgressClose();
            frame.StopCommand();
            shell.MessageBox(NoAckText, ErrorCaption);
            return PageRead::Refused;
        }
        if (frame.ProgressStep(shell::Fill(shownLabel, {page + count - 1}), page, total)) return PageRead::Stopped;
    }
    return PageRead::Done;
}

CommandOutcome ReadBackDiffers(CommandFrame& frame, std::span<const files::ByteDifference> differences) {
    shell::Shell& shell = frame.Shell();
    char address[16];
    std::snprintf(address, sizeof address, "%04X", static_cast<unsigned>(differences.front().address));
    shell.Report(shell::Fill(Tr("Programada la %1: %2 bytes distintos de la imagen al comprobarla"),
                             {std::string(frame.Workspace().Chip().name), shell::CountText(differences.size())}));
    shell.MessageBox(shell::Fill(Tr("Error programando el chip!!!\r(direccion $%1)"), {std::string(address)}),
                     ErrorCaption);
    if (frame.Workspace().DifferencesFound) frame.Workspace().DifferencesFound(differences);
    return CommandOutcome::Failed;
}

}  // namespace tarpel::eeprom
