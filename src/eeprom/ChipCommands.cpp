#include "eeprom/ChipCommands.h"

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "eeprom/ChipMessages.h"
#include "shell/Progress.h"
#include "shell/ReportText.h"
#include "shell/Translate.h"

namespace tarpel::eeprom {

namespace {

// ChipSize, kept inside the image so that no command can run past it.
std::size_t ImageCount(const EepromWorkspace& workspace) {
    return static_cast<std::size_t>(
        std::clamp<std::int64_t>(workspace.ChipSize, 0, static_cast<std::int64_t>(workspace.MemoryImage.size())));
}

// Ends a command whose bus was not free before a transaction: with SDA held low every
// acknowledge would look given and every bit read 0.
CommandOutcome SdaHeldLow(CommandFrame& frame) {
    frame.StopCommand();
    frame.Shell().MessageBox(SdaHeldLowText, ErrorCaption);
    return CommandOutcome::Failed;
}

link::EepromAddressing Addressing(CommandFrame& frame) {
    return AddressingFor(frame.Workspace().Chip(), frame.Master().Timing().FastTiming);
}

std::string ChipName(const EepromWorkspace& workspace) { return Tr("la ") + std::string(workspace.Chip().name); }

// A whole-chip read under the progress dialog: shown once the chip has taken its addressing,
// one step a byte, closed at the end.
link::ReadAllResult ReadWholeChip(CommandFrame& frame, std::span<std::uint8_t> image, std::int32_t count,
                                  const char* label = TrNoop(" bytes leidos...")) {
    shell::Shell& shell = frame.Shell();
    const std::string readLabel = Tr(label);
    bool shown = false;
    const auto progress = [&](std::int64_t done, std::int64_t total) {
        if (!shown) {
            shell.ProgressSetGauge(0);
            shell.ProgressShow();
            shown = true;
        }
        return !shell::ProgressStep(shell, std::to_string(done) + readLabel, done, total);
    };
    const auto result = frame.Master().EepromReadAll(image, count, progress, Addressing(frame));
    if (shown) shell.ProgressClose();
    return result;
}

void TellChipContents(EepromWorkspace& workspace, std::span<const std::uint8_t> image) {
    if (workspace.ChipContentsKnown) workspace.ChipContentsKnown(image.first(ImageCount(workspace)));
}

// Reads the whole chip after programming and compares it with what was written: a worn cell, or
// a chip whose page buffer is smaller than its type's, takes the writes and keeps other bytes.
// One sequential read costs less board time than a read after every page.
CommandOutcome ReadBack(CommandFrame& frame, std::span<const std::uint8_t> image) {
    shell::Shell& shell = frame.Shell();
    std::vector<std::uint8_t> chip(image.size(), 0xFF);
    const auto result =
        ReadWholeChip(frame, chip, static_cast<std::int32_t>(chip.size()), TrNoop(" bytes comprobados..."));
    frame.StopCommand();
    if (result == link::ReadAllResult::NotAcknowledged) {
        shell.MessageBox(NoAckText, ErrorCaption);
        return CommandOutcome::Failed;
    }
    if (result == link::ReadAllResult::Cancelled) {
        shell.Report(Tr("Programacion sin comprobar: comprobacion cancelada"),
                     Tr("el chip esta grabado, pero no se ha leido para comprobarlo"));
        return CommandOutcome::Cancelled;
    }
    const auto differences = files::DifferencesBetween(image, chip);
    if (differences.empty()) return CommandOutcome::Done;
    char address[8];
    std::snprintf(address, sizeof address, "%04X", static_cast<unsigned>(differences.front().address));
    shell.MessageBox(Tr("Error programando el chip!!!\r(direccion $") + std::string(address) + ")", ErrorCaption);
    shell.Report(Tr("Programada ") + ChipName(frame.Workspace()) + ": " + shell::CountText(differences.size()) +
                 Tr(" bytes distintos de la imagen al comprobarla"));
    if (frame.Workspace().DifferencesFound) frame.Workspace().DifferencesFound(differences);
    return CommandOutcome::Failed;
}

}  // namespace

link::EepromAddressing AddressingFor(const ChipType& chip, bool fastTiming) {
    // Sending two address bytes to a one-byte chip would make it take the low byte as data,
    // shift every read by one and wrap a 32-byte page inside its 16-byte buffer.
    if (fastTiming) return {chip.wordAddressBytes, chip.pageSize};
    if (chip.wordAddressBytes == 1) return {1, std::min(chip.pageSize, 16)};
    return {2, std::min(chip.pageSize, 32)};
}

CommandOutcome ReadChip(CommandFrame& frame) {
    EepromWorkspace& workspace = frame.Workspace();
    shell::Shell& shell = frame.Shell();
    shell.SetCursor(shell::CursorShape::Hourglass);
    workspace.BytesRead = 0;
    if (!frame.Master().BusFree()) {
        SdaHeldLow(frame);
        frame.RefreshGrid();
        return CommandOutcome::Failed;
    }
    const auto result = ReadWholeChip(frame, workspace.MemoryImage, workspace.ChipSize);
    workspace.BytesRead = static_cast<std::int32_t>(frame.Master().LastReadCount());
    frame.StopCommand();
    if (result == link::ReadAllResult::NotAcknowledged) shell.MessageBox(NoAckText, ErrorCaption);
    frame.RefreshGrid();
    const std::string total = shell::CountText(ImageCount(workspace));
    switch (result) {
        case link::ReadAllResult::NotAcknowledged: return CommandOutcome::Failed;
        case link::ReadAllResult::Cancelled:
            shell.Report(Tr("Lectura cancelada: leidos ") +
                             shell::CountText(static_cast<std::uint64_t>(frame.Master().LastReadCount())) + Tr(" de ") +
                             total + " bytes",
                         Tr("el resto es el contenido anterior"));
            return CommandOutcome::Cancelled;
        case link::ReadAllResult::Complete: break;
    }
    shell.Report(Tr("Leidos ") + total + Tr(" bytes de ") + ChipName(workspace));
    TellChipContents(workspace, workspace.MemoryImage);
    return CommandOutcome::Done;
}

CommandOutcome ProgramChip(CommandFrame& frame) {
    shell::Shell& shell = frame.Shell();
    shell.SetCursor(shell::CursorShape::Hourglass);
    shell.ProgressSetGauge(0);
    shell.ProgressShow();

    link::I2cMaster& master = frame.Master();
    const link::EepromAddressing addressing = Addressing(frame);
    const std::span<const std::uint8_t> image(frame.Workspace().MemoryImage.data(), ImageCount(frame.Workspace()));
    const std::int32_t chipSize = static_cast<std::int32_t>(image.size());
    auto outcome = CommandOutcome::Done;
    // Rising page order; the label and gauge show the start of the page just written.
    const std::string writtenLabel = Tr(" bytes grabados...");
    for (std::int32_t page = 0; page < chipSize - 1; page += addressing.pageSize) {
        if (!master.BusFree()) {
            shell.ProgressClose();
            return SdaHeldLow(frame);
        }
        if (!master.ProgramPageWithRetry(image, static_cast<std::uint16_t>(page), addressing)) {
            shell.ProgressClose();
            frame.StopCommand();
            shell.MessageBox(Tr(PageNoAckText) + std::to_string(page) + ")", ErrorCaption);
            return CommandOutcome::Failed;
        }
        if (shell::ProgressStep(shell, std::to_string(page) + writtenLabel, page, chipSize)) {
            outcome = CommandOutcome::Cancelled;
            shell.Report(Tr("Programacion cancelada: grabados ") +
                             shell::CountText(static_cast<std::uint64_t>(
                                 std::min(page + addressing.pageSize, chipSize))) +
                             Tr(" de ") + shell::CountText(image.size()) + " bytes",
                         Tr("el resto del chip sigue como estaba"));
            break;
        }
    }
    shell.ProgressClose();
    // The 3 ms after a page do not cover the chip's whole write cycle (up to 5 ms): cutting the
    // supply right after the last page would lose it. Wait until the chip answers again.
    master.EepromWaitReady(addressing);
    if (outcome == CommandOutcome::Done && frame.ReadBackAfterProgramming) outcome = ReadBack(frame, image);
    frame.StopCommand();
    if (outcome == CommandOutcome::Done) {
        shell.Report(Tr("Programados ") + shell::CountText(image.size()) + Tr(" bytes en ") +
                     ChipName(frame.Workspace()));
        TellChipContents(frame.Workspace(), image);
    }
    return outcome;
}

CommandOutcome VerifyChip(CommandFrame& frame) {
    EepromWorkspace& workspace = frame.Workspace();
    shell::Shell& shell = frame.Shell();
    shell.SetCursor(shell::CursorShape::Hourglass);
    if (!frame.Master().BusFree()) return SdaHeldLow(frame);
    const std::size_t count = ImageCount(workspace);
    // The chip is read into a buffer of its own: the image, which the grid shows all along,
    // stays the user's while the chip is read and while a difference is reported.
    std::vector<std::uint8_t> chip(count, 0xFF);
    const auto result = ReadWholeChip(frame, chip, static_cast<std::int32_t>(count));
    if (result == link::ReadAllResult::NotAcknowledged) {
        frame.StopCommand();
        shell.MessageBox(NoAckText, ErrorCaption);
        return CommandOutcome::Failed;
    }
    frame.StopCommand();
    // Comparing a partial read would judge the chip on bytes never read: report nothing.
    if (result == link::ReadAllResult::Cancelled) {
        shell.Report(Tr("Comprobacion cancelada: sin veredicto"));
        return CommandOutcome::Cancelled;
    }
    TellChipContents(workspace, chip);

    const auto differences =
        files::DifferencesBetween(std::span(workspace.MemoryImage).first(count), std::span(chip).first(count));
    if (!differences.empty()) {
        shell.MessageBox(Tr("Hay diferencias en el byte nº:") + std::to_string(differences.front().address),
                         Tr("ERROR EN LA COMPROBACION"));
        shell.Report(Tr("Comprobada ") + ChipName(workspace) + ": " + shell::CountText(differences.size()) +
                     Tr(" bytes distintos de la imagen"));
        if (workspace.DifferencesFound) workspace.DifferencesFound(differences);
        return CommandOutcome::Failed;
    }
    frame.RefreshGrid();
    if (workspace.DifferencesFound) workspace.DifferencesFound(differences);
    shell.Report(Tr("Comprobada ") + ChipName(workspace) + ": " + shell::CountText(count) +
                 Tr(" bytes iguales a la imagen"));
    shell.MessageBox(Tr("El contenido del chip se ha verificado correctamente!!!"), Tr("FIN DE LA COMPROBACION"));
    return CommandOutcome::Done;
}

}  // namespace tarpel::eeprom
