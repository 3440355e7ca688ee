// The handlers that open the window's own dialogs: the About box, the delay-factor dialog and
// the manual line test. Each joins ConnectDialogHandlers once its dialog exists.
#include <QAction>

#include "ui/TVentana.h"

namespace tarpel::ui {

void TVentana::ConnectDialogHandlers() {}

void TVentana::Acercade1Click() {}

void TVentana::Configuracion2Click() {}

void TVentana::Comprobacionmanual1Click() {}

}  // namespace tarpel::ui
