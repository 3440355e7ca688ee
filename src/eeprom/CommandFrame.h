// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What every 24Cxx command shares: the workspace (the selected chip and the memory image), the
// I2C master over the board's lines and bit timing, the shell, and the frame's common steps
// (stop, grid). The commands themselves are free functions in their own files taking the frame,
// as the AVR commands take theirs; the window holds one frame and its handlers call them.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "eeprom/EepromWorkspace.h"
#include "link/BitTiming.h"
#include "link/BoardLines.h"
#include "link/I2cMaster.h"
#include "shell/CommandOutcome.h"
#include "shell/Shell.h"

namespace tarpel::eeprom {

// How a 24Cxx command ends: the outcome both command families share.
using shell::CommandOutcome;

class CommandFrame {
public:
    CommandFrame(EepromWorkspace& workspace, link::BoardLines& lines, link::BitTiming& timing, shell::Shell& shell)
        : workspace_(workspace), lines_(lines), master_(lines, timing), shell_(shell) {}

    CommandFrame(const CommandFrame&) = delete;
    CommandFrame& operator=(const CommandFrame&) = delete;

    // The frame's stop: normal cursor, every 24Cxx-side line off.
    void StopCommand();
    // Has whoever shows the image rebuild the grid.
    void RefreshGrid();
    // One step under the progress dialog (shell::ProgressStep). True when the command must stop
    // here: the user or a stop signal asked to cancel, or the board stopped working.
    [[nodiscard]] bool ProgressStep(std::string_view label, std::int64_t done, std::int64_t total);
    // What a command that ProgressStep stopped has come to: Failed when the board stopped working
    // (whoever started the command names the device and the cause), Cancelled when only the user
    // or a stop signal asked.
    CommandOutcome StoppedOutcome() const {
        return lines_.PortFailed() ? CommandOutcome::Failed : CommandOutcome::Cancelled;
    }

    // Whether programming reads the chip back and compares it with the image: on unless the
    // user turned it off.
    bool ReadBackAfterProgramming = true;

    // What the running command changed on the chip before a stop ended it (empty when nothing),
    // for the console's closing line; the window's status bar has the command's own report.
    void NoteWritten(std::string what) { written_ = std::move(what); }
    const std::string& Written() const { return written_; }

    EepromWorkspace& Workspace() { return workspace_; }
    link::I2cMaster& Master() { return master_; }
    shell::Shell& Shell() { return shell_; }

private:
    EepromWorkspace& workspace_;
    link::BoardLines& lines_;
    link::I2cMaster master_;
    shell::Shell& shell_;
    std::string written_;
};

}  // namespace tarpel::eeprom
