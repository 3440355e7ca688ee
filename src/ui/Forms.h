#pragma once
// The program's windows, created at start-up in their fixed order and kept until shut-down:
// Ventana, AboutBox, formProgreso, formConfig, formManual. Destroying them runs the main
// window's shut-down (lines off, settings saved) before anything else goes.
#include <memory>

#include "ui/TVentana.h"
#include "ui/TformProgreso.h"

namespace tarpel::ui {

class Forms {
public:
    explicit Forms(const TVentana::Dependencies& dependencies);
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    std::unique_ptr<TVentana> Ventana;
    // AboutBox is created here, between Ventana and formProgreso.
    std::unique_ptr<TformProgreso> formProgreso;
    // formConfig and formManual follow formProgreso, in this order.
};

}  // namespace tarpel::ui
