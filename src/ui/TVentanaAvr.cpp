// SPDX-License-Identifier: GPL-2.0-or-later
// The handlers of the AVR page: each hands the window's state to its command, and the window
// shows what the commands report (device caption, fuse panel). Esc on the page is here too.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include "avr/BackupChip.h"
#include "avr/BlankTest.h"
#include "avr/EraseChip.h"
#include "avr/IdentifyMicro.h"
#include "avr/ProgramEeprom.h"
#include "avr/ProgramFlash.h"
#include "avr/LockMode.h"
#include "avr/ReadFuses.h"
#include "avr/ReadLockBits.h"
#include "avr/ReadMemory.h"
#include "avr/ReprogramFlash.h"
#include "avr/RestoreChip.h"
#include "avr/VerifyMemory.h"
#include "avr/WriteFuses.h"
#include "avr/WriteLockBits.h"
#include "ui/FuseFieldPanel.h"
#include "ui/TVentana.h"
#include "ui/TrQ.h"

namespace tarpel::ui {

void TVentana::ConnectAvrHandlers() {
    connect(avrPage.btnTipo, &QPushButton::clicked, this, &TVentana::btnTipoClick);
    connect(avrPage.btnBorrar, &QPushButton::clicked, this, &TVentana::btnBorrarClick);
    connect(avrPage.btnProgFlash, &QPushButton::clicked, this, &TVentana::btnProgFlashClick);
    connect(avrPage.BitBtn1, &QPushButton::clicked, this, &TVentana::BitBtn1Click);
    connect(avrPage.BitBtn2, &QPushButton::clicked, this, &TVentana::BitBtn2Click);
    connect(avrPage.btnTestBlank, &QPushButton::clicked, this, &TVentana::btnTestBlankClick);
    connect(avrPage.btnLeerFlash, &QPushButton::clicked, this, &TVentana::btnLeerFlashClick);
    connect(avrPage.btnLeerEEPInt, &QPushButton::clicked, this, &TVentana::btnLeerEEPIntClick);
    connect(avrPage.btnFLashVerif, &QPushButton::clicked, this, &TVentana::btnFLashVerifClick);
    connect(avrPage.btnEEPInt, &QPushButton::clicked, this, &TVentana::btnEEPIntClick);
    connect(avrPage.btnCopiaSeguridad, &QPushButton::clicked, this, &TVentana::btnCopiaSeguridadClick);
    connect(avrPage.btnRestaurarCopia, &QPushButton::clicked, this, &TVentana::btnRestaurarCopiaClick);
    connect(avrPage.btnLeerFuses, &QPushButton::clicked, this, &TVentana::btnLeerFusesClick);
    connect(avrPage.btnGrabarFuses, &QPushButton::clicked, this, &TVentana::btnGrabarFusesClick);
    connect(avrPage.btnLeerLock, &QPushButton::clicked, this, &TVentana::btnLeerLockClick);
    connect(avrPage.btnGrabarLock, &QPushButton::clicked, this, &TVentana::btnGrabarLockClick);
    // Only the user's own choice counts (activated, not currentIndexChanged): a clock item the
    // user picks writes the table's value, while one merely shown after "Leer" keeps the chip's.
    connect(avrPage.cbXTAL, &QComboBox::activated, this, [this] { fuseMemory_.ClockChosen(); });
}

void TVentana::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        PageControl1->currentWidget() == avrPage.TabSheet2) {
        // "Blank-test" and "Borrar chip" are the window's cancel buttons; the first of them
        // that can take the key gets it.
        for (QPushButton* button : {avrPage.btnTestBlank, avrPage.btnBorrar}) {
            if (button->isVisibleTo(avrPage.TabSheet2) && button->isEnabled()) {
                button->click();
                event->accept();
                return;
            }
        }
    }
    QMainWindow::keyPressEvent(event);
}

void TVentana::btnTipoClick() {
    RunAvrCommand([this] { return avr::IdentifyMicro(avrFrame_); }, TrQ("Identificar micro"));
}

void TVentana::btnBorrarClick() {
    RunAvrCommand([this] { return avr::EraseChip(avrFrame_); }, TrQ("Borrar chip"));
}

void TVentana::btnProgFlashClick() {
    // Asks for the file with the open dialog; "Reprogramar flash..." (BitBtn2Click) asks for none
    // and erases, then programs the file that dialog chose last.
    RunAvrFileCommand([this] { return avr::ProgramFlash(avrFrame_); }, TrQ("Programar flash"));
}

void TVentana::BitBtn1Click() {
    RunAvrFileCommand([this] { return avr::ProgramEeprom(avrFrame_); }, TrQ("Programar eeprom int"));
}

void TVentana::BitBtn2Click() {
    RunAvrCommand([this] { return avr::ReprogramFlash(avrFrame_); }, TrQ("Reprogramar flash"));
}

void TVentana::btnTestBlankClick() {
    RunAvrCommand([this] { return avr::BlankTest(avrFrame_); }, QStringLiteral("Blank-test"));
}

void TVentana::btnLeerFlashClick() {
    RunAvrCommand([this] { return avr::ReadFlash(avrFrame_); }, TrQ("Leer flash"));
}

void TVentana::btnLeerEEPIntClick() {
    RunAvrCommand([this] { return avr::ReadEeprom(avrFrame_); }, TrQ("Leer eeprom interna"));
}

void TVentana::btnFLashVerifClick() {
    RunAvrFileCommand([this] { return avr::VerifyFlash(avrFrame_); }, TrQ("Verificar flash"));
}

void TVentana::btnEEPIntClick() {
    RunAvrFileCommand([this] { return avr::VerifyEeprom(avrFrame_); }, TrQ("Verificar eeprom interna"));
}

void TVentana::btnCopiaSeguridadClick() {
    RunAvrCommand([this] { return avr::BackupChip(avrFrame_); }, TrQ("Copia de seguridad"));
}

void TVentana::btnRestaurarCopiaClick() {
    // The command asks for the file and then whether to erase the chip for it.
    RunAvrCommand([this] { return avr::RestoreChip(avrFrame_); }, TrQ("Restaurar copia"));
}

void TVentana::btnLeerFusesClick() {
    RunAvrCommand([this] { return avr::ReadFuses(avrFrame_, *this, fuseMemory_); }, TrQ("Leer fusibles"));
}

void TVentana::btnGrabarFusesClick() {
    RunAvrCommand([this] { return avr::WriteFuses(avrFrame_, *this, fuseMemory_); }, TrQ("Grabar fusibles"));
}

void TVentana::btnLeerLockClick() {
    RunAvrCommand([this] { return avr::ReadLockBits(avrFrame_); }, TrQ("Leer bits de bloqueo"));
}

void TVentana::btnGrabarLockClick() {
    // The list always has a mode chosen: mode 1 at start, or the one last read.
    const auto mode = avr::LockModeNumbered(avrPage.cbLock->currentIndex() + 1).value_or(avr::LockMode::NoLock);
    RunAvrCommand([this, mode] { return avr::WriteLockBits(avrFrame_, avr::LockByteOf(mode), true); },
                  TrQ("Grabar bits de bloqueo"));
}

void TVentana::LockBitsKnown(std::uint8_t lockByte) {
    const auto mode = avr::LockModeOf(lockByte);
    avrPage.cbLock->setCurrentIndex(mode ? static_cast<int>(*mode) - 1 : -1);
}

void TVentana::SetDeviceCaption(std::string_view caption) {
    avrPage.lbTipo->setText(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
}

avr::FuseSettings TVentana::Settings() const {
    avr::FuseSettings settings;
    settings.xtalIndex = avrPage.cbXTAL->currentIndex();
    settings.sutIndex = avrPage.cbSUT->currentIndex();
    settings.bootSizeIndex = avrPage.cbBootSize->currentIndex();
    settings.boden = avrPage.cbBODEN->isChecked();
    settings.bodLevel = avrPage.cbBODLev->isChecked();
    settings.s8515c = avrPage.cbS8515->isChecked();
    settings.wdton = avrPage.cbWDTON->isChecked();
    settings.spien = avrPage.cbSPIEN->isChecked();
    settings.ckopt = avrPage.cbCKOPT->isChecked();
    settings.eesave = avrPage.cbEESAVE->isChecked();
    settings.bootrst = avrPage.cbBOOTRST->isChecked();
    return settings;
}

namespace {

// An index the list has no item for selects nothing, as a SUT value of 3 does.
void SelectItem(QComboBox* list, int index) {
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

}  // namespace

void TVentana::ShowSettings(const avr::FuseSettings& settings) {
    if (avrPage.FuseFields) {  // back to the ATmega8515's lists and boxes
        avrPage.FuseFields->hide();
        for (QWidget* control : avrPage.fuseListsAndBoxes) control->show();
    }
    SelectItem(avrPage.cbXTAL, settings.xtalIndex);
    SelectItem(avrPage.cbSUT, settings.sutIndex);
    avrPage.cbBODEN->setChecked(settings.boden);
    avrPage.cbBODLev->setChecked(settings.bodLevel);
    avrPage.cbS8515->setChecked(settings.s8515c);
    avrPage.cbWDTON->setChecked(settings.wdton);
    avrPage.cbSPIEN->setChecked(settings.spien);
    avrPage.cbCKOPT->setChecked(settings.ckopt);
    avrPage.cbEESAVE->setChecked(settings.eesave);
    SelectItem(avrPage.cbBootSize, settings.bootSizeIndex);
    avrPage.cbBOOTRST->setChecked(settings.bootrst);
}

void TVentana::ShowDeviceFuses(avr::DeviceKind kind, avr::FuseBytes bytes) {
    if (avrPage.FuseFields && avrPage.FuseFields->Device() != kind) {
        delete avrPage.FuseFields;
        avrPage.FuseFields = nullptr;
    }
    if (!avrPage.FuseFields) {
        avrPage.FuseFields = new FuseFieldPanel(kind, avrPage.Panel6);
        avrPage.FuseFields->setObjectName(QStringLiteral("FuseFields"));
        // Over the rows of the lists and the first three of boxes; the buttons keep their row.
        avrPage.fuseGrid->addWidget(avrPage.FuseFields, 1, 0, 3, 5);
    }
    for (QWidget* control : avrPage.fuseListsAndBoxes) control->hide();
    avrPage.FuseFields->ShowBytes(bytes);
    avrPage.FuseFields->show();
}

std::optional<avr::FusePanel::DeviceFuses> TVentana::ShownDeviceFuses() const {
    if (!avrPage.FuseFields || avrPage.FuseFields->isHidden()) return std::nullopt;
    return DeviceFuses{avrPage.FuseFields->Device(), avrPage.FuseFields->Bytes()};
}

}  // namespace tarpel::ui
