// The handlers of the 24CXXX page: each hands the window's state to its command, and tells the
// image's history what the command did to the image.
#include <QAction>
#include <QComboBox>
#include <QToolButton>
#include <QUndoStack>

#include <tuple>

#include "eeprom/ChipCommands.h"
#include "eeprom/OpenImageFile.h"
#include "eeprom/SaveImageFile.h"
#include "ui/ImageHistory.h"
#include "ui/TVentana.h"

namespace tarpel::ui {

void TVentana::ConnectEepromHandlers() {
    // currentIndexChanged, not activated: picking the chip already selected must not wipe the image.
    connect(cbChip, &QComboBox::currentIndexChanged, this, &TVentana::cbChipChange);
    using Handler = void (TVentana::*)();
    const std::tuple<QToolButton*, QAction*, Handler> commands[] = {
        {ToolButton1, Abrir1, &TVentana::Abrir1Click},         {ToolButton2, Guardar1, &TVentana::Guardar1Click},
        {ToolButton4, Leerchip1, &TVentana::Leerchip1Click},   {ToolButton5, Grabarchip1, &TVentana::Grabarchip1Click},
        {ToolButton9, Verificar1, &TVentana::Verificar1Click}};
    for (const auto& [button, action, handler] : commands) {
        connect(button, &QToolButton::clicked, this, handler);
        connect(action, &QAction::triggered, this, [this, handler = handler] {
            ShowEepromPage();
            (this->*handler)();
        });
    }
}

void TVentana::Abrir1Click() {
    ImageHistory::State before = history_->Capture();
    auto outcome = shell::CommandOutcome::Cancelled;
    if (!RunCommand([&] { outcome = eeprom::OpenImageFile(eepromFrame_); })) return;
    if (outcome != shell::CommandOutcome::Done) return;
    history_->Replaced(std::move(before), QStringLiteral("Abrir fichero"), workspace_.ChipSize);
    history_->Stack().setClean();
    imageFile_ = OD.FileName;
    UpdateTitle();
}

void TVentana::Guardar1Click() {
    auto outcome = shell::CommandOutcome::Cancelled;
    if (!RunCommand([&] { outcome = eeprom::SaveImageFile(eepromFrame_); })) return;
    if (outcome != shell::CommandOutcome::Done) return;
    history_->Stored();
    history_->Stack().setClean();
    imageFile_ = SD.FileName;
    UpdateTitle();
}

void TVentana::Leerchip1Click() {
    ImageHistory::State before = history_->Capture();
    if (!RunCommand([this] { eeprom::ReadChip(eepromFrame_); })) return;
    if (workspace_.BytesRead == 0) return;  // refused: the image is as it was
    history_->Replaced(std::move(before), QStringLiteral("Leer chip"), workspace_.BytesRead);
    imageFile_.clear();  // the image is the chip's now, in no file yet
    UpdateTitle();
}

void TVentana::Grabarchip1Click() {
    auto outcome = shell::CommandOutcome::Cancelled;
    if (!RunCommand([&] { outcome = eeprom::ProgramChip(eepromFrame_); })) return;
    if (outcome == shell::CommandOutcome::Done) history_->Stored();
}

void TVentana::Verificar1Click() {
    RunCommand([this] { eeprom::VerifyChip(eepromFrame_); });
}

}  // namespace tarpel::ui
