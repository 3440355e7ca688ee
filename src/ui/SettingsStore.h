// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The per-user settings: an INI file for the key "TARPEL" whose section "CONFIG" holds string
// values ("OPEN_DIR", "SAVE_DIR", "RETARDO", ...). Integers are kept as decimal text. Each call
// opens the store, does its one access and closes it again, so nothing is cached between uses.
// Not a general preferences layer: only the values the window reads and writes at start and exit.
#include <QString>

namespace tarpel::ui {

class SettingsStore {
public:
    // The store of the current user: TARPEL.ini in the per-user configuration folder.
    SettingsStore();
    // A store kept in the given INI file, for tests and for running beside another setup.
    explicit SettingsStore(QString iniFile);
    virtual ~SettingsStore() = default;

    virtual QString ReadString(const QString& name, const QString& defaultValue);
    virtual void WriteString(const QString& name, const QString& value);

    // A missing value or one that is not plain decimal text reads as the default.
    int ReadInteger(const QString& name, int defaultValue);
    void WriteInteger(const QString& name, int value);

    const QString& FileName() const { return iniFile_; }

private:
    QString iniFile_;
};

}  // namespace tarpel::ui
