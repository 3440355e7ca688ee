// SPDX-License-Identifier: GPL-2.0-or-later
// The handlers of the 24CXXX page: each hands the window's state to its command, and tells the
// image's history what the command did to the image.
#include <QAction>
#include <QComboBox>
#include <QToolButton>
#include <QUndoStack>

#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "eeprom/ChipCommands.h"
#include "eeprom/CompareImageFile.h"
#include "eeprom/DetectChip.h"
#include "eeprom/OpenImageFile.h"
#include "eeprom/SaveImageFile.h"
#include "shell/Fill.h"
#include "shell/ReportText.h"
#include "shell/Translate.h"
#include "ui/ImageHistory.h"
#include "ui/PageKeys.h"
#include "ui/TVentana.h"
#include "ui/TrQ.h"

namespace tarpel::ui {

namespace {

constexpr std::string_view DetectionCaption = TrNoop("DETECTAR CHIP");

QString ChipName(const eeprom::EepromWorkspace& workspace) {
    const std::string_view name = workspace.Chip().name;
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

// The open dialog of a 24CXXX command, which offers only the files this page opens.
class ImageFilesOnly {
public:
    explicit ImageFilesOnly(FileDialog& dialog) : dialog_(dialog) { dialog_.OffersElf = false; }
    ~ImageFilesOnly() { dialog_.OffersElf = true; }
    ImageFilesOnly(const ImageFilesOnly&) = delete;
    ImageFilesOnly& operator=(const ImageFilesOnly&) = delete;

private:
    FileDialog& dialog_;
};

}  // namespace

void TVentana::ConnectEepromHandlers() {
    // currentIndexChanged, not activated: picking the chip already selected must not wipe the image.
    connect(eepromPage.cbChip, &QComboBox::currentIndexChanged, this, &TVentana::cbChipChange);
    using Handler = void (TVentana::*)();
    const std::tuple<QToolButton*, QAction*, Handler> commands[] = {
        {eepromPage.ToolButton1, menu.Abrir1, &TVentana::Abrir1Click},
        {eepromPage.ToolButton2, menu.Guardar1, &TVentana::Guardar1Click},
        {eepromPage.ToolButton4, menu.Leerchip1, &TVentana::Leerchip1Click},
        {eepromPage.ToolButton5, menu.Grabarchip1, &TVentana::Grabarchip1Click},
        {eepromPage.ToolButton9, menu.Verificar1, &TVentana::Verificar1Click}};
    for (const auto& [button, action, handler] : commands) {
        connect(button, &QToolButton::clicked, this, handler);
        connect(action, &QAction::triggered, this, [this, handler = handler] {
            ShowEepromPage();
            (this->*handler)();
        });
    }
    // Their keys act on the 24CXXX page only; the menu items, chosen from the AVR page, show it first.
    new PageKeys(*PageControl1, *eepromPage.ts24CXXX, {menu.Leerchip1, menu.Grabarchip1, menu.Verificar1}, this);
    // Toolbar actions that are also in the Memoria menu: from the menu they show the page first.
    for (const auto& [action, handler] :
         {std::pair<QAction*, Handler>{eepromPage.Compararconfichero1, &TVentana::Compararconfichero1Click},
          std::pair<QAction*, Handler>{eepromPage.Detectarchip1, &TVentana::Detectarchip1Click}}) {
        connect(action, &QAction::triggered, this, [this, handler = handler] {
            ShowEepromPage();
            (this->*handler)();
        });
    }
}

void TVentana::Abrir1Click() {
    if (!MayDropEdits()) return;
    ImageHistory::State before = history_->Capture();
    auto outcome = shell::CommandOutcome::Cancelled;
    const auto open = [&] {
        const ImageFilesOnly files(OD);
        return outcome = eeprom::OpenImageFile(eepromFrame_);
    };
    if (!RunCommand(open, TrQ("Abrir fichero"))) return;
    if (outcome != shell::CommandOutcome::Done) return;
    ImageOpened(std::move(before), OD.FileName);
}

void TVentana::Guardar1Click() { SaveImage(); }

bool TVentana::SaveImage() {
    auto outcome = shell::CommandOutcome::Cancelled;
    const auto save = [&] { return outcome = eeprom::SaveImageFile(eepromFrame_); };
    if (!RunCommand(save, TrQ("Guardar fichero"))) return false;
    if (outcome != shell::CommandOutcome::Done) return false;
    history_->Stored();
    history_->Stack().setClean();
    imageFile_ = SD.FileName;
    UpdateTitle();
    AddRecentEepromFile(SD.FileName);
    return true;
}

void TVentana::Leerchip1Click() {
    if (!MayDropEdits()) return;
    ImageHistory::State before = history_->Capture();
    if (!RunCommand([this] { return eeprom::ReadChip(eepromFrame_); }, TrQ("Leer chip"))) return;
    if (workspace_.BytesRead == 0) return;  // refused: the image is as it was
    history_->Replaced(std::move(before), TrQ("Leer chip"), workspace_.BytesRead);
    imageFile_.clear();  // the image is the chip's now, in no file yet
    UpdateTitle();
}

void TVentana::Grabarchip1Click() {
    auto outcome = shell::CommandOutcome::Cancelled;
    const auto program = [&] {
        ForgetImageDifferences();  // the chip they were found on is being written
        return outcome = eeprom::ProgramChip(eepromFrame_);
    };
    if (!RunCommand(program, TrQ("Programar chip"))) return;
    if (outcome == shell::CommandOutcome::Done) history_->Stored();
}

void TVentana::Verificar1Click() {
    differenceSubject_ = TrQ("la imagen y la %1").arg(ChipName(workspace_));
    differenceFoundName_ = TrQ("Chip");
    RunCommand([this] { return eeprom::VerifyChip(eepromFrame_); }, TrQ("Verificar chip"));
}

void TVentana::Compararconfichero1Click() {
    RunCommand(
        [this] {
            const ImageFilesOnly files(OD);
            const auto fileName = shell_.ChooseOpenFile(TrNoop("Comparar con fichero"));
            if (!fileName) return shell::CommandOutcome::Cancelled;
            differenceSubject_ = TrQ("la imagen y %1").arg(QString::fromStdString(shell::FileNameText(*fileName)));
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
            if (detection.verdict != eeprom::DetectionVerdict::Recognised ||
                index == eepromPage.cbChip->currentIndex()) {
                shell_.MessageBox(text, DetectionCaption);
                return outcome;
            }
            // A new chip type empties the image: the user decides, knowing it.
            const std::string_view name = eeprom::ChipCatalogue[static_cast<std::size_t>(index)].name;
            const std::string question = shell::Fill(
                Tr("%1\r\rElegir la %2 en \"Tipo de memoria\"? La imagen se vaciara (todo FF)."), {text, name});
            if (shell_.AskYesNo(question, DetectionCaption)) eepromPage.cbChip->setCurrentIndex(index);
            return outcome;
        },
        TrQ("Detectar chip"));
}

}  // namespace tarpel::ui
