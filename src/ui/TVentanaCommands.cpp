// SPDX-License-Identifier: GPL-2.0-or-later
// Keeping the window's commands apart: while one drives the board and lets the message loop run,
// the menus and both pages are disabled; a close request cancels the command and waits for it to
// end. What the board reports after a command is shown here.
#include <QCloseEvent>
#include <QMenuBar>
#include <QTimer>

#include "ui/TVentana.h"

namespace tarpel::ui {

TVentana::CommandScope::CommandScope(TVentana& window) : window_(window) {
    window_.SetCommandsEnabled(false);
    window_.shell_.ClearCancel();
    window_.port_.ClearFailure();
}

TVentana::CommandScope::~CommandScope() {
    window_.SetCommandsEnabled(true);
    if (window_.closeRequested_) {
        window_.closeRequested_ = false;
        QTimer::singleShot(0, &window_, &QWidget::close);
    }
}

void TVentana::SetCommandsEnabled(bool enabled) {
    if (QWidget* pages = centralWidget()) pages->setEnabled(enabled);
    menuBar()->setEnabled(enabled);
}

void TVentana::ReportBoardFailure() {
    const std::string failure = port_.Failure();
    if (failure.empty()) return;
    // The command has ended with every line off, where the port still obeys.
    shell_.MessageBox(failure, "ERROR");
}

void TVentana::CloseAfterCommand() {
    // Asked to close during a long command (the close box, "&Salir" through a termination
    // signal): the user would press "Cancelar..." and wait, so the window does just that.
    closeRequested_ = true;
    shell_.PressCancel();
}

void TVentana::closeEvent(QCloseEvent* event) {
    if (commandRunning_) {
        CloseAfterCommand();
        event->ignore();
        return;
    }
    if (!MayDropEdits()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

}  // namespace tarpel::ui
