#include "settings/SettingsMapping.h"

#include "core/JobOptions.h"
#include "core/UserTable.h"
#include "settings/SettingsFile.h"

#include <QDir>

namespace {

void fillUserTable(const QList<UserEntry> &users, UserTable &table)
{
    table.UserCount = 0;
    for (const UserEntry &user : users) {
        if (table.UserCount >= MaxUsers)
            break;
        table.Users[size_t(table.UserCount)] = user;
        ++table.UserCount;
    }
}

int boxState(bool ticked)
{
    return ticked ? 1 : 0;
}

} // namespace

void applyStoredSettings(const StoredSettings &values, JobOptions &options, UserTable &users)
{
    if (values.cookieA)
        options.cookieAText = *values.cookieA;
    if (values.cookieB)
        options.cookieBText = *values.cookieB;
    if (values.nameMode)
        options.naming = *values.nameMode;
    if (values.folderMode)
        options.folderLayout = *values.folderMode;
    fillUserTable(values.users, users);
    if (values.delay)
        options.delay = *values.delay;
    for (size_t i = 0; i < options.types.size(); ++i)
        if (values.types[i])
            options.types[i] = *values.types[i];
    for (size_t i = 0; i < options.ratings.size(); ++i)
        if (values.ratings[i])
            options.ratings[i] = *values.ratings[i] == 1;
    if (values.commonFavs)
        options.allFavsTogether = *values.commonFavs == 1;
    if (values.shutdown)
        options.shutdown = *values.shutdown == 1;
    if (values.urlFix)
        options.fixUrls = *values.urlFix == 1;
    if (values.maxSize)
        options.maxSize = *values.maxSize;
    if (values.savePath)
        options.savePath = *values.savePath;
    if (values.favPath)
        options.favPath = *values.favPath;
}

SettingsSnapshot settingsSnapshot(const JobOptions &options, const UserTable &users)
{
    SettingsSnapshot snapshot;
    snapshot.cookieA = options.cookieAText;
    snapshot.cookieB = options.cookieBText;
    snapshot.nameMode = options.naming;
    snapshot.folderMode = options.folderLayout;
    for (int slot = 0; slot <= users.UserCount && slot < UserSlots; ++slot)
        if (!users.Users[size_t(slot)].Name.isEmpty())
            snapshot.users.append(users.Users[size_t(slot)]);
    snapshot.delay = options.delay;
    snapshot.types = options.types;
    for (size_t i = 0; i < options.ratings.size(); ++i)
        snapshot.ratings[i] = boxState(options.ratings[i]);
    snapshot.commonFavs = boxState(options.allFavsTogether);
    snapshot.shutdown = boxState(options.shutdown);
    snapshot.maxSize = options.maxSize;
    snapshot.savePath = options.savePath;
    snapshot.favPath = options.favPath;
    snapshot.urlFix = boxState(options.fixUrls);
    return snapshot;
}

void applyStartUpDefaults(const QString &saveFolder, JobOptions &options)
{
    const QString folder = QDir::toNativeSeparators(saveFolder);
    if (options.savePath.isEmpty())
        options.savePath = folder;
    if (options.favPath.isEmpty())
        options.favPath = folder + QDir::separator() + FolderNames::Favorites;
    if (options.delay < 5)
        options.delay = 10;
    options.noWaitMode = false;
}
