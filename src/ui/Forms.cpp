// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/Forms.h"

namespace tarpel::ui {

Forms::Forms(const TVentana::Dependencies& dependencies, std::chrono::milliseconds aboutTimer)
    : Ventana(std::make_unique<TVentana>(dependencies)),
      AboutBox(std::make_unique<TAboutBox>(nullptr, aboutTimer)),
      formProgreso(std::make_unique<TformProgreso>()),
      formConfig(std::make_unique<TformConfig>()),
      formManual(std::make_unique<TformManual>(Ventana->Lines(), Ventana->Clock())) {
    Ventana->AttachProgressDialog(*formProgreso);
    Ventana->AttachDialogs(*AboutBox, *formConfig, *formManual);
}

Forms::~Forms() {
    Ventana->FormDestroy();
    formManual.reset();
    formConfig.reset();
    formProgreso.reset();
    AboutBox.reset();
    Ventana.reset();
}

}  // namespace tarpel::ui
