// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/DeviceProgram.h"

#include <algorithm>
#include <cstdio>

#include "avr/ChipContents.h"
#include "avr/CommandEntry.h"
#include "avr/DeviceFuses.h"
#include "avr/ElfRead.h"
#include "avr/EraseChip.h"
#include "avr/FuseDevice.h"
#include "avr/FuseFile.h"
#include "avr/FuseMapping.h"
#include "avr/LockBits.h"
#include "avr/LockMode.h"
#include "avr/ProgramEeprom.h"
#include "avr/ProgramFlash.h"
#include "files/ByteDifferences.h"
#include "files/FileKind.h"
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

// Times each step on the board's clock and tells the observer how it ended.
class StepTimer {
public:
    StepTimer(CommandFrame& frame, StepObserver* observer) : frame_(frame), observer_(observer) { Restart(); }
    CommandOutcome End(std::string_view step, CommandOutcome outcome) {
        if (observer_) {
            std::int64_t frequency = 1;
            frame_.Clock().QueryPerformanceFrequency(frequency);
            const double seconds =
                static_cast<double>(frame_.Clock().QueryPerformanceCounter() - start_) / static_cast<double>(frequency);
            observer_->StepEnded(step, outcome, seconds);
        }
        Restart();
        return outcome;
    }

private:
    void Restart() { start_ = frame_.Clock().QueryPerformanceCounter(); }
    CommandFrame& frame_;
    StepObserver* observer_;
    std::int64_t start_ = 0;
};

// Ends the command at the first byte the device does not hold as the program has it.
CommandOutcome Differs(CommandFrame& frame, std::string_view failure, std::string_view memoryName,
                       const std::vector<files::ByteDifference>& differences) {
    char address[16];
    std::snprintf(address, sizeof address, "%04X", static_cast<unsigned>(differences.front().address));
    frame.Shell().MessageBox(shell::Fill(Tr("%1: %2 no coincide con el fichero en el byte $%3!!"),
                                         {failure, TrText(memoryName), std::string(address)}),
                             ErrorCaption);
    frame.View().DifferencesFound(memoryName, differences);
    return CommandOutcome::Failed;
}

// Reads the whole device again and compares every memory with the program: the programming
// commands confirm each byte as it is written, but only a full read shows that nothing written
// later (a page, the fuses) disturbed what came before.
CommandOutcome CheckWritten(CommandFrame& frame, const DeviceProgram& program, std::string_view failure) {
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
    if (const auto differences = compare(program.flash, chip.flash); !differences.empty())
        return Differs(frame, failure, FlashImageLimits.memoryName, differences);
    if (const auto differences = compare(program.eeprom, chip.eeprom); !differences.empty())
        return Differs(frame, failure, EepromImageLimits.memoryName, differences);
    if (program.fuses && FuseBytesOf(chip.fuses) != program.fuses) {
        const FuseBytes read = FuseBytesOf(chip.fuses).value_or(FuseBytes{});
        frame.Shell().MessageBox(shell::Fill(Tr("%1: los fuses leidos (%2) no son los del fichero (%3)!!"),
                                             {failure, FuseBytesText(read), FuseBytesText(*program.fuses)}),
                                 ErrorCaption);
        return CommandOutcome::Failed;
    }
    return CommandOutcome::Done;
}

// Everything the device can refuse the program for, found out before the erase: afterwards a
// refusal would leave the user with a blank device. The fuse bytes the device holds now, when
// the program has some.
CommandOutcome CheckDevice(CommandFrame& frame, const DeviceProgram& program, std::optional<FuseBytes>& current) {
    frame.Shell().SetCursor(shell::CursorShape::Hourglass);
    if (!frame.IdentifyDevice()) {
        frame.StopCommand();
        return frame.StartOutcome();
    }
    if (!CheckFileDevice(frame, program.signature) ||
        !CheckImageFits(frame, program.flash, FlashImageLimits, frame.FlashSize()) ||
        !CheckImageFits(frame, program.eeprom, EepromImageLimits, frame.EepromSize()))
        return CommandOutcome::Failed;
    if (!program.fuses) return CommandOutcome::Done;
    if (!FuseLayoutOf(frame.Device().kind)) {
        frame.StopCommand();
        frame.Shell().MessageBox(shell::Fill(Tr("El fichero trae fuses y el %1 no tiene fuses que se puedan grabar!!"),
                                             {frame.Device().caption}),
                                 ErrorCaption);
        return CommandOutcome::Failed;
    }
    if (!CheckFuseCount(frame, *program.fuses)) return CommandOutcome::Failed;
    // A clock that needs parts on XTAL1 is asked about now, not once the chip is erased; the one
    // the device runs on answered already.
    current = ReadDeviceFuses(frame.Link(), DeviceFuseLayout(frame));
    if ((program.fuses->low & fusebits::Cksel) != (current->low & fusebits::Cksel) &&
        !ConfirmClock(frame, program.fuses->low))
        return CommandOutcome::Cancelled;
    return CommandOutcome::Done;
}

}  // namespace

bool LoadElfProgram(shell::Shell& shell, const std::string& fileName, DeviceProgram& program, ElfMemory needed) {
    const ElfReadResult file = ElfRead(fileName, needed);
    std::string refusal = file.error;
    if (refusal.empty()) refusal = FileFuses(file, program.fuses);
    if (refusal.empty()) refusal = FileLock(file, program.lock);
    if (!refusal.empty()) {
        shell.MessageBox(refusal, ErrorCaption);
        return false;
    }
    program.signature = file.signature;
    program.flash = ImageOf(file.flash, FlashImageLimits, file.signature);
    program.eeprom = ImageOf(file.eeprom, EepromImageLimits, file.signature);
    return true;
}

bool LoadImagePrograms(shell::Shell& shell, const std::string& flashFile, const std::string& eepromFile,
                       DeviceProgram& program) {
    program.flash = LoadFileImage(flashFile, FlashImageLimits);
    if (!ReportFileImage(shell, program.flash, FlashImageLimits)) return false;
    program.signature = program.flash.signature;
    if (eepromFile.empty()) {
        program.eeprom = ImageOf({}, EepromImageLimits, program.signature);
        return true;
    }
    program.eeprom = LoadFileImage(eepromFile, EepromImageLimits);
    return ReportFileImage(shell, program.eeprom, EepromImageLimits);
}

CommandOutcome WriteDeviceProgram(CommandFrame& frame, const DeviceProgram& program, bool writeLock,
                                  std::string_view failure, StepObserver* steps) {
    StepTimer timer(frame, steps);
    std::optional<FuseBytes> current;
    if (const CommandOutcome checked = CheckDevice(frame, program, current); checked != CommandOutcome::Done)
        return timer.End(Tr("firma"), checked);
    timer.End(Tr("firma"), CommandOutcome::Done);

    // The erase takes flash, EEPROM (unless EESAVE keeps it: every EEPROM byte is written anyway)
    // and lock bits; the fuses stay, and are written last, so that flash and EEPROM go in on the
    // clock the device answered on.
    if (frame.StopBeforeWriting()) return timer.End(Tr("borrado"), frame.StoppedOutcome());
    frame.Link().ChipErase();
    frame.NoteWritten(Tr(ErasedText));
    timer.End(Tr("borrado"), CommandOutcome::Done);
    if (const CommandOutcome written = ProgramFlashImage(frame, program.flash, true); written != CommandOutcome::Done)
        return timer.End(Tr("flash"), written);
    timer.End(Tr("flash"), CommandOutcome::Done);
    if (const CommandOutcome written = ProgramEepromImage(frame, program.eeprom); written != CommandOutcome::Done)
        return timer.End(Tr("eeprom"), written);
    timer.End(Tr("eeprom"), CommandOutcome::Done);
    if (program.fuses) {
        if (!IdentifyFuseDevice(frame, false) || !WriteCheckedFuses(frame, *program.fuses, current))
            return timer.End(Tr("fuses"), CommandOutcome::Failed);
        timer.End(Tr("fuses"), CommandOutcome::Done);
    }
    if (const CommandOutcome checked = CheckWritten(frame, program, failure); checked != CommandOutcome::Done)
        return timer.End(Tr("verificacion"), checked);
    timer.End(Tr("verificacion"), CommandOutcome::Done);
    // The lock byte goes last, once everything above has been checked: written earlier it would
    // forbid the reads that check it. An unlocked program's byte programs nothing.
    if (writeLock && program.lock && *program.lock != LockByteOf(LockMode::NoLock)) {
        if (!frame.IdentifyDevice()) {
            frame.StopCommand();
            return timer.End(Tr("bloqueo"), CommandOutcome::Failed);
        }
        if (!WriteCheckedLockByte(frame, *program.lock)) return timer.End(Tr("bloqueo"), CommandOutcome::Failed);
        timer.End(Tr("bloqueo"), CommandOutcome::Done);
    }
    return CommandOutcome::Done;
}

namespace {

bool LoadRequest(shell::Shell& shell, const ProgramRequest& request, DeviceProgram& program) {
    if (files::FileKindOf(request.file) == files::FileKind::Elf) {
        if (!request.eepromFile.empty()) {
            shell.MessageBox(Tr("Un .elf trae su propia eeprom interna en su seccion .eeprom: no lleva otro fichero "
                                "de eeprom al lado!!"),
                             ErrorCaption);
            return false;
        }
        if (!LoadElfProgram(shell, request.file, program, ElfMemory::Flash)) return false;
    } else if (!LoadImagePrograms(shell, request.file, request.eepromFile, program)) {
        return false;
    }
    if (request.lock && !program.lock) {
        shell.MessageBox(Tr("El fichero no trae seccion .lock con el modo de bloqueo que grabar!!"), ErrorCaption);
        return false;
    }
    const auto patch = [&shell](FileImage& image, const std::optional<ImagePatch>& bytes, const ImageLimits& limits) {
        if (!bytes || ApplyPatch(image, *bytes)) return true;
        ReportPatchBeyond(shell, *bytes, limits);
        return false;
    };
    return patch(program.flash, request.flashPatch, FlashImageLimits) &&
           patch(program.eeprom, request.eepromPatch, EepromImageLimits);
}

}  // namespace

CommandOutcome ProgramDeviceFrom(CommandFrame& frame, const ProgramRequest& request, StepObserver* steps) {
    return RunCommand(frame, [&] {
        DeviceProgram program;
        if (!LoadRequest(frame.Shell(), request, program)) return CommandOutcome::Failed;
        return WriteDeviceProgram(frame, program, request.lock, Tr("El micro no se ha programado bien"), steps);
    });
}

}  // namespace tarpel::avr
