// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// SIGINT, SIGTERM, SIGHUP and SIGQUIT as a Qt signal: the handler only writes the signal number
// into a socket pair, and a QSocketNotifier hands it to the event loop, where the window can end
// the program the way "&Salir" does. One instance at a time; it restores the earlier handlers
// when it goes.
#include <QObject>

#include <csignal>
#include <iterator>

class QSocketNotifier;

namespace tarpel::ui {

class QuitSignals final : public QObject {
    Q_OBJECT

public:
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;

signals:
    void QuitRequested(int signalNumber);

private:
    void Drain();

    QSocketNotifier* notifier_ = nullptr;
    static constexpr int Handled[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
    struct sigaction previous_[std::size(Handled)] {};
};

}  // namespace tarpel::ui
