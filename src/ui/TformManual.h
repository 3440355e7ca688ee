// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The manual line test of the AVR socket: check boxes drive VCC, SCK, MOSI, RESET and XTAL1,
// a refresh timer writes them and shows MISO, and "DAR XTAL..." gives a long XTAL1 burst.
// It talks to the board only through the line layer and waits only through the clock seam.
#include <QDialog>
#include <cstdint>

#include "link/BoardLines.h"
#include "port/Clock.h"

class QCheckBox;
class QGroupBox;
class QHideEvent;
class QPushButton;
class QShowEvent;
class QTimer;

namespace tarpel::ui {

class TformManual final : public QDialog {
    Q_OBJECT

public:
    static constexpr int RefreshIntervalMs = 100;
    // Clock cycles of one "DAR XTAL..." burst: two port writes each.
    static constexpr std::uint32_t DefaultBurstCycles = 50'000'000;
    static constexpr std::uint32_t PowerSettleMs = 500;

    // The refresh timer runs from creation; its first tick while hidden switches it off.
    // burstCycles exists so that tests need not make a hundred million port writes.
    TformManual(link::BoardLines& lines, port::Clock& clock, QWidget* parent = nullptr,
                std::uint32_t burstCycles = DefaultBurstCycles);

    void Timer1Timer();
    void btnXTALClick();

    QGroupBox* GroupBox1;
    QCheckBox* cbVCC;
    QCheckBox* cbSCK;
    QCheckBox* cbMOSI;
    QCheckBox* cbRESET;
    QCheckBox* cbXTAL;
    QCheckBox* cbMISO;
    QPushButton* btnParar;
    QPushButton* btnXTAL;
    QPushButton* BitBtn1;
    QTimer* Timer1;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FormShow();
    void FormHide();

    link::BoardLines& lines_;
    port::Clock& clock_;
    std::uint32_t burstCycles_;
};

}  // namespace tarpel::ui
