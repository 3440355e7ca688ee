#pragma once
// How a command of either family (24Cxx or AVR) ended, for whoever started it: the window
// ignores it (the command has already told the user), tarpel-cli turns it into its exit status.

namespace tarpel::shell {

enum class CommandOutcome {
    Done,       // the command ran to its end and found nothing wrong
    Failed,     // no chip or device answered, a locked or unknown device, a write that did not
                // take, a verification difference, a file that could not be read or written
    Cancelled,  // the user called the command off: closed its file dialog without choosing, or
                // pressed "Cancelar..." in the progress dialog (or a stop signal, the window's
                // closing or a board that stopped working did, which the caller reports)
};

}  // namespace tarpel::shell
