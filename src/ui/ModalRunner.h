// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where the window runs its modal dialogs (message boxes, file dialogs). The program runs them
// with exec(); tests put a runner in its place that answers without blocking.
class QDialog;

namespace tarpel::ui {

class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    // Runs the dialog modally and returns its result code (QDialog::Accepted or Rejected).
    virtual int Exec(QDialog& dialog);
};

}  // namespace tarpel::ui
