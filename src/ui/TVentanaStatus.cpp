// SPDX-License-Identifier: GPL-2.0-or-later
// What the window tells beside the commands' own boxes: the status bar's line after each command,
// the image's checksums on the 24CXXX page, and every difference a comparison found (marked in
// the grid, listed in a window of its own).
#include <QLabel>
#include <QTableView>

#include "files/Checksums.h"
#include "shell/ReportText.h"
#include "ui/DifferenceList.h"
#include "ui/HexGridModel.h"
#include "ui/TGauge.h"
#include "ui/TVentana.h"
#include "ui/TrQ.h"

namespace tarpel::ui {

void TVentana::ResetGauges() {
    avrPage.prFlash->SetProgress(0);
    avrPage.prEEPInt->SetProgress(0);
}

void TVentana::ShowCommandStatus(const QString& name, shell::CommandOutcome outcome, std::uint32_t elapsedMs) {
    if (const auto report = shell_.TakeReport()) {
        ShowReportStatus(*report, elapsedMs);
        return;
    }
    // A command that says nothing of itself (one that failed: its box has said why) still gets
    // a line, so that the status bar never shows an earlier command's news as this one's.
    QString what;
    switch (outcome) {
    case shell::CommandOutcome::Done: what = TrQ("%1: hecho").arg(name); break;
    case shell::CommandOutcome::Failed: what = TrQ("%1: terminado con error").arg(name); break;
    case shell::CommandOutcome::Cancelled: what = TrQ("%1: cancelado").arg(name); break;
    }
    lbEstado->setText(TrQ("%1 en %2").arg(what, QString::fromStdString(shell::SecondsText(elapsedMs))));
}

void TVentana::ShowReportStatus(const QtShell::CommandReport& report, std::uint32_t elapsedMs) {
    const QString what = QString::fromStdString(report.what);
    const QString seconds = QString::fromStdString(shell::SecondsText(elapsedMs));
    lbEstado->setText(report.note.empty()
                          ? TrQ("%1 en %2").arg(what, seconds)
                          : TrQ("%1 en %2; %3").arg(what, seconds, QString::fromStdString(report.note)));
}

void TVentana::ShowStatusBeforeBox() {
    if (statusCommand_.isEmpty()) return;
    // A box holds the command until it is answered: the line it ends with is shown now, beside
    // the box that tells the same news, and again, with the whole time, once it has ended.
    if (const auto& report = shell_.PendingReport())
        ShowReportStatus(*report, clock_.GetTickCount() - statusStart_);
    else
        lbEstado->setText(TrQ("%1: en curso").arg(statusCommand_));
    lbEstado->repaint();
}

void TVentana::ShowTimingStatus() { lbRapido->setVisible(timing_.FastTiming); }

void TVentana::ShowImageChecksums() {
    const auto count = static_cast<std::size_t>(std::max(workspace_.ChipSize, 0));
    const auto sums = files::ChecksumsOf(std::span(workspace_.MemoryImage).first(count));
    eepromPage.lbSumas->setText(QString::fromStdString(files::ChecksumText(sums)));
}

void TVentana::ShowImageDifferences(std::span<const files::ByteDifference> differences) {
    gridModel_->SetDifferences(differences);
    if (!differences.empty())
        formDiferencias->ShowDifferences(DifferenceList::Compared::Image, differenceSubject_, differences,
                                         TrQ("Imagen"), differenceFoundName_);
    else if (formDiferencias->isVisible())
        formDiferencias->Clear(DifferenceList::Compared::Image, differenceSubject_);
}

void TVentana::ForgetImageDifferences() {
    gridModel_->SetDifferences({});
    formDiferencias->ForgetImage();
}

void TVentana::DifferencesFound(std::string_view memoryName, std::span<const files::ByteDifference> differences) {
    const QString subject = TrQ("%1 y el fichero").arg(QString::fromStdString(TrText(memoryName)));
    if (!differences.empty())
        formDiferencias->ShowDifferences(DifferenceList::Compared::AvrMemory, subject, differences, TrQ("Fichero"),
                                         TrQ("Chip"));
    else if (formDiferencias->isVisible())
        formDiferencias->Clear(DifferenceList::Compared::AvrMemory, subject);
}

}  // namespace tarpel::ui
