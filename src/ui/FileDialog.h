// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One of the two shared file dialogs, OD and SD: its title, filter, default extension, starting
// folder and the file name it keeps between uses. Each use builds a fresh QFileDialog from that
// state and keeps what the user chose. It does not open or write any file itself.
#include <QString>
#include <QStringList>

class QWidget;

namespace tarpel::ui {

class ModalRunner;

class FileDialog {
public:
    enum class Mode { Open, Save };

    FileDialog(Mode mode, QString title);

    // Shows the dialog; true when the user chose a file, which FileName() then holds.
    bool Execute(QWidget* parent, ModalRunner& runner);

    QString Title;
    QString InitialDir = QStringLiteral(".");
    QString DefaultExt = QStringLiteral("hex");
    QStringList NameFilters;
    int FilterIndex = 0;
    // The last file chosen, with its full path; "*.hex" until a file was chosen.
    QString FileName = QStringLiteral("*.hex");
    // The open dialog offers avr-gcc's ELF programs, which the AVR page programs; the 24CXXX page
    // opens no ELF, and its commands turn the entry off while they ask.
    bool OffersElf = true;

    // The folder the dialog opens in: the folder of the last chosen file, else InitialDir.
    QString StartFolder() const;
    // What the settings keep for the next start: the last chosen file, or, when none was chosen
    // in this run, the value read at start, so that the last folder is not forgotten.
    QString RememberedName() const;

private:
    Mode mode_;
    QString elfFilter_;  // the ELF entry of an open dialog; empty for a save dialog
};

}  // namespace tarpel::ui
