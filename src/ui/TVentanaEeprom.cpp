// The handlers of the 24CXXX page: each hands the window's state to its command.
#include <QComboBox>
#include <QToolButton>

#include "eeprom/ChipCommands.h"
#include "eeprom/OpenImageFile.h"
#include "eeprom/SaveImageFile.h"
#include "ui/TVentana.h"

namespace tarpel::ui {

void TVentana::ConnectEepromHandlers() {
    // currentIndexChanged, not activated: picking the chip already selected must not wipe the image.
    connect(cbChip, &QComboBox::currentIndexChanged, this, &TVentana::cbChipChange);
    connect(ToolButton1, &QToolButton::clicked, this, &TVentana::Abrir1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TVentana::Guardar1Click);
    connect(ToolButton4, &QToolButton::clicked, this, &TVentana::Leerchip1Click);
    connect(ToolButton5, &QToolButton::clicked, this, &TVentana::Grabarchip1Click);
    connect(ToolButton9, &QToolButton::clicked, this, &TVentana::Verificar1Click);
}

void TVentana::Abrir1Click() {
    RunCommand([this] { eeprom::OpenImageFile(eepromFrame_); });
}

void TVentana::Guardar1Click() {
    RunCommand([this] { eeprom::SaveImageFile(eepromFrame_); });
}

void TVentana::Leerchip1Click() {
    RunCommand([this] { eeprom::ReadChip(eepromFrame_); });
}

void TVentana::Grabarchip1Click() {
    RunCommand([this] { eeprom::ProgramChip(eepromFrame_); });
}

void TVentana::Verificar1Click() {
    RunCommand([this] { eeprom::VerifyChip(eepromFrame_); });
}

}  // namespace tarpel::ui
