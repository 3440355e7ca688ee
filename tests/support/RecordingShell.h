// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A shell for tests: keeps every message, question, cursor change and progress step for
// assertions, answers file choices from queues and questions with a set answer, and can ask for
// a cancel after a given number of steps.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/Shell.h"

namespace tarpel::test {

struct ShownMessage {
    std::string text;
    std::string caption;  // "" for the plain message dialog with the application title
    bool plain = false;
};

class RecordingShell final : public shell::Shell {
public:
    std::vector<ShownMessage> messages;
    std::vector<ShownMessage> questions;
    bool answerYes = false;  // what every yes/no question gets
    std::vector<shell::CursorShape> cursorChanges;
    shell::CursorShape cursor = shell::CursorShape::Default;
    int processMessagesCalls = 0;
    std::function<void()> onProcessMessages;  // runs inside every pump, e.g. to press Cancel
    // When set, the data port byte at each message, in `portAtMessages`: what the board is left
    // at while the box waits for the user.
    std::function<std::uint8_t()> portProbe;
    std::vector<int> portAtMessages;

    bool progressVisible = false;
    int progressShows = 0;
    int progressGauge = 0;
    std::string progressLabel;
    std::vector<std::string> progressLabels;
    std::vector<int> progressGauges;
    bool cancelFlag = false;
    int cancelAfterLabels = -1;  // press Cancel once this many labels were set (-1: never)

    int flashGauge = 0;
    int eepromGauge = 0;
    std::vector<int> flashGauges;
    std::vector<int> eepromGauges;

    std::deque<std::optional<std::string>> openChoices;
    std::deque<std::optional<std::string>> saveChoices;
    std::vector<std::string> openCaptions;
    std::string lastOpenFile;

    void MessageBox(std::string_view text, std::string_view caption) override {
        messages.push_back({std::string(text), std::string(caption), false});
        if (portProbe) portAtMessages.push_back(portProbe());
    }
    void ShowMessage(std::string_view text) override {
        messages.push_back({std::string(text), "", true});
        if (portProbe) portAtMessages.push_back(portProbe());
    }
    bool AskYesNo(std::string_view text, std::string_view caption) override {
        questions.push_back({std::string(text), std::string(caption), false});
        return answerYes;
    }
    void SetCursor(shell::CursorShape shape) override {
        cursor = shape;
        cursorChanges.push_back(shape);
    }
    shell::CursorShape Cursor() const override { return cursor; }
    void ProcessMessages() override {
        ++processMessagesCalls;
        if (onProcessMessages) onProcessMessages();
    }
    // A look for a stop outside the progress steps is no pump: the pumps above are the commands'
    // progress rhythm, and onProcessMessages presses "Cancelar..." at a chosen one of them.
    bool StopAsked() override { return ProgressCancelRequested(); }
    void ProgressSetGauge(int percent) override {
        progressGauge = percent;
        progressGauges.push_back(percent);
    }
    void ProgressShow() override {
        progressVisible = true;
        ++progressShows;
        cancelFlag = false;
    }
    void ProgressSetLabel(std::string_view text) override {
        progressLabel = std::string(text);
        progressLabels.push_back(progressLabel);
        if (cancelAfterLabels >= 0 && static_cast<int>(progressLabels.size()) == cancelAfterLabels) cancelFlag = true;
    }
    bool ProgressCancelRequested() override { return cancelFlag; }
    void ProgressClose() override { progressVisible = false; }
    void SetGauge(shell::Gauge gauge, int percent) override {
        if (gauge == shell::Gauge::Flash) {
            flashGauge = percent;
            flashGauges.push_back(percent);
        } else {
            eepromGauge = percent;
            eepromGauges.push_back(percent);
        }
    }
    std::optional<std::string> ChooseOpenFile(std::string_view caption) override {
        openCaptions.emplace_back(caption);
        if (openChoices.empty()) return std::nullopt;
        auto choice = openChoices.front();
        openChoices.pop_front();
        if (choice) lastOpenFile = *choice;
        return choice;
    }
    std::optional<std::string> ChooseSaveFile() override {
        if (saveChoices.empty()) return std::nullopt;
        auto choice = saveChoices.front();
        saveChoices.pop_front();
        return choice;
    }
    std::string LastOpenFile() const override { return lastOpenFile; }
};

}  // namespace tarpel::test
