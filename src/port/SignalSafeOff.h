// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Switching the board off from inside a signal handler, where only async-signal-safe calls may
// run: no allocation, no lock, no stream. A backend that can write 0x00 to its data register with
// one such call (ppdev: one ioctl on the descriptor it already holds; direct I/O: one outb)
// registers that write while it is open. The simulated board lives in the program's own memory
// and cannot be touched from a handler, so it registers nothing.
namespace tarpel::port {

using SignalSafeOffWrite = void (*)();

// `write` null withdraws the registration. Called only outside handlers.
void RegisterSignalSafeOff(SignalSafeOffWrite write);

// Runs the registered write of 0x00, if any. True when there was one to run.
bool SwitchOffFromSignal();

}  // namespace tarpel::port
