// SPDX-License-Identifier: GPL-2.0-or-later
#include "eeprom/ChipCommands.h"

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "eeprom/ChipMessages.h"
#include "eeprom/OpenImageFile.h"
#include "eeprom/PageWrites.h"
#include "shell/Fill.h"
#include "shell/ReportText.h"
#include "shell/Translate.h"

namespace tarpel::eeprom {

namespace {

link::EepromAddressing Addressing(CommandFrame& frame) {
    return AddressingFor(frame.Workspace().Chip(), frame.Master().Timing().FastTiming);
}

std::string ChipName(const EepromWorkspace& workspace) { return std::string(workspace.Chip().name); }

// A whole-chip read under the progress dialog: shown once the chip has taken its addressing,
// one step a byte, closed at the end.
link::ReadAllResult ReadWholeChip(CommandFrame& frame, std::span<std::uint8_t> chip,
                                  const char* label = TrNoop("%1 bytes leidos...")) {
    shell::Shell& shell = frame.Shell();
    const char* readLabel = Tr(label);
    bool shown = false;
    const auto progress = [&](std::int64_t done, std::int64_t total) {
        if (!shown) {
            shell.ProgressSetGauge(0);
            shell.ProgressShow();
            shown = true;
        }
        return !frame.ProgressStep(shell::Fill(readLabel, {done}), done, total);
    };
    const auto result = frame.Master().EepromReadAll(chip, progress, Addressing(frame));
    if (shown) shell.ProgressClose();
    return result;
}

// The chip's whole contents, as they were just read or written.
void TellChipContents(EepromWorkspace& workspace, std::span<const std::uint8_t> chip) {
    if (workspace.ChipContentsKnown) workspace.ChipContentsKnown(chip);
}

// Reads the whole chip after programming and compares it with what was written: a worn cell, or
// a chip whose page buffer is smaller than its type's, takes the writes and keeps other bytes.
// One sequential read costs less board time than a read after every page.
CommandOutcome ReadBack(CommandFrame& frame, std::span<const std::uint8_t> image) {
    shell::Shell& shell = frame.Shell();
    std::vector<std::uint8_t> chip(image.size(), 0xFF);
    const auto result = ReadWholeChip(frame, chip, TrNoop("%1 bytes comprobados..."));
    frame.StopCommand();
    if (result == link::ReadAllResult::NotAcknowledged) {
        shell.MessageBox(NoAckText, ErrorCaption);
        return CommandOutcome::Failed;
    }
    if (result == link::ReadAllResult::Cancelled) {
        if (frame.StoppedOutcome() == CommandOutcome::Failed) return CommandOutcome::Failed;
        shell.Report(Tr("Programacion sin comprobar: comprobacion cancelada"),
                     Tr("el chip esta grabado, pero no se ha leido para comprobarlo"));
        return CommandOutcome::Cancelled;
    }
    const auto differences = files::DifferencesBetween(image, chip);
    if (differences.empty()) return CommandOutcome::Done;
    return ReadBackDiffers(frame, differences);
}

}  // namespace

link::EepromAddressing AddressingFor(const ChipType& chip, bool fastTiming) {
    // Sending two address bytes to a one-byte chip would make it take the low byte as data,
    // shift every read by one and wrap a 32-byte page inside its 16-byte buffer.
    const auto space = static_cast<std::uint32_t>(std::max(chip.size, 0x10000));
    if (fastTiming) return {chip.wordAddressBytes, chip.pageSize, chip.controlAddressBit, space};
    if (chip.wordAddressBytes == 1) return {1, std::min(chip.pageSize, 16), chip.controlAddressBit, space};
    return {2, std::min(chip.pageSize, 32), chip.controlAddressBit, space};
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
    const auto result = ReadWholeChip(frame, workspace.ChipImage());
    workspace.BytesRead = static_cast<std::int32_t>(frame.Master().LastReadCount());
    frame.StopCommand();
    if (result == link::ReadAllResult::NotAcknowledged) shell.MessageBox(NoAckText, ErrorCaption);
    frame.RefreshGrid();
    const std::string total = shell::CountText(workspace.ChipImage().size());
    switch (result) {
        case link::ReadAllResult::NotAcknowledged: return CommandOutcome::Failed;
        case link::ReadAllResult::Cancelled:
            // Stopped by a board that stopped working: no cancel, and whoever started the command
            // names the cause.
            if (frame.StoppedOutcome() == CommandOutcome::Failed) return CommandOutcome::Failed;
            shell.Report(shell::Fill(Tr("Lectura cancelada: leidos %1 de %2 bytes"),
                                     {shell::CountText(static_cast<std::uint64_t>(frame.Master().LastReadCount())),
                                      total}),
                         Tr("el resto es el contenido anterior"));
            return CommandOutcome::Cancelled;
        case link::ReadAllResult::Complete: break;
    }
    shell.Report(shell::Fill(Tr("Leidos %1 bytes de la %2"), {total, ChipName(workspace)}));
    TellChipContents(workspace, workspace.ChipImage());
    return CommandOutcome::Done;
}

CommandOutcome ProgramChip(CommandFrame& frame) {
    shell::Shell& shell = frame.Shell();
    shell.SetCursor(shell::CursorShape::Hourglass);
    shell.ProgressSetGauge(0);
    shell.ProgressShow();

    link::I2cMaster& master = frame.Master();
    const link::EepromAddressing addressing = Addressing(frame);
    const std::span<const std::uint8_t> image = frame.Workspace().ChipImage();
    const std::int32_t chipSize = static_cast<std::int32_t>(image.size());
    // A stop asked for before the first page (in tarpel-cli, a signal during the start) writes
    // nothing at all.
    if (shell.ProgressCancelRequested()) {
        shell.ProgressClose();
        frame.StopCommand();
        return frame.StoppedOutcome();
    }
    // Every page, in rising order.
    std::vector<std::uint32_t> pages;
    for (std::int32_t page = 0; page < chipSize - 1; page += addressing.pageSize)
        pages.push_back(static_cast<std::uint32_t>(page));
    const PageWrites writes = WritePages(frame, image, pages, addressing);
    if (writes.ended) return writes.outcome;
    CommandOutcome outcome = writes.outcome;
    if (outcome == CommandOutcome::Cancelled) {
        shell.Report(shell::Fill(Tr("Programacion cancelada: grabados %1 de %2 bytes"),
                                 {shell::CountText(writes.end), shell::CountText(image.size())}),
                     Tr("el resto del chip sigue como estaba"));
        char last[16];
        std::snprintf(last, sizeof last, "%04X", static_cast<unsigned>(writes.end - 1));
        frame.NoteWritten(shell::Fill(Tr("%1 grabada hasta la direccion $%2"), {ChipName(frame.Workspace()), last}));
    }
    shell.ProgressClose();
    // The 3 ms after a page do not cover the chip's whole write cycle (up to 5 ms): cutting the
    // supply right after the last page would lose it. Wait until the chip answers again. Into a
    // board that has stopped working no poll would go.
    if (outcome != CommandOutcome::Failed) master.EepromWaitReady(addressing);
    if (outcome == CommandOutcome::Done && frame.ReadBackAfterProgramming) outcome = ReadBack(frame, image);
    frame.StopCommand();
    if (outcome == CommandOutcome::Done) {
        shell.Report(shell::Fill(Tr("Programados %1 bytes en la %2"),
                                 {shell::CountText(image.size()), ChipName(frame.Workspace())}));
        TellChipContents(frame.Workspace(), image);
    }
    return outcome;
}

CommandOutcome VerifyChip(CommandFrame& frame) {
    EepromWorkspace& workspace = frame.Workspace();
    shell::Shell& shell = frame.Shell();
    shell.SetCursor(shell::CursorShape::Hourglass);
    if (!frame.Master().BusFree()) return SdaHeldLow(frame);
    const std::span<const std::uint8_t> image = workspace.ChipImage();
    const std::size_t count = image.size();
    // The chip is read into a buffer of its own: the image, which the grid shows all along,
    // stays the user's while the chip is read and while a difference is reported.
    std::vector<std::uint8_t> chip(count, 0xFF);
    const auto result = ReadWholeChip(frame, chip);
    if (result == link::ReadAllResult::NotAcknowledged) {
        frame.StopCommand();
        shell.MessageBox(NoAckText, ErrorCaption);
        return CommandOutcome::Failed;
    }
    frame.StopCommand();
    // Comparing a partial read would judge the chip on bytes never read: report nothing.
    if (result == link::ReadAllResult::Cancelled) {
        if (frame.StoppedOutcome() == CommandOutcome::Failed) return CommandOutcome::Failed;
        shell.Report(Tr("Comprobacion cancelada: sin veredicto"));
        return CommandOutcome::Cancelled;
    }
    TellChipContents(workspace, chip);

    const auto differences = files::DifferencesBetween(image, chip);
    if (!differences.empty()) {
        shell.Report(shell::Fill(Tr("Comprobada la %1: %2 bytes distintos de la imagen"),
                                 {ChipName(workspace), shell::CountText(differences.size())}));
        shell.MessageBox(shell::Fill(Tr("Hay diferencias en el byte nº:%1"), {differences.front().address}),
                         Tr("ERROR EN LA COMPROBACION"));
        if (workspace.DifferencesFound) workspace.DifferencesFound(differences);
        return CommandOutcome::Failed;
    }
    frame.RefreshGrid();
    if (workspace.DifferencesFound) workspace.DifferencesFound(differences);
    shell.Report(shell::Fill(Tr("Comprobada la %1: %2 bytes iguales a la imagen"),
                             {ChipName(workspace), shell::CountText(count)}));
    shell.MessageBox(Tr("El contenido del chip se ha verificado correctamente!!!"), Tr("FIN DE LA COMPROBACION"));
    return CommandOutcome::Done;
}

bool PutPatch(CommandFrame& frame, const files::ImagePatch& patch) {
    EepromWorkspace& workspace = frame.Workspace();
    const std::uint64_t end = std::uint64_t{patch.address} + patch.bytes.size();
    if (end > static_cast<std::uint64_t>(workspace.ChipSize)) {
        frame.Shell().MessageBox(shell::Fill(Tr("El numero de serie (bytes %1 a %2) cae fuera de la %3, que tiene %4 "
                                                "bytes!!"),
                                             {patch.address, end - 1, workspace.Chip().name, workspace.ChipSize}),
                                 "ERROR");
        return false;
    }
    std::copy(patch.bytes.begin(), patch.bytes.end(), workspace.MemoryImage.begin() + patch.address);
    return true;
}

CommandOutcome ProgramChipFrom(CommandFrame& frame, const std::string& fileName, const files::ImagePatch& patch) {
    if (OpenImageFrom(frame, fileName) != CommandOutcome::Done) return CommandOutcome::Failed;
    if (!PutPatch(frame, patch)) return CommandOutcome::Failed;
    return ProgramChip(frame);
}

}  // namespace tarpel::eeprom
