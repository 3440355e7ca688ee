// The handlers of the AVR page. A handler joins ConnectAvrHandlers once its command exists;
// until then its button stays unconnected and does nothing.
#include <QPushButton>

#include "ui/TVentana.h"

namespace tarpel::ui {

void TVentana::ConnectAvrHandlers() {}

void TVentana::btnTipoClick() {}

void TVentana::btnBorrarClick() {}

void TVentana::btnProgFlashClick() {}

void TVentana::BitBtn1Click() {}

void TVentana::BitBtn2Click() {}

void TVentana::btnTestBlankClick() {}

void TVentana::btnLeerFlashClick() {}

void TVentana::btnLeerEEPIntClick() {}

void TVentana::btnFLashVerifClick() {}

void TVentana::btnEEPIntClick() {}

void TVentana::btnLeerFusesClick() {}

void TVentana::btnGrabarFusesClick() {}

}  // namespace tarpel::ui
