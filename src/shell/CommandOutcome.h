// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// How a command of either family (24Cxx or AVR) ended, for whoever started it: the window puts it
// in its status bar line when the command reported nothing of itself, tarpel-cli turns it into
// its exit status.

namespace tarpel::shell {

enum class CommandOutcome {
    Done,       // the command ran to its end and found nothing wrong
    Failed,     // no chip or device answered, a locked or unknown device, a write that did not
                // take, a verification difference, a file that could not be read or written, a
                // board that stopped working (which the caller reports, naming the device and cause)
    Cancelled,  // the user called the command off: closed its file dialog without choosing, said
                // no to a question, or pressed "Cancelar..." in the progress dialog (or the
                // window's closing did, or a stop signal, after which tarpel-cli says so)
};

}  // namespace tarpel::shell
