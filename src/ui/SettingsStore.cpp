// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/SettingsStore.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <utility>

namespace tarpel::ui {

namespace {

const QString Section = QStringLiteral("CONFIG");

}  // namespace

SettingsStore::SettingsStore()
    : iniFile_(QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("TARPEL")).fileName()) {}

SettingsStore::SettingsStore(QString iniFile) : iniFile_(std::move(iniFile)) {}

QString SettingsStore::ReadString(const QString& name, const QString& defaultValue) {
    QSettings settings(iniFile_, QSettings::IniFormat);
    settings.beginGroup(Section);
    if (!settings.contains(name)) return defaultValue;
    const QVariant value = settings.value(name);
    // An unquoted comma in a hand-edited file makes QSettings split the text into a list;
    // the value is still one string, a folder name with a comma in it.
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void SettingsStore::WriteString(const QString& name, const QString& value) {
    QSettings settings(iniFile_, QSettings::IniFormat);
    settings.beginGroup(Section);
    settings.setValue(name, value);
}

int SettingsStore::ReadInteger(const QString& name, int defaultValue) {
    const QString text = ReadString(name, QString());
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : defaultValue;
}

void SettingsStore::WriteInteger(const QString& name, int value) { WriteString(name, QString::number(value)); }

}  // namespace tarpel::ui
