// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// How a command speaks to the user: message boxes, the cursor, the progress dialog with its
// cancel flag, the two main-window gauges, one pump of the message loop, and file choice.
// Qt implements it for the window, the console for tarpel-cli, a recorder for the tests.
// Commands never include a toolkit header; they only see this interface.
#include <optional>
#include <string>
#include <string_view>

namespace tarpel::shell {

enum class CursorShape { Default, Hourglass };
enum class Gauge { Flash, Eeprom };  // prFlash and prEEPInt of the AVR page

class Shell {
public:
    virtual ~Shell() = default;

    // Modal box with one OK button and no icon. Texts are UTF-8; "\r" breaks the line.
    virtual void MessageBox(std::string_view text, std::string_view caption) = 0;
    // The plain message dialog, captioned with the application title.
    virtual void ShowMessage(std::string_view text) = 0;
    // Modal question with "Si" and "No" buttons, "No" the default; true for "Si". Texts as above.
    virtual bool AskYesNo(std::string_view text, std::string_view caption) = 0;

    virtual void SetCursor(CursorShape shape) = 0;
    virtual CursorShape Cursor() const = 0;

    // Lets the user interface handle its pending events once (repaint, a click on "Cancelar...").
    virtual void ProcessMessages() = 0;

    // The modeless progress dialog. Showing it clears the cancel flag. ProgressCancelRequested()
    // answers for the user alone ("Cancelar...", in tarpel-cli a stop signal): every long command,
    // AVR ones included, asks it at each byte or page. A board that has stopped working is no
    // cancel; the command frames see that on the board's lines.
    virtual void ProgressSetGauge(int percent) = 0;
    virtual void ProgressShow() = 0;
    virtual void ProgressSetLabel(std::string_view text) = 0;
    virtual bool ProgressCancelRequested() = 0;
    virtual void ProgressClose() = 0;
    // ProgressCancelRequested() for a step that shows no progress (a power-up, the moment before
    // an erase): the user interface handles its pending events first, since a window learns of a
    // close or a signal only from them.
    virtual bool StopAsked() {
        ProcessMessages();
        return ProgressCancelRequested();
    }

    virtual void SetGauge(Gauge gauge, int percent) = 0;

    // The shared open and save dialogs; nullopt when the user cancels. An empty caption keeps
    // the dialog's own; any other caption stands only for this use.
    virtual std::optional<std::string> ChooseOpenFile(std::string_view caption = {}) = 0;
    virtual std::optional<std::string> ChooseSaveFile() = 0;
    // The file name the open dialog holds from its last use.
    virtual std::string LastOpenFile() const = 0;

    // The dialogs of an AVR's whole-chip copy: ELF files alone on offer, under this caption, and
    // a name of their own kept apart from the shared dialogs'. A shell without such dialogs asks
    // through the shared ones.
    enum class FileUse { Open, Save };
    virtual std::optional<std::string> ChooseElfFile(FileUse use, std::string_view caption) {
        return use == FileUse::Open ? ChooseOpenFile(caption) : ChooseSaveFile();
    }

    // What the command has just done, in one line for the window's status bar ("Leidos 16.384
    // bytes de la 24C128"); the window adds how long it took, then the note ("el resto es el
    // contenido anterior"). The console says nothing more: its messages and results tell it.
    virtual void Report(std::string_view /*what*/, std::string_view /*note*/ = {}) {}
};

}  // namespace tarpel::shell
