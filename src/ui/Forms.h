// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The program's windows, created at start-up in their fixed order and kept until shut-down:
// Ventana, AboutBox, formProgreso, formConfig, formManual. Destroying them runs the main
// window's shut-down (lines off, settings saved) before anything else goes.
#include <memory>

#include "ui/TAboutBox.h"
#include "ui/TVentana.h"
#include "ui/TformConfig.h"
#include "ui/TformManual.h"
#include "ui/TformProgreso.h"

namespace tarpel::ui {

class Forms {
public:
    // The About box's timer interval can be shortened for tests.
    explicit Forms(const TVentana::Dependencies& dependencies,
                   std::chrono::milliseconds aboutTimer = TAboutBox::DefaultTimerInterval);
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    std::unique_ptr<TVentana> Ventana;
    std::unique_ptr<TAboutBox> AboutBox;  // its two-second timer starts with it
    std::unique_ptr<TformProgreso> formProgreso;
    std::unique_ptr<TformConfig> formConfig;
    std::unique_ptr<TformManual> formManual;
};

}  // namespace tarpel::ui
