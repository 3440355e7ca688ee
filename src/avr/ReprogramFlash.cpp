#include "avr/ReprogramFlash.h"

#include "avr/FileImage.h"
#include "avr/ProgramFlash.h"

namespace tarpel::avr {

CommandOutcome ReprogramFlash(CommandFrame& frame) { return ReprogramFlashFrom(frame, frame.Shell().LastOpenFile()); }

CommandOutcome ReprogramFlashFrom(CommandFrame& frame, const std::string& fileName) {
    const auto scope = frame.Begin();
    if (!scope) return CommandOutcome::Failed;
    // Erasing and then finding no file to program would leave the user with a blank device.
    const FileImage image = LoadFileImage(fileName, FlashImageLimits);
    if (image.load != ImageLoad::Loaded) {
        ReportUnloadable(frame.Shell(), image.load);
        return CommandOutcome::Failed;
    }
    if (!frame.EnterProgrammingMode()) return CommandOutcome::Failed;
    frame.Link().ChipErase();
    return ProgramFlashImage(frame, image.bytes);
}

}  // namespace tarpel::avr
