#pragma once

#include "core/FolderNames.h"
#include "core/ProgramFolders.h"
#include "core/UserTable.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// What a settings file says; keys the file does not hold stay unset.
struct StoredSettings
{
    std::optional<QString> cookieA, cookieB;
    std::optional<int> nameMode, folderMode; // 0 to 2
    QList<UserEntry> users;                  // in file order, at most MaxUsers
    std::optional<int> delay;                // 5 to 60 or below 5 (start-up raises it to 10)
    std::array<std::optional<bool>, TypeCount> types;    // GFX, Text, Music, Flash
    std::array<std::optional<int>, RatingCount> ratings; // general, mature, adult box states
    std::optional<int> commonFavs, shutdown, urlFix;     // box states
    std::optional<QString> maxSize;                      // already reduced to its leading number
    std::optional<QString> savePath, favPath;
};

enum class SettingsStatus
{
    Missing,
    Empty,
    Incompatible,
    Loaded,
    Unreadable
};

struct SettingsRead
{
    SettingsStatus status = SettingsStatus::Missing;
    StoredSettings values;
    QString error; // why an existing file could not be read (Unreadable)
};

// Everything the program writes (see settingsSnapshot).
struct SettingsSnapshot
{
    QString cookieA, cookieB;
    int nameMode = -1; // -1: no member selected, the line is left out
    int folderMode = -1;
    QList<UserEntry> users; // non-empty slots, in slot order
    int delay = 10;
    std::array<bool, TypeCount> types{true, true, true, true};
    std::array<int, RatingCount> ratings{1, 1, 1};
    int commonFavs = 1;
    int shutdown = 0;
    QString maxSize = QStringLiteral("0");
    QString savePath, favPath;
    int urlFix = 0;
};

// Reading and writing the text of the file (pure).
SettingsRead readSettingsText(const QByteArray &bytes);
QByteArray settingsText(const SettingsSnapshot &snapshot);
// The number a size value begins with, as decimal text; "0" when there is none.
QString leadingNumberText(const QString &value);

// The file itself. Saving replaces the file in one step and leaves it readable
// by its owner only; on failure the old file stays and the reason is returned.
SettingsRead loadSettingsFile(const QString &path);
bool saveSettingsFile(const QString &path, const QByteArray &bytes, QString *error);
bool clearSettingsFile(const QString &path, QString *error);
