// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What every AVR command shares: the link to the device, the shell and the view, the
// DeviceKind found by the last identification (kept for the whole run), the identification
// itself and the frame's common steps (stop, switch off, gauge). The commands themselves are
// free functions in their own files; the window holds one frame and its handlers call them.
#include <string>
#include <string_view>

#include "avr/AvrView.h"
#include "avr/DeviceKind.h"
#include "avr/DeviceTable.h"
#include "link/AvrLink.h"
#include "link/BitTiming.h"
#include "link/BoardLines.h"
#include "port/Clock.h"
#include "shell/CommandOutcome.h"
#include "shell/ReentryGuard.h"
#include "shell/Shell.h"
#include "shell/Translate.h"

namespace tarpel::avr {

// How an AVR command ends: the outcome both command families share.
using shell::CommandOutcome;

inline constexpr std::string_view ErrorCaption = "ERROR";
inline constexpr std::string_view NoDeviceMessage = TrNoop("No se ha detectado ningun micro!!!");
// A command stopped once it had changed the device: %1 says what it had done.
inline constexpr std::string_view CancelledAfterWritesMessage = TrNoop("Operacion cancelada; ya hecho: %1");

// A write error's text, whose %1 is the address it stopped at in hexadecimal: "... (direccion $%1)"
// gives "... (direccion $0010)".
std::string AtAddress(std::string_view message, int address);

enum class Identification {
    Known,     // a device of the table: caption shown, DeviceKind set
    Unknown,   // an unrecognised signature: the command stops (only an erase, which reads none, goes on)
    Locked,    // signature 00 01 02: the command stops
    NoAnswer,  // no echo within three power cycles: the command stops, lines already off
    Stopped,   // a stop was asked for during the power-up: the command stops, nothing written
};

class CommandFrame {
public:
    // The link runs on the timing's clock and fast-timing choice, the ones the 24Cxx side has.
    CommandFrame(link::BoardLines& lines, link::BitTiming& timing, shell::Shell& shell, AvrView& view)
        : link_(lines, timing), clock_(timing.clock()), shell_(shell), view_(view) {
        // The power-up gives way to a stop as the byte and page loops do: the user's cancel,
        // or in tarpel-cli a stop signal.
        link_.SetStopTest([this] { return shell_.StopAsked(); });
    }

    CommandFrame(const CommandFrame&) = delete;
    CommandFrame& operator=(const CommandFrame&) = delete;

    // Powers the device up into programming mode and reads its signature. True when the
    // command goes on (a device of the table, powered, DeviceKind set); on false every line
    // has been switched off and then a message shown.
    bool IdentifyDevice();
    Identification LastIdentification() const { return lastIdentification_; }

    DeviceKind Kind() const { return kind_; }
    const DeviceType& Device() const { return DeviceOf(kind_); }
    int FlashSize() const { return Device().flashSize; }
    int EepromSize() const { return Device().eepromSize; }

    // Powers the device up into programming mode without reading its signature, as the erase
    // commands do. On false the lines are off and the user has been told that no device answered,
    // unless a stop was asked for meanwhile (LastIdentification() is then Stopped).
    bool EnterProgrammingMode();
    // What a command whose IdentifyDevice or EnterProgrammingMode said false has come to: Cancelled
    // when a stop cut the power-up short (StoppedOutcome), Failed otherwise.
    CommandOutcome StartOutcome() {
        return lastIdentification_ == Identification::Stopped ? StoppedOutcome() : CommandOutcome::Failed;
    }

    // Asked right before each step that changes the device (an erase, a fuse write, a command's
    // first write): true, with the frame's stop done, when a stop has been asked for. The command
    // then ends with StoppedOutcome() and the step is never begun.
    [[nodiscard]] bool StopBeforeWriting();
    // What the running command has changed on the device so far, for a cancellation to name:
    // each note is added to the earlier ones. RunCommand starts every command with none.
    void NoteWritten(std::string_view what);
    const std::string& Written() const { return written_; }
    void ForgetWritten() { written_.clear(); }

    // The frame's stop: normal cursor, every line off.
    void StopCommand();
    // Every AVR-side line off: the device unpowered.
    void SwitchOff() { link_.AllLinesOff(); }
    // Sets the gauge to done x 100 / total, to the nearest (halves to even), and lets the window
    // handle its events. True when the command must stop here: the user or a stop signal asked to
    // cancel, or the board stopped working. The caller then stops the command and ends it with
    // StoppedOutcome().
    [[nodiscard]] bool ShowProgress(shell::Gauge gauge, int done, int total);
    // What a command that ShowProgress stopped has come to: Failed when the board stopped working
    // (whoever started the command names the device and the cause), Cancelled when only the user
    // or a stop signal asked; a cancellation after a change to the device reports what was done.
    CommandOutcome StoppedOutcome();

    // Marks a command as running. A command started while another one runs (from inside the
    // other's message processing) gets an empty guard and must return at once, touching nothing.
    shell::ReentryGuard Begin() { return shell::ReentryGuard(running_); }
    bool Running() const { return running_; }

    link::AvrLink& Link() { return link_; }
    port::Clock& Clock() { return clock_; }
    shell::Shell& Shell() { return shell_; }
    AvrView& View() { return view_; }

private:
    link::AvrLink link_;
    port::Clock& clock_;
    shell::Shell& shell_;
    AvrView& view_;
    DeviceKind kind_ = DeviceKind::AT90S8515;
    Identification lastIdentification_ = Identification::NoAnswer;
    bool running_ = false;
    std::string written_;
};

}  // namespace tarpel::avr
