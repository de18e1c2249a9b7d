#include "HeadlessSettings.h"

#include "job/PlainJobSettings.h"
#include "settings/SettingsFile.h"

void applyStoredSettings(const StoredSettings &values, PlainJobSettings &settings)
{
    settings.types = {true, true, true, true};
    if (values.cookieA)
        settings.cookieAText = *values.cookieA;
    if (values.cookieB)
        settings.cookieBText = *values.cookieB;
    if (values.nameMode)
        settings.naming = *values.nameMode;
    if (values.folderMode)
        settings.folderLayout = *values.folderMode;
    fillUserTable(values.users, settings.users);
    if (values.delay)
        settings.delay = *values.delay;
    for (size_t i = 0; i < settings.types.size(); ++i)
        if (values.types[i])
            settings.types[i] = *values.types[i];
    for (size_t i = 0; i < settings.ratings.size(); ++i)
        if (values.ratings[i])
            settings.ratings[i] = *values.ratings[i] == 1;
    if (values.commonFavs)
        settings.allFavsTogether = *values.commonFavs == 1;
    settings.shutdown = false;
    if (values.urlFix)
        settings.fixUrls = *values.urlFix == 1;
    if (values.maxSize)
        settings.maxSize = *values.maxSize;
    if (values.savePath)
        settings.savePath = *values.savePath;
    if (values.favPath)
        settings.favPath = *values.favPath;
}

void applyStartUpDefaults(const QString &saveFolder, PlainJobSettings &settings)
{
    if (settings.savePath.isEmpty())
        settings.savePath = defaultSavePath(saveFolder);
    if (settings.favPath.isEmpty())
        settings.favPath = defaultFavoritesPath(saveFolder);
    settings.delay = startingDelay(int16_t(settings.delay));
    settings.noWaitMode = false;
}
