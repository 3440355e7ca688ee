// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/ConsoleShell.h"

#include "cli/StopSignals.h"
#include "shell/Translate.h"

namespace tarpel::cli {

std::string ConsoleShell::OneLine(std::string_view text) {
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            line += text[i];
            continue;
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        while (i + 1 < text.size() && (text[i + 1] == ' ' || text[i + 1] == '\r' || text[i + 1] == '\n')) ++i;
        if (!line.empty()) line += ' ';
    }
    return line;
}

void ConsoleShell::MessageBox(std::string_view text, std::string_view caption) {
    ClearProgress();
    const std::string title = TrText(caption);
    err_ << title << (title.empty() || title.back() == ':' ? "" : ":") << ' ' << OneLine(TrText(text)) << '\n';
    err_.flush();
}

void ConsoleShell::ShowMessage(std::string_view text) { MessageBox(text, ApplicationTitle); }

void ConsoleShell::Notice(std::string_view text) {
    ClearProgress();
    err_ << TrText(text) << '\n';
    err_.flush();
}

bool ConsoleShell::AskYesNo(std::string_view text, std::string_view caption) {
    MessageBox(text, caption);
    err_ << (answerYes_ ? Tr("Respuesta: Si (--force)\n")
                        : Tr("Respuesta: No. Para contestar Si, repita la orden con --force\n"));
    err_.flush();
    return answerYes_;
}

void ConsoleShell::ProgressShow() {
    // Unlike the dialog's button, a signal that came before the progress showed still counts.
    label_.clear();
    gauge_ = -1;
}

void ConsoleShell::ProgressSetLabel(std::string_view text) { label_ = text; }

void ConsoleShell::ProgressSetGauge(int percent) {
    // Redrawn only when the percentage moves: a read sets its label after every byte.
    if (percent == gauge_) return;
    gauge_ = percent;
    DrawProgress((label_.empty() ? std::string() : label_ + " ") + std::to_string(percent) + "%");
}

bool ConsoleShell::ProgressCancelRequested() {
    return StopSignal() != 0;
}

void ConsoleShell::ProgressClose() { ClearProgress(); }

void ConsoleShell::SetGauge(shell::Gauge gauge, int percent) {
    DrawProgress(std::string(gauge == shell::Gauge::Flash ? "Flash" : "EEPROM") + " " + std::to_string(percent) + "%");
}

void ConsoleShell::DrawProgress(const std::string& text) {
    if (!progressLine_) return;
    err_ << "\r\x1b[K" << text;
    err_.flush();
    progressDrawn_ = true;
}

void ConsoleShell::ClearProgress() {
    if (!progressDrawn_) return;
    err_ << "\r\x1b[K";
    err_.flush();
    progressDrawn_ = false;
}

std::optional<std::string> ConsoleShell::ChooseOpenFile(std::string_view) {
    if (openFiles_.empty()) return std::nullopt;
    lastOpenFile_ = openFiles_.front();
    openFiles_.pop_front();
    return lastOpenFile_;
}

std::optional<std::string> ConsoleShell::ChooseSaveFile() {
    if (saveFiles_.empty()) return std::nullopt;
    std::string path = saveFiles_.front();
    saveFiles_.pop_front();
    return path;
}

}  // namespace tarpel::cli
