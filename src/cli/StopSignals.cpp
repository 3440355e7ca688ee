// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/StopSignals.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>
#include <string>

#include "port/SignalSafeOff.h"

namespace tarpel::cli {

namespace {

constexpr int StopSignalNumbers[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

volatile std::sig_atomic_t firstSignal = 0;
volatile std::sig_atomic_t forcedSignal = 0;
bool clearProgressLine = false;

// Only async-signal-safe calls here and below: write(), alarm() and _exit().
template <std::size_t Size>
void WriteError(const char (&text)[Size]) {
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, Size - 1);
}

// The message in the program's language, looked up before any signal can come: gettext is no
// call for a handler.
std::array<char, 128> cancelledText{};
std::size_t cancelledLength = 0;

void WriteCancelled() {
    if (clearProgressLine) WriteError("\r\x1b[K");
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, cancelledText.data(), cancelledLength);
}

// A stop that comes just before an input's open or read blocks on a FIFO interrupts nothing:
// the call starts after it. From the first stop on, an alarm every second interrupts whatever
// blocks, so a reader waiting for a writer that never comes gives up all the same.
extern "C" void OnStopAlarm(int) {
    const int savedErrno = errno;
    ::alarm(1);
    errno = savedErrno;
}

extern "C" void OnStopSignal(int signalNumber) {
    const int savedErrno = errno;
    if (firstSignal == 0) {
        firstSignal = signalNumber;
        ::alarm(1);
        errno = savedErrno;
        return;
    }
    // A second signal. On a real port the handler writes 0x00 itself through the descriptor that
    // is already open (one system call, safe here) and ends the process: nothing of the program's
    // state is touched, and the interrupted command never runs again.
    if (port::SwitchOffFromSignal()) {
        WriteCancelled();
        ::_exit(128 + signalNumber);
    }
    // The simulated board is objects in this program's memory, possibly halfway through a change
    // when the signal came; a handler must not touch them. The flag makes the board's next port
    // access, a moment later on the program's own thread, switch the lines off and end the program.
    forcedSignal = signalNumber;
    errno = savedErrno;
}

}  // namespace

void InstallStopSignals(bool terminal) {
    clearProgressLine = terminal;
    const std::string cancelled = std::string(Tr(CancelledMessage)) + "\n";
    cancelledLength = std::min(cancelled.size(), cancelledText.size());
    std::copy_n(cancelled.data(), cancelledLength, cancelledText.data());
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    // One handler at a time: the second signal never interrupts the first one's handler.
    sigemptyset(&action.sa_mask);
    for (int number : StopSignalNumbers) sigaddset(&action.sa_mask, number);
    // No SA_RESTART: an open or a read blocked on a FIFO given as input must end when the user
    // asks to stop, not wait for a writer that may never come. The file readers give up on the
    // EINTR, and the command then ends as cancelled; every other call retries it.
    action.sa_flags = 0;
    for (int number : StopSignalNumbers) ::sigaction(number, &action, nullptr);
    struct sigaction alarmAction {};
    alarmAction.sa_handler = OnStopAlarm;
    sigemptyset(&alarmAction.sa_mask);
    alarmAction.sa_flags = 0;
    ::sigaction(SIGALRM, &alarmAction, nullptr);
}

int StopSignal() { return firstSignal; }

int ForcedStopSignal() { return forcedSignal; }

void EndForcedStop() {
    WriteCancelled();
    std::_Exit(128 + forcedSignal);
}

}  // namespace tarpel::cli
