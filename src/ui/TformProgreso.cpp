// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/TformProgreso.h"

#include <QCloseEvent>
#include <QDynamicPropertyChangeEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "ui/DialogFont.h"
#include "ui/TGauge.h"
#include "ui/TrQ.h"

namespace tarpel::ui {

namespace {

const char* const TagProperty = "tag";

}  // namespace

TformProgreso::TformProgreso(QWidget* parent)
    // A plain window rather than a QDialog: a dialog would close on Esc, and neither Esc nor
    // Enter may stop or end an operation here. A dialog's frame with its title alone: window
    // managers give a tool window minimise, maximise and close buttons that would do nothing.
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("formProgreso"));
    setWindowTitle(TrQ("Progreso..."));
    setFont(DialogFont());
    setFixedSize(361, 86);

    Progreso = new TGauge(this);
    Progreso->setObjectName(QStringLiteral("Progreso"));
    Progreso->setGeometry((361 - 273) / 2, 8, 273, 33);
    Progreso->SetForeColor(Qt::black);

    btnCancelar = new QPushButton(TrQ("Cancelar..."), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));
    btnCancelar->setGeometry(8, 53, 75, 25);
    btnCancelar->setAutoDefault(false);
    btnCancelar->setDefault(false);
    btnCancelar->installEventFilter(this);
    btnCancelar->setProperty(TagProperty, 0);
    connect(btnCancelar, &QPushButton::clicked, this, &TformProgreso::btnCancelarClick);

    lbProg = new QLabel(QStringLiteral("    "), this);
    lbProg->setObjectName(QStringLiteral("lbProg"));
    lbProg->setGeometry(96, 53, 257, 25);
    // A fixed size: a new text then asks no layout of the dialog, which has none to give.
    lbProg->setFixedSize(lbProg->size());
    lbProg->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void TformProgreso::SetCancelTag(int value) { btnCancelar->setProperty(TagProperty, value); }

bool TformProgreso::eventFilter(QObject* watched, QEvent* event) {
    if (watched == btnCancelar && event->type() == QEvent::DynamicPropertyChange &&
        static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == TagProperty)
        cancelTag_ = btnCancelar->property(TagProperty).toInt();
    return QWidget::eventFilter(watched, event);
}

void TformProgreso::btnCancelarClick() { SetCancelTag(1); }

void TformProgreso::showEvent(QShowEvent* event) {
    // Only a show by the program counts, not the window system restoring a minimised window.
    if (event->spontaneous()) {
        QWidget::showEvent(event);
        return;
    }
    SetCancelTag(0);
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QWidget::showEvent(event);
}

void TformProgreso::closeEvent(QCloseEvent* event) { event->ignore(); }

}  // namespace tarpel::ui
