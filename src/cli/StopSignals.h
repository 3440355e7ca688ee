// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// How tarpel-cli meets SIGINT, SIGTERM, SIGHUP and SIGQUIT, all four alike. The first asks the
// running command to stop at its next byte or page, as the window's "Cancelar..." does; the
// program then switches every line off, says "Operacion cancelada" and ends with status 1. A
// second one does not wait for the command: every line goes off at once and the program ends
// with status 128 + the signal's number.
#include "shell/Translate.h"

namespace tarpel::cli {

inline constexpr const char* CancelledMessage = TrNoop("Operacion cancelada");

// `terminal`: standard error is a terminal, where a progress line may stand to be cleared.
void InstallStopSignals(bool terminal);

// The number of the first stop signal of this run; 0 while none came.
int StopSignal();

// The number of a second stop signal that the handler could not act on by itself, because no
// port of the board can be written from a handler (the simulated board, in this program's own
// memory); 0 while none came. The board's next port access acts on it (port::StopPort, as the console program sets it up).
int ForcedStopSignal();

// The end of a forced stop, once the lines are off: the message, then the process ends at once.
[[noreturn]] void EndForcedStop();

}  // namespace tarpel::cli
