// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The About box: the program's name over a picture of the programmer board, a short
// description, and an OK button that appears only once its one-shot timer has fired.
// Opened within the timer's interval, the box closes itself when the timer fires.
#include <QDialog>
#include <chrono>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace tarpel::ui {

class TAboutBox final : public QDialog {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds DefaultTimerInterval{2000};

    // The timer starts here, at creation, not at the first showing.
    explicit TAboutBox(QWidget* parent = nullptr,
                       std::chrono::milliseconds timerInterval = DefaultTimerInterval);

    // The timer's handler: stops the timer, closes the box with the cancel result if it is
    // showing, and makes "Vale !" visible for good.
    void Timer1Timer();

    QFrame* Panel1;
    QLabel* Image1;
    QLabel* ProductName;
    QPlainTextEdit* Memo1;
    QPushButton* OKButton;
    QTimer* Timer1;
};

}  // namespace tarpel::ui
