// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The progress dialog of the long 24Cxx operations: a black gauge, a counter text and the
// "Cancelar..." button whose click raises the cancel flag. The operation owns the loop; this
// window only shows what it is given and records the click. Showing it clears the flag.
#include <QWidget>

class QLabel;
class QPushButton;

namespace tarpel::ui {

class TGauge;

class TformProgreso : public QWidget {
    Q_OBJECT

public:
    explicit TformProgreso(QWidget* parent = nullptr);

    TGauge* Progreso;
    QLabel* lbProg;
    QPushButton* btnCancelar;

    // The cancel flag, kept in the "tag" property of btnCancelar: 0 go on, 1 stop.
    int CancelTag() const { return cancelTag_; }
    bool CancelRequested() const { return CancelTag() != 0; }
    // A chip command starts: a click left from an earlier command no longer counts. (The AVR
    // commands heed the flag without showing the dialog, whose showing would clear it.)
    void ClearCancel() { SetCancelTag(0); }

public slots:
    void btnCancelarClick();

protected:
    // FormShow: clears the cancel flag and centres the window on its screen.
    void showEvent(QShowEvent* event) override;
    // The dialog has no close box; a window manager's close request (Alt+F4) is refused too, so
    // that a running operation never loses its "Cancelar...". The operation hides it when done.
    void closeEvent(QCloseEvent* event) override;
    // Follows the tag into cancelTag_ whoever sets it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetCancelTag(int value);

    // A copy of the tag's value: a command asks for it after every byte, and a property lookup
    // by name costs more than the rest of the question.
    int cancelTag_ = 0;
};

}  // namespace tarpel::ui
