// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A modal runner for tests that click through the whole window: message boxes and file dialogs
// are recorded and answered without blocking (RecordingModalRunner), while the window's own
// dialogs (About box, configuration, manual test) really run their modal loop, inside which
// `whileOpen` acts as the user would once the dialog is up. A guard ends a loop nothing closed.
#include <gtest/gtest.h>

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <vector>

#include "RecordingModalRunner.h"
#include "ui/ModalRunner.h"

namespace tarpel::test {

class DialogAnsweringRunner final : public ui::ModalRunner {
public:
    RecordingModalRunner recorder;  // message boxes and file dialogs

    // Runs inside the dialog's modal loop at its first pass. Empty: nothing is done, so only
    // the dialog itself can end its loop (the About box's timer does).
    std::function<void(QDialog&)> whileOpen;
    std::vector<QString> ownDialogs;  // class names of the window's own dialogs, in order
    std::vector<int> results;         // what each of their modal loops returned

    int Exec(QDialog& dialog) override {
        if (qobject_cast<QMessageBox*>(&dialog) || qobject_cast<QFileDialog*>(&dialog)) return recorder.Exec(dialog);
        ownDialogs.push_back(QString::fromLatin1(dialog.metaObject()->className()));
        // Timers of this call only: once the loop has ended they must not fire into a later one.
        QTimer act;
        act.setSingleShot(true);
        QObject::connect(&act, &QTimer::timeout, &dialog, [this, &dialog] {
            if (whileOpen) whileOpen(dialog);
        });
        act.start(0);
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &dialog, [&dialog] {
            ADD_FAILURE() << dialog.metaObject()->className() << " did not close";
            dialog.done(-1);
        });
        // Only a dialog that never closes trips it: the production dialog runs two whole chips
        // inside its loop, some 15 s of real time under the sanitizers.
        guard.start(60'000);
        const int result = dialog.exec();
        results.push_back(result);
        return result;
    }
};

}  // namespace tarpel::test
