#include "settings/SettingsFile.h"

// Placeholder: the settings file is being written.
SettingsRead readSettingsText(const QByteArray &) { return {}; }
QByteArray settingsText(const SettingsSnapshot &) { return {}; }
SettingsRead loadSettingsFile(const QString &) { return {}; }
bool saveSettingsFile(const QString &, const QByteArray &, QString *) { return true; }
bool clearSettingsFile(const QString &, QString *) { return true; }
