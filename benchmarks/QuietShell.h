// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A shell that shows nothing and never cancels, so a benchmark measures the command alone.
#include "shell/Shell.h"

namespace tarpel::bench {

class QuietShell final : public shell::Shell {
public:
    void MessageBox(std::string_view, std::string_view) override { ++messages; }
    void ShowMessage(std::string_view) override { ++messages; }
    bool AskYesNo(std::string_view, std::string_view) override {
        ++messages;
        return false;
    }
    void SetCursor(shell::CursorShape shape) override { cursor_ = shape; }
    shell::CursorShape Cursor() const override { return cursor_; }
    void ProcessMessages() override {}
    void ProgressSetGauge(int) override {}
    void ProgressShow() override {}
    void ProgressSetLabel(std::string_view) override {}
    bool ProgressCancelRequested() override { return false; }
    void ProgressClose() override {}
    void SetGauge(shell::Gauge, int) override {}
    std::optional<std::string> ChooseOpenFile(std::string_view) override { return std::nullopt; }
    std::optional<std::string> ChooseSaveFile() override { return std::nullopt; }
    std::string LastOpenFile() const override { return {}; }

    int messages = 0;

private:
    shell::CursorShape cursor_ = shell::CursorShape::Default;
};

}  // namespace tarpel::bench
