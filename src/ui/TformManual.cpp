// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/TformManual.h"

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QGroupBox>
#include <QHideEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>

#include "ui/TrQ.h"

namespace tarpel::ui {
namespace {

// Hourglass for the whole application while the burst runs, default again however it ends.
class HourglassCursor {
public:
    HourglassCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~HourglassCursor() { QApplication::restoreOverrideCursor(); }
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;
};

QCheckBox* MakeLineBox(const QString& caption, int top, QWidget* group) {
    auto* box = new QCheckBox(caption, group);
    box->setGeometry(16, top, 121, 17);
    return box;
}

}  // namespace

TformManual::TformManual(link::BoardLines& lines, port::Clock& clock, QWidget* parent,
                         std::uint32_t burstCycles)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                  Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      GroupBox1(new QGroupBox(TrQ("Señales ATMEL"), this)),
      cbVCC(MakeLineBox(QStringLiteral("VCC"), 24, GroupBox1)),
      cbSCK(MakeLineBox(QStringLiteral("SCK"), 40, GroupBox1)),
      cbMOSI(MakeLineBox(QStringLiteral("MOSI"), 56, GroupBox1)),
      cbRESET(MakeLineBox(QStringLiteral("RESET"), 72, GroupBox1)),
      cbXTAL(MakeLineBox(QStringLiteral("XTAL"), 88, GroupBox1)),
      cbMISO(MakeLineBox(QStringLiteral("MISO"), 112, GroupBox1)),
      btnParar(new QPushButton(TrQ("Parar XTAL"), GroupBox1)),
      btnXTAL(new QPushButton(TrQ("DAR XTAL..."), this)),
      BitBtn1(new QPushButton(TrQ("&Vale"), this)),
      Timer1(new QTimer(this)),
      lines_(lines),
      clock_(clock),
      burstCycles_(burstCycles) {
    setWindowTitle(TrQ("Comprobacion manual"));
    setModal(true);
    setFixedSize(394, 204);

    GroupBox1->setGeometry(24, 8, 185, 145);
    // MISO is an input: the box only shows what the board returns.
    cbMISO->setEnabled(false);
    // The burst cannot be interrupted, so this button has nothing to do.
    btnParar->setGeometry(104, 112, 75, 25);
    btnParar->setEnabled(false);

    // Drawn over the group, level with the XTAL box it belongs to.
    btnXTAL->setGeometry(128, 88, 75, 25);
    btnXTAL->raise();

    BitBtn1->setGeometry(296, 160, 89, 33);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    BitBtn1->setDefault(true);
    BitBtn1->setAutoDefault(true);

    setTabOrder(cbVCC, cbSCK);
    setTabOrder(cbSCK, cbMOSI);
    setTabOrder(cbMOSI, cbMISO);
    setTabOrder(cbMISO, cbRESET);
    setTabOrder(cbRESET, cbXTAL);
    setTabOrder(cbXTAL, btnParar);
    setTabOrder(btnParar, BitBtn1);
    setTabOrder(BitBtn1, btnXTAL);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnXTAL, &QPushButton::clicked, this, &TformManual::btnXTALClick);

    Timer1->setInterval(RefreshIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &TformManual::Timer1Timer);
    Timer1->start();
}

void TformManual::Timer1Timer() {
    if (!isVisible()) {
        Timer1->stop();
        return;
    }
    lines_.WriteIspLines(cbVCC->isChecked(), cbSCK->isChecked(), cbMOSI->isChecked(),
                         cbRESET->isChecked(), cbXTAL->isChecked());
    cbMISO->setChecked(lines_.ReadMiso());
}

void TformManual::btnXTALClick() {
    const HourglassCursor hourglass;
    Timer1->stop();
    // A cold start: unpowered long enough to reset, then powered with RESET held high while
    // the PC clocks XTAL1 as fast as the port allows. No events are handled meanwhile.
    lines_.WriteIspLines(false, false, false, false, false);
    clock_.Sleep(PowerSettleMs);
    lines_.WriteIspLines(true, true, false, true, true);
    clock_.Sleep(PowerSettleMs);
    for (std::uint32_t cycle = 0; cycle < burstCycles_; ++cycle) {
        lines_.SetXtal(true);
        lines_.SetXtal(false);
    }
    Timer1->start();
}

void TformManual::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Restoring a minimised window is no new opening.
    if (!event->spontaneous()) FormShow();
}

void TformManual::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous()) FormHide();
}

void TformManual::FormShow() { Timer1->start(); }

void TformManual::FormHide() {
    Timer1->stop();
    lines_.WriteIspLines(false, false, false, false, false);
    lines_.WriteBusLines(false, false, false);
}

}  // namespace tarpel::ui
