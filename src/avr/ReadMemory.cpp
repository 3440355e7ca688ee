// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/ReadMemory.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "avr/CommandEntry.h"
#include "avr/DeviceMemory.h"
#include "avr/FileImage.h"
#include "avr/LockBits.h"
#include "files/BinaryFile.h"
#include "files/FileKind.h"
#include "files/HexWrite.h"
#include "files/ImageFileMessages.h"
#include "files/OutputFile.h"
#include "files/SrecWrite.h"
#include "shell/Fill.h"
#include "shell/ReportText.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

constexpr std::string_view CannotCreate = TrNoop("No se puede crear fichero!!");

CommandOutcome ReadAndSave(CommandFrame& frame, DeviceMemory memory, const std::string& fileName) {
    shell::Shell& shell = frame.Shell();
    const files::FileKind kind = files::FileKindOf(fileName);
    if (kind == files::FileKind::Other || kind == files::FileKind::Elf) {
        // Nothing could be saved under such a name (an ELF program is the toolchain's to
        // write): say so before the device is read, rather than read it in full and drop what
        // was read without a word.
        shell.MessageBox(files::UnknownKindText, ErrorCaption);
        return CommandOutcome::Failed;
    }
    if (const std::string refusal = files::OutputRefusal(fileName); !refusal.empty()) {
        shell.MessageBox(refusal, ErrorCaption);
        return CommandOutcome::Failed;
    }
    shell.SetCursor(shell::CursorShape::Hourglass);
    if (!frame.IdentifyDevice() || !LockAllowsReading(frame)) {
        frame.StopCommand();
        return frame.StartOutcome();
    }
    std::vector<std::uint8_t> image(static_cast<std::size_t>(MemorySize(frame, memory)));
    // Part of a memory is no copy of it: a stopped read saves nothing.
    if (!ReadDeviceMemory(frame, memory, image)) return frame.StoppedOutcome();
    frame.SwitchOff();
    frame.View().MemoryContentsKnown(image);

    const auto count = static_cast<std::int32_t>(image.size());
    const bool written = kind == files::FileKind::Binary ? files::WriteBinaryFile(fileName, image)
                         : kind == files::FileKind::Srec ? files::SrecWrite(fileName, image, count)
                                                         : files::HexWrite(fileName, image, count);
    shell.SetCursor(shell::CursorShape::Default);
    if (!written) {
        // A text file that could not be written is reported like a binary one: otherwise the
        // user would take the device's contents for saved.
        shell.MessageBox(CannotCreate, ErrorCaption);
        return CommandOutcome::Failed;
    }
    shell.Report(shell::Fill(Tr("Leidos %1 bytes de %2 en %3"),
                             {shell::CountText(image.size()), TrText(MemoryFileLimits(memory).memoryName),
                              shell::FileNameText(fileName)}));
    return CommandOutcome::Done;
}

CommandOutcome ReadWithDialog(CommandFrame& frame, DeviceMemory memory) {
    return RunOnChosenFile(frame, SaveDialog,
                           [&](const std::string& fileName) { return ReadAndSave(frame, memory, fileName); });
}

CommandOutcome ReadToFile(CommandFrame& frame, DeviceMemory memory, const std::string& fileName) {
    return RunCommand(frame, [&] { return ReadAndSave(frame, memory, fileName); });
}

}  // namespace

CommandOutcome ReadFlash(CommandFrame& frame) { return ReadWithDialog(frame, DeviceMemory::Flash); }
CommandOutcome ReadEeprom(CommandFrame& frame) { return ReadWithDialog(frame, DeviceMemory::Eeprom); }

CommandOutcome ReadFlashTo(CommandFrame& frame, const std::string& fileName) {
    return ReadToFile(frame, DeviceMemory::Flash, fileName);
}
CommandOutcome ReadEepromTo(CommandFrame& frame, const std::string& fileName) {
    return ReadToFile(frame, DeviceMemory::Eeprom, fileName);
}

}  // namespace tarpel::avr
