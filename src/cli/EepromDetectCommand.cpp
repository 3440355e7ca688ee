// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/EepromDetectCommand.h"

#include "cli/CommandContext.h"
#include "eeprom/CommandFrame.h"
#include "eeprom/DetectChip.h"
#include "shell/Translate.h"

namespace tarpel::cli {

namespace {

int Detect(CommandContext& context) {
    eeprom::EepromWorkspace workspace;
    eeprom::CommandFrame frame(workspace, context.lines, context.timing, context.shell);
    eeprom::ChipDetection detection;
    const auto outcome = eeprom::DetectChip(frame, detection);
    // A failure has been told as a message; a guess, even a range, is the command's result.
    if (outcome == shell::CommandOutcome::Done) context.out << eeprom::DetectionText(detection) << '\n';
    return ExitStatus(outcome);
}

}  // namespace

Command EepromDetectCommand() {
    return {.group = "eeprom",
            .name = "detect",
            .summary = Tr("averigua que 24Cxx hay en el zocalo, sin grabar nada en ella"),
            .run = Detect};
}

}  // namespace tarpel::cli
