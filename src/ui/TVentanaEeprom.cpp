// The handlers of the 24CXXX page: each hands the window's state to its command.
#include <QAction>
#include <QComboBox>
#include <QToolButton>

#include <string>
#include <string_view>

#include "eeprom/ChipCommands.h"
#include "eeprom/CompareImageFile.h"
#include "eeprom/DetectChip.h"
#include "eeprom/OpenImageFile.h"
#include "eeprom/SaveImageFile.h"
#include "shell/ReportText.h"
#include "shell/Translate.h"
#include "ui/TVentana.h"
#include "ui/TrQ.h"

namespace tarpel::ui {

namespace {

constexpr std::string_view DetectionCaption = TrNoop("DETECTAR CHIP");

QString ChipName(const eeprom::EepromWorkspace& workspace) {
    const std::string_view name = workspace.Chip().name;
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

void TVentana::ConnectEepromHandlers() {
    // currentIndexChanged, not activated: picking the chip already selected must not wipe the image.
    connect(cbChip, &QComboBox::currentIndexChanged, this, &TVentana::cbChipChange);
    connect(ToolButton1, &QToolButton::clicked, this, &TVentana::Abrir1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TVentana::Guardar1Click);
    connect(ToolButton4, &QToolButton::clicked, this, &TVentana::Leerchip1Click);
    connect(ToolButton5, &QToolButton::clicked, this, &TVentana::Grabarchip1Click);
    connect(ToolButton9, &QToolButton::clicked, this, &TVentana::Verificar1Click);
    connect(Compararconfichero1, &QAction::triggered, this, &TVentana::Compararconfichero1Click);
    connect(Detectarchip1, &QAction::triggered, this, &TVentana::Detectarchip1Click);
}

void TVentana::Abrir1Click() {
    RunCommand([this] { return eeprom::OpenImageFile(eepromFrame_); }, TrQ("Abrir fichero"));
}

void TVentana::Guardar1Click() {
    RunCommand([this] { return eeprom::SaveImageFile(eepromFrame_); }, TrQ("Guardar fichero"));
}

void TVentana::Leerchip1Click() {
    RunCommand([this] { return eeprom::ReadChip(eepromFrame_); }, TrQ("Leer chip"));
}

void TVentana::Grabarchip1Click() {
    RunCommand([this] { return eeprom::ProgramChip(eepromFrame_); }, TrQ("Programar chip"));
}

void TVentana::Verificar1Click() {
    differenceSubject_ = TrQ("la imagen y la ") + ChipName(workspace_);
    differenceFoundName_ = TrQ("Chip");
    RunCommand([this] { return eeprom::VerifyChip(eepromFrame_); }, TrQ("Verificar chip"));
}

void TVentana::Compararconfichero1Click() {
    RunCommand(
        [this] {
            const auto fileName = shell_.ChooseOpenFile();
            if (!fileName) return shell::CommandOutcome::Cancelled;
            differenceSubject_ =
                TrQ("la imagen y ") + QString::fromStdString(shell::FileNameText(*fileName));
            differenceFoundName_ = TrQ("Fichero");
            return eeprom::CompareImageWith(eepromFrame_, *fileName);
        },
        TrQ("Comparar con fichero"));
}

void TVentana::Detectarchip1Click() {
    RunCommand(
        [this] {
            eeprom::ChipDetection detection;
            const auto outcome = eeprom::DetectChip(eepromFrame_, detection);
            if (outcome != shell::CommandOutcome::Done) return outcome;
            const std::string text = eeprom::DetectionText(detection);
            shell_.Report(text);
            const int index = detection.smallestIndex;
            if (detection.verdict != eeprom::DetectionVerdict::Recognised || index == cbChip->currentIndex()) {
                shell_.MessageBox(text, DetectionCaption);
                return outcome;
            }
            // A new chip type empties the image: the user decides, knowing it.
            const std::string_view name = eeprom::ChipCatalogue[static_cast<std::size_t>(index)].name;
            const std::string question = text + Tr("\r\rElegir la ") + std::string(name) +
                                         Tr(" en \"Tipo de memoria\"? La imagen se vaciara (todo FF).");
            if (shell_.AskYesNo(question, DetectionCaption)) cbChip->setCurrentIndex(index);
            return outcome;
        },
        TrQ("Detectar chip"));
}

}  // namespace tarpel::ui
