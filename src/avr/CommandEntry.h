// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The way into every AVR command. Each runs alone on the board: one started while another runs
// (from inside the other's message processing) returns at once. A command that works on a file
// comes in two versions, the window's, which asks for the file through the shell's dialog, and
// tarpel-cli's, given its name; both run the same body.
#include <functional>
#include <optional>
#include <string>

#include "avr/CommandFrame.h"

namespace tarpel::avr {

// Runs `body`; Failed at once, touching nothing, while another command runs.
CommandOutcome RunCommand(CommandFrame& frame, const std::function<CommandOutcome()>& body);

// Asks for a file: ChooseOpenFile or ChooseSaveFile of the shell, or either with its own caption.
using FileChoice = std::function<std::optional<std::string>(shell::Shell&)>;
std::optional<std::string> OpenDialog(shell::Shell& shell);
std::optional<std::string> SaveDialog(shell::Shell& shell);

// As RunCommand, with the file `choose` gets from the user; Cancelled when the dialog closes
// without a choice.
CommandOutcome RunOnChosenFile(CommandFrame& frame, const FileChoice& choose,
                               const std::function<CommandOutcome(const std::string&)>& body);

}  // namespace tarpel::avr
