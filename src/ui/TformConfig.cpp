// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/TformConfig.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QStyle>

#include "ui/DialogFont.h"
#include "ui/TrQ.h"

namespace tarpel::ui {

TformConfig::TformConfig(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                  Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      Label1(new QLabel(TrQ("Factor de retardo de comunicaciones:"), this)),
      lbTB(new QLabel(QStringLiteral("lbTB"), this)),
      tb(new QSlider(Qt::Horizontal, this)),
      Label2(new QLabel(QStringLiteral("MIN"), this)),
      Label3(new QLabel(QStringLiteral("MAX"), this)),
      Label4(new QLabel(this)),
      cbComprobar(new QCheckBox(TrQ("Comprobar al programar"), this)),
      cbRapido(new QCheckBox(TrQ("Modo rapido"), this)),
      BitBtn1(new QPushButton(TrQ("ACEPTAR"), this)) {
    setWindowTitle(TrQ("Configuracion"));
    setModal(true);
    setFixedSize(329, 212);

    setFont(DialogFont());

    // Labels size themselves to their text, so a wider fallback font moves lbTB along.
    Label1->move(16, 16);
    Label1->adjustSize();
    lbTB->setGeometry(Label1->geometry().right() + 8, 16, 40, Label1->height());

    tb->setGeometry(24, 40, 281, 41);
    tb->setRange(MinFactor, MaxFactor);
    tb->setValue(MinFactor);
    tb->setTickPosition(QSlider::TicksBelow);
    tb->setTickInterval(5);
    tb->setPageStep(5);

    Label2->setGeometry(24, 82, 40, 13);
    Label3->setGeometry(281, 82, 24, 13);
    Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Label4->setText(TrQ("NOTA: Lo normal seria dejar el factor de retardo en valores menores de 5. "
"Incrementar este valor disminuira muchisimo la velocidad de lectura y programacion "
"del chip."));
    Label4->setWordWrap(true);
    Label4->setGeometry(12, 100, 305, 41);

    // On by default: a worn cell or a smaller page buffer than the type's would otherwise pass
    // for programmed.
    cbComprobar->setGeometry(12, 150, 190, 17);
    cbComprobar->setChecked(true);
    cbComprobar->setToolTip(TrQ("Despues de programar la 24Cxx la lee entera y la compara con la imagen"));

    // Off by default: the fast timing runs close to the chips' datasheet limits.
    cbRapido->setGeometry(12, 176, 190, 17);
    cbRapido->setToolTip(TrQ("Tiempos al limite de las hojas de datos: bus I2C a unos 100 kHz, paginas completas de la "
"memoria y fases de SCK de 3 ciclos de XTAL1"));

    BitBtn1->setGeometry(216, 176, 105, 25);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    BitBtn1->setDefault(true);
    BitBtn1->setAutoDefault(true);

    connect(tb, &QSlider::valueChanged, this, &TformConfig::tbChange);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void TformConfig::RunConfiguration(TformConfig& dialog, std::int32_t& DelayFactor,
                                   const ModalExec& exec) {
    bool fastTiming = dialog.cbRapido->isChecked();
    bool readBack = dialog.cbComprobar->isChecked();
    RunConfiguration(dialog, DelayFactor, fastTiming, readBack, exec);
}

void TformConfig::RunConfiguration(TformConfig& dialog, std::int32_t& DelayFactor, bool& FastTiming,
                                   bool& ReadBackAfterProgramming, const ModalExec& exec) {
    // The stored setting may hold any value; the slider's own range does the clamping.
    dialog.tb->setValue(DelayFactor);
    dialog.cbRapido->setChecked(FastTiming);
    dialog.cbComprobar->setChecked(ReadBackAfterProgramming);
    // The result is not examined: every way out keeps what the slider shows.
    if (exec)
        exec(dialog);
    else
        dialog.exec();
    DelayFactor = dialog.tb->value();
    FastTiming = dialog.cbRapido->isChecked();
    ReadBackAfterProgramming = dialog.cbComprobar->isChecked();
}

void TformConfig::tbChange() { lbTB->setText(QString::number(tb->value())); }

void TformConfig::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TformConfig::FormShow() { tbChange(); }

}  // namespace tarpel::ui
