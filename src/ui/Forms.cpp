#include "ui/Forms.h"

namespace tarpel::ui {

Forms::Forms(const TVentana::Dependencies& dependencies)
    : Ventana(std::make_unique<TVentana>(dependencies)), formProgreso(std::make_unique<TformProgreso>()) {
    Ventana->AttachProgressDialog(*formProgreso);
}

Forms::~Forms() {
    Ventana->FormDestroy();
    formProgreso.reset();
    Ventana.reset();
}

}  // namespace tarpel::ui
