#pragma once
// How an AVR command ended, for whoever started it: the window ignores it (the command has
// already told the user), tarpel-cli turns it into its exit status.

namespace tarpel::avr {

enum class CommandOutcome {
    Done,       // the command ran to its end
    Failed,     // no device, a locked or unknown one, a write that did not take, a bad file
    Cancelled,  // the user closed the file dialog without choosing
};

}  // namespace tarpel::avr
