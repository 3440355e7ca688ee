// Keeping the window's commands apart: while one drives the board and lets the message loop run,
// the menus and both pages are disabled; a close request waits for the command to end.
#include <QCloseEvent>
#include <QMenuBar>
#include <QTimer>

#include "ui/TVentana.h"

namespace tarpel::ui {

TVentana::CommandScope::CommandScope(TVentana& window) : window_(window) {
    window_.commandRunning_ = true;
    window_.SetCommandsEnabled(false);
}

TVentana::CommandScope::~CommandScope() {
    window_.SetCommandsEnabled(true);
    window_.commandRunning_ = false;
    if (window_.closeRequested_) {
        window_.closeRequested_ = false;
        QTimer::singleShot(0, &window_, &QWidget::close);
    }
}

void TVentana::SetCommandsEnabled(bool enabled) {
    if (QWidget* pages = centralWidget()) pages->setEnabled(enabled);
    menuBar()->setEnabled(enabled);
}

void TVentana::closeEvent(QCloseEvent* event) {
    if (commandRunning_) {
        closeRequested_ = true;
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

}  // namespace tarpel::ui
