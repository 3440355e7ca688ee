// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The AVR page's widgets, as the window's layout names them: the reading and programming button
// columns, the device type with the fuse panel below it, and the two gauges at the bottom. The
// window builds and lays them out (TVentanaAvrPage.cpp); what the buttons do is in TVentanaAvr.cpp.
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QGridLayout;
class QLabel;
class QPushButton;
class QWidget;

namespace tarpel::ui {

class FuseFieldPanel;
class TGauge;

struct AvrPage {
    QWidget* TabSheet2 = nullptr;

    QFrame* Panel2 = nullptr;  // the gauges
    QFrame* Panel3 = nullptr;  // reading
    QFrame* Panel4 = nullptr;  // programming
    QFrame* Panel5 = nullptr;  // the device type and the fuse panel
    QFrame* Panel6 = nullptr;  // the fuse panel
    QFrame* Panel7 = nullptr;  // the lock box, between "Identificar micro" and the fuse panel
    TGauge* prFlash = nullptr;
    TGauge* prEEPInt = nullptr;
    QLabel* lbTipo = nullptr;
    QPushButton* btnTipo = nullptr;
    QPushButton* btnBorrar = nullptr;
    QPushButton* btnProgFlash = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* btnTestBlank = nullptr;
    QPushButton* btnLeerFlash = nullptr;
    QPushButton* btnLeerEEPInt = nullptr;
    QPushButton* btnFLashVerif = nullptr;
    QPushButton* btnEEPInt = nullptr;
    QPushButton* btnCopiaSeguridad = nullptr;  // the whole chip into an ELF file
    QPushButton* btnRestaurarCopia = nullptr;  // such a file back into the chip
    QPushButton* btnProduccion = nullptr;      // one chip after another from the same file
    QPushButton* btnLeerFuses = nullptr;
    QPushButton* btnGrabarFuses = nullptr;
    QComboBox* cbLock = nullptr;  // the three lock modes; mode 1 at start
    QPushButton* btnLeerLock = nullptr;
    QPushButton* btnGrabarLock = nullptr;
    QComboBox* cbXTAL = nullptr;
    QComboBox* cbSUT = nullptr;
    QComboBox* cbBootSize = nullptr;
    QCheckBox* cbBODEN = nullptr;
    QCheckBox* cbBODLev = nullptr;
    QCheckBox* cbS8515 = nullptr;
    QCheckBox* cbWDTON = nullptr;
    QCheckBox* cbSPIEN = nullptr;
    QCheckBox* cbCKOPT = nullptr;
    QCheckBox* cbEESAVE = nullptr;
    QCheckBox* cbBOOTRST = nullptr;
    // The lists, their labels and the boxes above: the ATmega8515's, hidden while the panel shows
    // the fields of another device (FuseFields, made when such a device's fuses are read).
    std::vector<QWidget*> fuseListsAndBoxes;
    QGridLayout* fuseGrid = nullptr;
    FuseFieldPanel* FuseFields = nullptr;
};

}  // namespace tarpel::ui
