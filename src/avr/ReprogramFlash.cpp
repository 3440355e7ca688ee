// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/ReprogramFlash.h"

#include <algorithm>

#include "avr/CommandEntry.h"
#include "avr/EraseChip.h"
#include "avr/FileImage.h"
#include "avr/ProgramFlash.h"

namespace tarpel::avr {

namespace {

constexpr int SmallestFlashSize() {
    int smallest = DeviceTable.front().flashSize;
    for (const auto& device : DeviceTable) smallest = std::min(smallest, device.flashSize);
    return smallest;
}

CommandOutcome EraseAndProgram(CommandFrame& frame, const std::string& fileName) {
    // Erasing and then finding no file to program would leave the user with a blank device.
    const FileImage image = LoadFileImage(fileName, FlashImageLimits);
    if (!ReportFileImage(frame.Shell(), image, FlashImageLimits)) return CommandOutcome::Failed;
    // Nor must a file too big for the device in the socket, or built for another device, be
    // found out after the erase; only the signature tells the size, so a file beyond the
    // smallest flash, and a program that names its device, are measured first.
    if (image.read.dataEnd > static_cast<std::uint64_t>(SmallestFlashSize()) || !image.signature.empty()) {
        frame.Shell().SetCursor(shell::CursorShape::Hourglass);
        if (!frame.IdentifyDevice()) {
            frame.StopCommand();
            return frame.StartOutcome();
        }
        if (!CheckImageFits(frame, image, FlashImageLimits, frame.FlashSize())) return CommandOutcome::Failed;
        if (!CheckFileDevice(frame, image.signature)) return CommandOutcome::Failed;
        frame.StopCommand();
    }
    if (!frame.EnterProgrammingMode()) return frame.StartOutcome();
    if (frame.StopBeforeWriting()) return frame.StoppedOutcome();
    frame.Link().ChipErase();
    frame.NoteWritten(Tr(ErasedText));
    return ProgramFlashImage(frame, image, true);
}

}  // namespace

CommandOutcome ReprogramFlash(CommandFrame& frame) { return ReprogramFlashFrom(frame, frame.Shell().LastOpenFile()); }

CommandOutcome ReprogramFlashFrom(CommandFrame& frame, const std::string& fileName) {
    return RunCommand(frame, [&] { return EraseAndProgram(frame, fileName); });
}

}  // namespace tarpel::avr
