// SPDX-License-Identifier: GPL-2.0-or-later
#include "eeprom/ProgramChanges.h"

#include <algorithm>
#include <string>

#include "eeprom/ChipCommands.h"
#include "eeprom/ChipMessages.h"
#include "eeprom/OpenImageFile.h"
#include "eeprom/PageWrites.h"
#include "files/ByteDifferences.h"
#include "shell/Fill.h"
#include "shell/ReportText.h"
#include "shell/Translate.h"

namespace tarpel::eeprom {

namespace {

// A stop seen while the progress dialog was up: the dialog closed, the lines off, and what the
// chip has now told. Failed when the board stopped working (whoever started the command says so).
CommandOutcome Stopped(CommandFrame& frame, std::size_t pagesWritten) {
    frame.Shell().ProgressClose();
    frame.StopCommand();
    const CommandOutcome outcome = frame.StoppedOutcome();
    if (outcome == CommandOutcome::Cancelled)
        frame.Shell().Report(shell::Fill(Tr("Programacion de cambios cancelada: grabadas %1 paginas"), {pagesWritten}),
                             Tr("el resto del chip sigue como estaba"));
    if (pagesWritten > 0)
        frame.NoteWritten(shell::Fill(Tr("%1 paginas de la %2"),
                                      {pagesWritten, std::string(frame.Workspace().Chip().name)}));
    return outcome;
}

}  // namespace

CommandOutcome ProgramChanges(CommandFrame& frame, std::span<const std::uint8_t> image, const WantedBytes& wanted,
                              std::size_t& pagesWritten) {
    shell::Shell& shell = frame.Shell();
    pagesWritten = 0;
    shell.SetCursor(shell::CursorShape::Hourglass);
    if (!frame.Master().BusFree()) return SdaHeldLow(frame);
    const link::EepromAddressing addressing =
        AddressingFor(frame.Workspace().Chip(), frame.Master().Timing().FastTiming);
    const auto pageSize = static_cast<std::size_t>(addressing.pageSize);
    const std::size_t size = std::min(image.size(), wanted.size());

    // The pages that hold a wanted byte.
    std::vector<std::uint32_t> concerned;
    for (std::size_t page = 0; page < size; page += pageSize) {
        const auto end = std::min(size, page + pageSize);
        if (std::any_of(wanted.begin() + static_cast<std::ptrdiff_t>(page),
                        wanted.begin() + static_cast<std::ptrdiff_t>(end), [](bool b) { return b; }))
            concerned.push_back(static_cast<std::uint32_t>(page));
    }

    shell.ProgressSetGauge(0);
    shell.ProgressShow();
    // A stop asked for before anything ran (a signal during tarpel-cli's start) writes nothing.
    if (shell.ProgressCancelRequested()) return Stopped(frame, 0);
    std::vector<std::uint8_t> chip(size, 0xFF);
    switch (ReadPages(frame, chip, concerned, addressing, TrNoop("%1 bytes leidos..."))) {
    case PageRead::Refused: return CommandOutcome::Failed;
    case PageRead::Stopped: return Stopped(frame, 0);
    case PageRead::Done: break;
    }

    // Each page as the chip has it, the wanted bytes put over it; written only where they differ.
    std::vector<std::uint8_t> target = chip;
    std::vector<std::uint32_t> differing;
    for (const std::uint32_t page : concerned) {
        bool differs = false;
        for (std::size_t at = page; at < std::min(size, page + pageSize); ++at) {
            if (!wanted[at] || chip[at] == image[at]) continue;
            target[at] = image[at];
            differs = true;
        }
        if (differs) differing.push_back(page);
    }
    const PageWrites writes = WritePages(frame, target, differing, addressing);
    pagesWritten = writes.written;
    if (writes.ended) return writes.outcome;
    // The chip's write cycle of the last page must end before a read or the supply's cut; into a
    // board that has stopped working no poll would go.
    if (writes.written > 0 && writes.outcome != CommandOutcome::Failed) frame.Master().EepromWaitReady(addressing);
    if (writes.outcome != CommandOutcome::Done) return Stopped(frame, pagesWritten);

    // The written pages read back: a worn cell or a smaller page buffer takes a write and keeps
    // other bytes.
    if (frame.ReadBackAfterProgramming && !differing.empty()) {
        std::vector<std::uint8_t> back = target;
        switch (ReadPages(frame, back, differing, addressing, TrNoop("%1 bytes comprobados..."))) {
        case PageRead::Refused: return CommandOutcome::Failed;
        case PageRead::Stopped: return Stopped(frame, pagesWritten);
        case PageRead::Done: break;
        }
        const auto differences = files::DifferencesBetween(target, back);
        if (!differences.empty()) {
            shell.ProgressClose();
            frame.StopCommand();
            return ReadBackDiffers(frame, differences);
        }
    }
    shell.ProgressClose();
    frame.StopCommand();
    const std::string text = differing.empty()
                                 ? std::string(Tr("El chip ya coincide con la imagen: no se ha grabado nada"))
                                 : shell::Fill(Tr("Grabadas %1 paginas que diferian de la imagen"), {pagesWritten});
    shell.Report(text);
    shell.MessageBox(text, "OK");
    return CommandOutcome::Done;
}

CommandOutcome ProgramChangesFrom(CommandFrame& frame, const std::string& fileName, const files::ImagePatch& patch,
                                  std::size_t& pagesWritten) {
    pagesWritten = 0;
    std::vector<std::uint8_t> held;
    if (OpenImageFrom(frame, fileName, &held) != CommandOutcome::Done) return CommandOutcome::Failed;
    if (!PutPatch(frame, patch)) return CommandOutcome::Failed;
    const std::span<const std::uint8_t> image = frame.Workspace().ChipImage();
    WantedBytes wanted(image.size(), false);
    for (std::size_t at = 0; at < wanted.size() && at < held.size(); ++at) wanted[at] = held[at] != 0;
    for (std::size_t k = 0; k < patch.bytes.size(); ++k) wanted[patch.address + k] = true;
    return ProgramChanges(frame, image, wanted, pagesWritten);
}

}  // namespace tarpel::eeprom
