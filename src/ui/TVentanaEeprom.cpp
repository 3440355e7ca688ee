// The handlers of the 24CXXX page. A handler joins ConnectEepromHandlers once its command
// exists; until then its control stays unconnected and does nothing.
#include <QComboBox>
#include <QToolButton>

#include "eeprom/OpenImageFile.h"
#include "eeprom/SaveImageFile.h"
#include "ui/TVentana.h"

namespace tarpel::ui {

void TVentana::ConnectEepromHandlers() {
    // currentIndexChanged, not activated: picking the chip already selected must not wipe the image.
    connect(cbChip, &QComboBox::currentIndexChanged, this, &TVentana::cbChipChange);
    connect(ToolButton1, &QToolButton::clicked, this, &TVentana::Abrir1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TVentana::Guardar1Click);
}

void TVentana::Abrir1Click() { eeprom::OpenImageFile(workspace_, shell_); }

void TVentana::Guardar1Click() { eeprom::SaveImageFile(workspace_, shell_); }

void TVentana::Leerchip1Click() {}

void TVentana::Grabarchip1Click() {}

void TVentana::Verificar1Click() {}

}  // namespace tarpel::ui
