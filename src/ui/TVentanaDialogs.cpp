// SPDX-License-Identifier: GPL-2.0-or-later
// The handlers that open the window's own dialogs: the About box, the delay-factor dialog and
// the manual line test.
#include <QAction>
#include <QToolButton>

#include "ui/ModalRunner.h"
#include "ui/TAboutBox.h"
#include "ui/TVentana.h"
#include "ui/TformConfig.h"
#include "ui/TformManual.h"

namespace tarpel::ui {

void TVentana::AttachDialogs(TAboutBox& about, TformConfig& config, TformManual& manual) {
    aboutBox_ = &about;
    formConfig_ = &config;
    formManual_ = &manual;
}

void TVentana::ConnectDialogHandlers() {
    connect(menu.Acercade1, &QAction::triggered, this, &TVentana::Acercade1Click);
    connect(eepromPage.ToolButton11, &QToolButton::clicked, this, &TVentana::Acercade1Click);
    connect(menu.Configuracion2, &QAction::triggered, this, &TVentana::Configuracion2Click);
    connect(menu.Comprobacionmanual1, &QAction::triggered, this, &TVentana::Comprobacionmanual1Click);
}

void TVentana::Acercade1Click() {
    if (aboutBox_) modalRunner_.Exec(*aboutBox_);
}

void TVentana::Configuracion2Click() {
    if (!formConfig_) return;
    bool fastTiming = timing_.FastTiming;
    TformConfig::RunConfiguration(*formConfig_, timing_.DelayFactor, fastTiming, eepromFrame_.ReadBackAfterProgramming,
                                  [this](QDialog& dialog) { return modalRunner_.Exec(dialog); });
    SetFastTiming(fastTiming);
}

void TVentana::Comprobacionmanual1Click() {
    // The manual test drives the board's lines itself: no chip command may run meanwhile.
    if (formManual_) RunCommand([this] { modalRunner_.Exec(*formManual_); });
}

}  // namespace tarpel::ui
