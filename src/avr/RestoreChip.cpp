// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/RestoreChip.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "avr/BackupChip.h"
#include "avr/ChipContents.h"
#include "avr/CommandEntry.h"
#include "avr/ElfRead.h"
#include "avr/FileImage.h"
#include "avr/DeviceFuses.h"
#include "avr/FuseDevice.h"
#include "avr/FuseFile.h"
#include "avr/FuseMapping.h"
#include "avr/LockBits.h"
#include "avr/LockMode.h"
#include "avr/ProgramEeprom.h"
#include "avr/ProgramFlash.h"
#include "files/ByteDifferences.h"
#include "shell/Fill.h"
#include "shell/ReportText.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

// One memory of the file as the programming commands take a loaded file.
FileImage ImageOf(const std::vector<std::uint8_t>& bytes, const ImageLimits& limits,
                  const std::vector<std::uint8_t>& signature) {
    FileImage image;
    image.load = ImageLoad::Loaded;
    image.kind = files::FileKind::Elf;
    image.bytes.assign(limits.capacity, 0xFF);
    std::copy_n(bytes.begin(), std::min(bytes.size(), image.bytes.size()), image.bytes.begin());
    image.read.opened = true;
    image.read.hasData = !bytes.empty();
    image.read.dataEnd = bytes.size();
    image.signature = signature;
    return image;
}

// The fuse bytes the file carries, if any; the refusal's text when they may not be written.
std::string FileFuses(const ElfReadResult& file, std::optional<FuseBytes>& fuses) {
    if (file.fuses.empty()) return {};
    fuses = FuseBytesOf(file.fuses);
    if (!fuses) return FuseLengthRefusal(file.fuses.size());
    return SpienRefusal(*fuses);
}

// The lock byte the file carries, if any; the refusal's text when it is no mode of the datasheets.
std::string FileLock(const ElfReadResult& file, std::optional<std::uint8_t>& lock) {
    if (file.lock.empty()) return {};
    if (file.lock.size() != 1 || !LockModeOf(file.lock[0])) {
        return shell::Fill(Tr("La seccion .lock del fichero no es ningun modo de bloqueo (%1)!!"),
                           {LockByteText(file.lock[0])});
    }
    lock = file.lock[0];
    return {};
}

// Ends the command at the first byte the device does not hold as the file has it.
CommandOutcome Differs(CommandFrame& frame, std::string_view memoryName,
                       const std::vector<files::ByteDifference>& differences) {
    char address[16];
    std::snprintf(address, sizeof address, "%04X", static_cast<unsigned>(differences.front().address));
    frame.Shell().MessageBox(shell::Fill(Tr("La copia no se ha restaurado bien: %1 no coincide con el fichero en el "
                                            "byte $%2!!"),
                                         {TrText(memoryName), std::string(address)}),
                             ErrorCaption);
    frame.View().DifferencesFound(memoryName, differences);
    return CommandOutcome::Failed;
}

// Reads the whole device again and compares every memory with the file: the programming
// commands confirm each byte as it is written, but only a full read shows that nothing written
// later (a page, the fuses) disturbed what came before.
CommandOutcome CheckRestored(CommandFrame& frame, const FileImage& flash, const FileImage& eeprom,
                             const std::optional<FuseBytes>& fuses) {
    frame.Shell().SetCursor(shell::CursorShape::Hourglass);
    if (!frame.IdentifyDevice()) {
        frame.StopCommand();
        return CommandOutcome::Failed;
    }
    ElfContents chip;
    if (!ReadChipContents(frame, chip)) return frame.StoppedOutcome();
    frame.StopCommand();
    const auto compare = [](const FileImage& file, const std::vector<std::uint8_t>& device) {
        return files::DifferencesBetween(std::span(file.bytes).first(device.size()), device);
    };
    if (const auto differences = compare(flash, chip.flash); !differences.empty())
        return Differs(frame, FlashImageLimits.memoryName, differences);
    if (const auto differences = compare(eeprom, chip.eeprom); !differences.empty())
        return Differs(frame, EepromImageLimits.memoryName, differences);
    if (fuses && FuseBytesOf(chip.fuses) != fuses) {
        const FuseBytes read = FuseBytesOf(chip.fuses).value_or(FuseBytes{});
        frame.Shell().MessageBox(shell::Fill(Tr("La copia no se ha restaurado bien: los fuses leidos (%1) no son los "
                                                "del fichero (%2)!!"),
                                             {FuseBytesText(read), FuseBytesText(*fuses)}),
                                 ErrorCaption);
        return CommandOutcome::Failed;
    }
    return CommandOutcome::Done;
}

CommandOutcome Restore(CommandFrame& frame, const std::string& fileName, bool ask) {
    shell::Shell& shell = frame.Shell();
    // Everything the file can be refused for is found out before the chip is erased: afterwards
    // a refusal would leave the user with a blank device.
    const ElfReadResult file = ElfRead(fileName, ElfMemory::Signature);
    if (!file.error.empty()) {
        shell.MessageBox(file.error, ErrorCaption);
        return CommandOutcome::Failed;
    }
    std::optional<FuseBytes> fuses;
    if (const std::string refusal = FileFuses(file, fuses); !refusal.empty()) {
        shell.MessageBox(refusal, ErrorCaption);
        return CommandOutcome::Failed;
    }
    std::optional<std::uint8_t> lock;
    if (const std::string refusal = FileLock(file, lock); !refusal.empty()) {
        shell.MessageBox(refusal, ErrorCaption);
        return CommandOutcome::Failed;
    }
    if (ask && !shell.AskYesNo(shell::Fill(Tr("Se borrara el chip, y su flash, su eeprom interna, sus fuses y sus bits "
                                              "de bloqueo seran los de la copia:\r%1\r\rRestaurar la copia?"),
                                           {shell::FileNameText(fileName)}),
                               Tr("AVISO:"))) {
        return CommandOutcome::Cancelled;
    }
    const FileImage flash = ImageOf(file.flash, FlashImageLimits, file.signature);
    const FileImage eeprom = ImageOf(file.eeprom, EepromImageLimits, file.signature);

    shell.SetCursor(shell::CursorShape::Hourglass);
    if (!frame.IdentifyDevice()) {
        frame.StopCommand();
        return CommandOutcome::Failed;
    }
    if (!CheckFileDevice(frame, file.signature)) return CommandOutcome::Failed;
    if (!CheckImageFits(frame, flash, FlashImageLimits, frame.FlashSize())) return CommandOutcome::Failed;
    if (!CheckImageFits(frame, eeprom, EepromImageLimits, frame.EepromSize())) return CommandOutcome::Failed;
    std::optional<FuseBytes> current;
    if (fuses) {
        if (!FuseLayoutOf(frame.Device().kind)) {
            frame.StopCommand();
            shell.MessageBox(shell::Fill(Tr("El fichero trae fuses y el %1 no tiene fuses que se puedan grabar!!"),
                                         {frame.Device().caption}),
                             ErrorCaption);
            return CommandOutcome::Failed;
        }
        if (!CheckFuseCount(frame, *fuses)) return CommandOutcome::Failed;
        // A clock that needs parts on XTAL1 is asked about now, not once the chip is erased; the
        // one the device runs on answered already.
        current = ReadDeviceFuses(frame.Link(), DeviceFuseLayout(frame));
        if ((fuses->low & fusebits::Cksel) != (current->low & fusebits::Cksel) && !ConfirmClock(frame, fuses->low))
            return CommandOutcome::Cancelled;
    }

    // The erase takes flash, EEPROM (unless EESAVE keeps it: every EEPROM byte is written anyway)
    // and lock bits; the fuses stay, and are written last, so that flash and EEPROM go in on the
    // clock the device answered on.
    frame.Link().ChipErase();
    if (const CommandOutcome written = ProgramFlashImage(frame, flash, true); written != CommandOutcome::Done)
        return written;
    if (const CommandOutcome written = ProgramEepromImage(frame, eeprom); written != CommandOutcome::Done)
        return written;
    if (fuses) {
        if (!IdentifyFuseDevice(frame, false)) return CommandOutcome::Failed;
        if (!WriteCheckedFuses(frame, *fuses, current)) return CommandOutcome::Failed;
    }
    if (const CommandOutcome checked = CheckRestored(frame, flash, eeprom, fuses); checked != CommandOutcome::Done)
        return checked;
    // The lock byte goes last, once everything above has been checked: written earlier it would
    // forbid the reads that check it. An unlocked copy's byte programs nothing.
    if (lock && *lock != LockByteOf(LockMode::NoLock)) {
        if (!frame.IdentifyDevice()) {
            frame.StopCommand();
            return CommandOutcome::Failed;
        }
        if (!WriteCheckedLockByte(frame, *lock)) return CommandOutcome::Failed;
    }

    shell.SetCursor(shell::CursorShape::Default);
    shell.Report(shell::Fill(Tr("Copia %1 restaurada y comprobada en el %2"),
                             {shell::FileNameText(fileName), frame.Device().caption}));
    shell.MessageBox(Tr("Copia restaurada y comprobada !!"), "OK");
    return CommandOutcome::Done;
}

}  // namespace

CommandOutcome RestoreChip(CommandFrame& frame) {
    const auto choose = [](shell::Shell& shell) {
        return shell.ChooseElfFile(shell::Shell::FileUse::Open, BackupOpenCaption);
    };
    return RunOnChosenFile(frame, choose,
                           [&](const std::string& fileName) { return Restore(frame, fileName, true); });
}

CommandOutcome RestoreChipFrom(CommandFrame& frame, const std::string& fileName) {
    return RunCommand(frame, [&] { return Restore(frame, fileName, false); });
}

}  // namespace tarpel::avr
