// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The shell of the console program: every message box becomes one line on standard error,
// "CAPTION: text"; the cursor and the message pump do nothing; progress shows as one line
// that rewrites itself when standard error is a terminal; file choices come from the command
// line, and so does the answer to a yes/no question: no, unless the command was given --force.
// A stop signal (Ctrl-C, SIGTERM...) asks the running command to cancel, as the progress
// dialog's button does.
#include <deque>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "shell/Shell.h"

namespace tarpel::cli {

// The application title, which captions the plain message dialogs; trailing blanks trimmed.
inline constexpr std::string_view ApplicationTitle = "Tarpel v1.5 ATMega8515";

class ConsoleShell final : public shell::Shell {
public:
    // `progressLine`: draw the progress line (only sensible on a terminal).
    ConsoleShell(std::ostream& err, bool progressLine) : err_(err), progressLine_(progressLine) {}

    // The answers of the open and save dialogs, in the order the command will ask.
    void QueueOpenFile(std::string path) { openFiles_.push_back(std::move(path)); }
    void QueueSaveFile(std::string path) { saveFiles_.push_back(std::move(path)); }
    // --force was given: every question is answered yes.
    void AnswerYes(bool yes) { answerYes_ = yes; }

    void MessageBox(std::string_view text, std::string_view caption) override;
    void ShowMessage(std::string_view text) override;
    // The question on standard error as a message line, then the answer and how to change it.
    bool AskYesNo(std::string_view text, std::string_view caption) override;

    void SetCursor(shell::CursorShape shape) override { cursor_ = shape; }
    shell::CursorShape Cursor() const override { return cursor_; }
    void ProcessMessages() override {}

    void ProgressSetGauge(int percent) override;
    void ProgressShow() override;
    void ProgressSetLabel(std::string_view text) override;
    bool ProgressCancelRequested() override;
    void ProgressClose() override;
    void SetGauge(shell::Gauge gauge, int percent) override;

    std::optional<std::string> ChooseOpenFile(std::string_view caption = {}) override;
    std::optional<std::string> ChooseSaveFile() override;
    std::string LastOpenFile() const override { return lastOpenFile_; }

    // A line of its own on standard error, without a caption.
    void Notice(std::string_view text);

    // What the command changed on the device before a stop ended it, for the closing line.
    void NoteWritten(std::string what) { written_ = std::move(what); }
    const std::string& Written() const { return written_; }

    // A message text on one line: each line break, with the blanks around it, becomes one blank.
    static std::string OneLine(std::string_view text);

private:
    void DrawProgress(const std::string& text);
    void ClearProgress();

    std::ostream& err_;
    bool progressLine_;
    shell::CursorShape cursor_ = shell::CursorShape::Default;
    std::deque<std::string> openFiles_;
    std::deque<std::string> saveFiles_;
    std::string lastOpenFile_;
    std::string label_;
    int gauge_ = -1;
    bool progressDrawn_ = false;
    bool answerYes_ = false;
    std::string written_;
};

}  // namespace tarpel::cli
