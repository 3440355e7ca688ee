// SPDX-License-Identifier: GPL-2.0-or-later
#include "avr/CommandEntry.h"

namespace tarpel::avr {

CommandOutcome RunCommand(CommandFrame& frame, const std::function<CommandOutcome()>& body) {
    const auto scope = frame.Begin();
    if (!scope) return CommandOutcome::Failed;
    frame.ForgetWritten();
    return body();
}

std::optional<std::string> OpenDialog(shell::Shell& shell) { return shell.ChooseOpenFile(); }
std::optional<std::string> SaveDialog(shell::Shell& shell) { return shell.ChooseSaveFile(); }

CommandOutcome RunOnChosenFile(CommandFrame& frame, const FileChoice& choose,
                               const std::function<CommandOutcome(const std::string&)>& body) {
    return RunCommand(frame, [&] {
        const std::optional<std::string> fileName = choose(frame.Shell());
        return fileName ? body(*fileName) : CommandOutcome::Cancelled;
    });
}

}  // namespace tarpel::avr
