// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The window program's side of shell::Shell: Qt message boxes, the override cursor, one pass of
// the event loop, the progress dialog, the AVR page's gauges and the shared file dialogs.
// Every modal dialog goes through a ModalRunner so that tests never block on one.
// While the progress dialog shows, its label and gauge take every value a command sets, but the
// dialog repaints at most at screen rate (RepaintPacer), and with the last values when it
// closes: a command that sets them for every byte would otherwise spend most of its time
// painting them.
#include <QMessageBox>
#include <QString>

#include <functional>
#include <optional>
#include <string>

#include "shell/Shell.h"
#include "ui/FileDialog.h"
#include "ui/RepaintPacer.h"

class QWidget;

namespace tarpel::ui {

class ModalRunner;
class TGauge;
class TformProgreso;

class QtShell final : public shell::Shell {
public:
    // `now` is the clock that paces the progress dialog's repaints (tests pass their own).
    QtShell(QWidget* parent, ModalRunner& runner, FileDialog& openDialog, FileDialog& saveDialog,
            RepaintPacer::Now now = &std::chrono::steady_clock::now);

    // The gauges and the progress dialog join once they exist; calls before that do nothing.
    void AttachGauges(TGauge* flash, TGauge* eeprom);
    void AttachProgressDialog(TformProgreso* dialog) { progress_ = dialog; }

    // Presses "Cancelar..." for the user: the running command stops at its next byte or page,
    // AVR commands too. The window does it when asked to close during a command.
    void PressCancel();
    // A chip command starts with the cancel flag down.
    void ClearCancel();

    void MessageBox(std::string_view text, std::string_view caption) override;
    void ShowMessage(std::string_view text) override;
    bool AskYesNo(std::string_view text, std::string_view caption) override;
    // A question with "Si", "No" and "Cancelar" (the house's texts, not Qt's accented ones);
    // "Si" is the default, Esc and the close box answer "Cancelar". Only the window asks it.
    QMessageBox::StandardButton AskYesNoCancel(std::string_view text, std::string_view caption);

    void SetCursor(shell::CursorShape shape) override;
    shell::CursorShape Cursor() const override;

    void ProcessMessages() override;

    void ProgressSetGauge(int percent) override;
    void ProgressShow() override;
    void ProgressSetLabel(std::string_view text) override;
    bool ProgressCancelRequested() override;
    void ProgressClose() override;

    void SetGauge(shell::Gauge gauge, int percent) override;

    std::optional<std::string> ChooseOpenFile(std::string_view caption = {}) override;
    std::optional<std::string> ChooseSaveFile() override;
    std::string LastOpenFile() const override;
    std::optional<std::string> ChooseElfFile(FileUse use, std::string_view caption) override;

    // What the running command reported about itself, for the status bar; taking it clears it.
    void Report(std::string_view what, std::string_view note = {}) override;
    struct CommandReport {
        std::string what;
        std::string note;
    };
    std::optional<CommandReport> TakeReport();
    const std::optional<CommandReport>& PendingReport() const { return report_; }

    // Runs before every box and question: the window brings its status bar up to date, so that
    // it does not show an earlier command's news beside this one's box.
    std::function<void()> BeforeBox;

private:
    void ShowBox(std::string_view text, const QString& caption);

    QWidget* parent_;
    ModalRunner& runner_;
    FileDialog& openDialog_;
    FileDialog& saveDialog_;
    // The whole-chip copies' own dialogs, ELF files alone: choosing a copy leaves the shared
    // dialogs' last file (which "Reprogramar flash..." programs) as it was.
    FileDialog elfOpenDialog_;
    FileDialog elfSaveDialog_;
    TGauge* flashGauge_ = nullptr;
    TGauge* eepromGauge_ = nullptr;
    TformProgreso* progress_ = nullptr;
    RepaintPacer progressPacer_;
    std::optional<CommandReport> report_;
};

// A message text as Qt shows it: UTF-8 decoded, each "\r" (or "\r\n") a line break.
QString MessageText(std::string_view text);

}  // namespace tarpel::ui
