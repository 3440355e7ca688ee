// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/VerifyMemory.h"

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "avr/CommandEntry.h"
#include "avr/DeviceMemory.h"
#include "avr/FileImage.h"
#include "avr/LockBits.h"
#include "shell/Fill.h"
#include "shell/ReportText.h"
#include "shell/Translate.h"

namespace tarpel::avr {

namespace {

constexpr std::string_view VerdictCaption = TrNoop("Fin de verificacion");
constexpr std::string_view VerifiedMessage = TrNoop("VERIFICACION: OK !!!!!");

constexpr std::string_view FlashDialogCaption = TrNoop("Selecciona el fichero a comparar con la FLASH");
constexpr std::string_view EepromDialogCaption = TrNoop("Selecciona el fichero a comparar con la EEPROM interna");

std::string DifferenceMessage(int address) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(address));
    return shell::Fill(Tr("VERIFICACION: ERRONEA (Diferencias en byte: $%1)"), {digits});
}

CommandOutcome ReadAndCompare(CommandFrame& frame, DeviceMemory memory, const std::string& fileName) {
    shell::Shell& shell = frame.Shell();
    // The file is looked at before the device is powered: a missing file would compare as all
    // 0xFF and a blank device would "verify" against it, and data beyond the memory would never
    // be compared at all.
    const ImageLimits& limits = MemoryFileLimits(memory);
    const FileImage checked = LoadFileImage(fileName, limits);
    if (!ReportFileImage(shell, checked, limits)) return CommandOutcome::Failed;
    shell.SetCursor(shell::CursorShape::Hourglass);
    if (!frame.IdentifyDevice() || !LockAllowsReading(frame)) {
        frame.StopCommand();
        return frame.StartOutcome();
    }
    const int size = MemorySize(frame, memory);
    if (!CheckImageFits(frame, checked, limits, size)) return CommandOutcome::Failed;
    if (!CheckFileDevice(frame, checked.signature)) return CommandOutcome::Failed;
    std::vector<std::uint8_t> device(static_cast<std::size_t>(size), 0xFF);
    // A verdict on part of the memory would judge bytes never read: a stopped read gives none.
    if (!ReadDeviceMemory(frame, memory, device)) return frame.StoppedOutcome();
    frame.SwitchOff();
    frame.View().MemoryContentsKnown(device);
    shell.SetCursor(shell::CursorShape::Default);

    // What is compared is the file as it is once the device has been read, as the program
    // always did; it went away, or changed into something else, if it no longer loads or fits.
    const FileImage file = LoadFileImage(fileName, limits);
    if (file.load != ImageLoad::Loaded) {
        ReportUnloadable(shell, file);
        return CommandOutcome::Failed;
    }
    if (!CheckImageFits(frame, file, limits, size)) return CommandOutcome::Failed;
    // The whole memory is compared, not only what the file covers: the rest must be 0xFF.
    const auto differences = files::DifferencesBetween(file.bytes, device);
    if (differences.empty()) {
        shell.Report(shell::Fill(Tr("Comprobada %1: %2 bytes iguales al fichero"),
                                 {TrText(limits.memoryName), shell::CountText(static_cast<std::uint64_t>(size))}));
        shell.MessageBox(VerifiedMessage, VerdictCaption);
        frame.View().DifferencesFound(limits.memoryName, differences);
        return CommandOutcome::Done;
    }
    shell.Report(shell::Fill(Tr("Comprobada %1: %2 bytes distintos del fichero"),
                             {TrText(limits.memoryName), shell::CountText(differences.size())}));
    shell.MessageBox(DifferenceMessage(static_cast<int>(differences.front().address)), VerdictCaption);
    frame.View().DifferencesFound(limits.memoryName, differences);
    return CommandOutcome::Failed;
}

CommandOutcome VerifyWithDialog(CommandFrame& frame, DeviceMemory memory) {
    // The shell puts the dialog's own caption back once it closes, chosen or cancelled.
    const auto choose = [memory](shell::Shell& shell) {
        return shell.ChooseOpenFile(memory == DeviceMemory::Flash ? FlashDialogCaption : EepromDialogCaption);
    };
    return RunOnChosenFile(frame, choose,
                           [&](const std::string& fileName) { return ReadAndCompare(frame, memory, fileName); });
}

CommandOutcome VerifyWithFile(CommandFrame& frame, DeviceMemory memory, const std::string& fileName) {
    return RunCommand(frame, [&] { return ReadAndCompare(frame, memory, fileName); });
}

}  // namespace

CommandOutcome VerifyFlash(CommandFrame& frame) { return VerifyWithDialog(frame, DeviceMemory::Flash); }
CommandOutcome VerifyEeprom(CommandFrame& frame) { return VerifyWithDialog(frame, DeviceMemory::Eeprom); }

CommandOutcome VerifyFlashWith(CommandFrame& frame, const std::string& fileName) {
    return VerifyWithFile(frame, DeviceMemory::Flash, fileName);
}
CommandOutcome VerifyEepromWith(CommandFrame& frame, const std::string& fileName) {
    return VerifyWithFile(frame, DeviceMemory::Eeprom, fileName);
}

}  // namespace tarpel::avr
