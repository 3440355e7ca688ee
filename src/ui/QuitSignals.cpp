// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/QuitSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarpel::ui {

namespace {

int signalSockets[2] = {-1, -1};

// Async-signal-safe: one write(), errno kept for the code the signal interrupted.
void OnSignal(int signalNumber) {
    const int savedErrno = errno;
    const char code = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &code, 1);
    errno = savedErrno;
}

}  // namespace

QuitSignals::QuitSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0) return;
    // A burst of signals must never block the handler.
    ::fcntl(signalSockets[0], F_SETFL, ::fcntl(signalSockets[0], F_GETFL) | O_NONBLOCK);
    notifier_ = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &QuitSignals::Drain);

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(Handled); ++i) ::sigaction(Handled[i], &action, &previous_[i]);
}

QuitSignals::~QuitSignals() {
    if (!notifier_) return;
    for (std::size_t i = 0; i < std::size(Handled); ++i) ::sigaction(Handled[i], &previous_[i], nullptr);
    delete notifier_;
    ::close(signalSockets[0]);
    ::close(signalSockets[1]);
    signalSockets[0] = signalSockets[1] = -1;
}

void QuitSignals::Drain() {
    char code = 0;
    if (::read(signalSockets[1], &code, 1) == 1) emit QuitRequested(code);
}

}  // namespace tarpel::ui
