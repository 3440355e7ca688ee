// SPDX-License-Identifier: GPL-2.0-or-later
// The other ways files come into the window besides its open dialogs: the files named on the
// command line, files dropped on a page, and the pages' recent files (whose menus are in
// TVentanaRecent.cpp). They end in the same commands the pages' buttons run.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>

#include <functional>
#include <string>
#include <vector>
#include <utility>

#include "avr/ProgramEeprom.h"
#include "avr/ProgramFlash.h"
#include "avr/VerifyMemory.h"
#include "eeprom/OpenImageFile.h"
#include "ui/ModalRunner.h"
#include "ui/RecentFiles.h"
#include "ui/TVentana.h"
#include "ui/TrQ.h"

namespace tarpel::ui {

namespace {

// The first dropped file, when it is a local one: several are not refused, the first is taken.
QString DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().isEmpty()) return {};
    const QUrl& url = data->urls().front();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

std::string NativeName(const QString& file) { return QFile::encodeName(file).toStdString(); }

}  // namespace

void TVentana::ConnectDoorHandlers() {
    recentEeprom_ = std::make_unique<RecentFiles>(settings_, QStringLiteral("RECIENTES_24CXXX"));
    recentAvr_ = std::make_unique<RecentFiles>(settings_, QStringLiteral("RECIENTES_AVR"));
    setAcceptDrops(true);
    BuildRecentMenus();
}

void TVentana::OpenStartFiles(const QString& eepromFile, const QString& avrFile) {
    if (!avrFile.isEmpty()) {
        // The file the AVR page's dialogs and "Reprogramar flash..." start from, as if chosen there.
        OD.FileName = QFileInfo(avrFile).absoluteFilePath();
        PageControl1->setCurrentWidget(avrPage.TabSheet2);
    }
    if (!eepromFile.isEmpty()) OpenEepromFile(eepromFile);
}

bool TVentana::OpenEepromFile(const QString& file) {
    if (commandRunning_) return false;
    ShowEepromPage();
    if (!MayDropEdits()) return false;
    ImageHistory::State before = history_->Capture();
    auto outcome = shell::CommandOutcome::Cancelled;
    const std::string name = NativeName(file);
    const auto open = [&] { return outcome = eeprom::OpenImageFrom(eepromFrame_, name); };
    if (!RunCommand(open, TrQ("Abrir fichero"))) return false;
    if (outcome != shell::CommandOutcome::Done) return false;
    // The open dialog starts from it next time, as from a file chosen in it.
    OD.FileName = QFileInfo(file).absoluteFilePath();
    ImageOpened(std::move(before), OD.FileName);
    return true;
}

void TVentana::ImageOpened(ImageHistory::State before, const QString& file) {
    history_->Replaced(std::move(before), TrQ("Abrir fichero"), workspace_.ChipSize);
    history_->Stack().setClean();
    imageFile_ = file;
    UpdateTitle();
    AddRecentEepromFile(file);
}

void TVentana::AddRecentEepromFile(const QString& file) { recentEeprom_->Add(file); }

void TVentana::UseAvrFile(const QString& file) {
    if (commandRunning_) return;
    PageControl1->setCurrentWidget(avrPage.TabSheet2);
    QMessageBox box(QMessageBox::NoIcon, TrQ("Usar fichero"),
                    TrQ("Que hacer con %1?").arg(QFileInfo(file).fileName()), QMessageBox::Cancel, this);
    box.setObjectName(QStringLiteral("UsoFichero"));
    box.setTextFormat(Qt::PlainText);
    const std::string name = NativeName(file);
    // The buttons' own captions, in the order of the page: the programming column, then reading.
    const std::pair<QPushButton*, std::function<shell::CommandOutcome()>> uses[] = {
        {avrPage.btnProgFlash, [this, name] { return avr::ProgramFlashFrom(avrFrame_, name); }},
        {avrPage.BitBtn1, [this, name] { return avr::ProgramEepromFrom(avrFrame_, name); }},
        {avrPage.btnFLashVerif, [this, name] { return avr::VerifyFlashWith(avrFrame_, name); }},
        {avrPage.btnEEPInt, [this, name] { return avr::VerifyEepromWith(avrFrame_, name); }}};
    std::vector<QAbstractButton*> choices;
    for (const auto& use : uses) choices.push_back(box.addButton(use.first->text(), QMessageBox::AcceptRole));
    modalRunner_.Exec(box);
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (box.clickedButton() != choices[i]) continue;
        OD.FileName = QFileInfo(file).absoluteFilePath();
        // The status line names the command as its button does, without the dots of the dialog.
        QString command = uses[i].first->text().remove(QLatin1Char('&'));
        while (command.endsWith(QLatin1Char('.'))) command.chop(1);
        RunAvrFileCommand(uses[i].second, command);
        return;
    }
}

void TVentana::RunAvrFileCommand(const std::function<shell::CommandOutcome()>& command, const QString& name) {
    auto outcome = shell::CommandOutcome::Cancelled;
    RunAvrCommand([&] { return outcome = command(); }, name);
    if (outcome == shell::CommandOutcome::Cancelled) return;
    recentAvr_->Add(OD.FileName);
}

void TVentana::dragEnterEvent(QDragEnterEvent* event) {
    if (!commandRunning_ && !DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
    else event->ignore();
}

void TVentana::dropEvent(QDropEvent* event) {
    const QString file = DroppedFile(event->mimeData());
    if (commandRunning_ || file.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // After the drop has been answered: the program that dragged the file is not kept waiting
    // while a question or a command runs.
    const bool avr = PageControl1->currentWidget() == avrPage.TabSheet2;
    QTimer::singleShot(0, this, [this, file, avr] {
        if (avr) UseAvrFile(file);
        else OpenEepromFile(file);
    });
}

}  // namespace tarpel::ui
