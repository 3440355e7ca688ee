// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One page's "Ficheros recientes": the last files opened or used on it, newest first, kept in the
// settings store as numbered values ("<key>1" .. "<key>8") so that the list survives the run. It
// neither opens files nor builds menus.
#include <QString>
#include <QStringList>

namespace tarpel::ui {

class SettingsStore;

class RecentFiles {
public:
    static constexpr int Capacity = 8;

    RecentFiles(SettingsStore& settings, QString key);

    // Puts the file first (by its absolute path), dropping an older entry for it and the ninth.
    void Add(const QString& file);
    // The stored files that still exist, newest first.
    QStringList Existing() const;

private:
    QStringList Stored() const;

    SettingsStore& settings_;
    QString key_;
};

}  // namespace tarpel::ui
