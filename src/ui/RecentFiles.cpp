// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/RecentFiles.h"

#include <QFileInfo>

#include <utility>

#include "ui/SettingsStore.h"

namespace tarpel::ui {

RecentFiles::RecentFiles(SettingsStore& settings, QString key) : settings_(settings), key_(std::move(key)) {}

QStringList RecentFiles::Stored() const {
    QStringList files;
    for (int i = 1; i <= Capacity; ++i) {
        const QString file = settings_.ReadString(key_ + QString::number(i), QString());
        if (!file.isEmpty()) files << file;
    }
    return files;
}

void RecentFiles::Add(const QString& file) {
    const QString path = QFileInfo(file).absoluteFilePath();
    QStringList files = Stored();
    files.removeAll(path);
    files.prepend(path);
    // Every slot is written, the empty ones too, so that no entry of a longer list stays behind.
    for (int i = 1; i <= Capacity; ++i)
        settings_.WriteString(key_ + QString::number(i), i <= files.size() ? files[i - 1] : QString());
}

QStringList RecentFiles::Existing() const {
    QStringList files;
    for (const QString& file : Stored())
        if (QFileInfo(file).isFile()) files << file;
    return files;
}

}  // namespace tarpel::ui
