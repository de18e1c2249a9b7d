#include "settings/SwitchesFile.h"

#include "core/JobOptions.h"

#include <QSettings>

namespace {

const QString SkipArchivedKey = QStringLiteral("archive/skipArchived");
const QString QuickSyncKey = QStringLiteral("archive/quickSync");
const QString ResumeKey = QStringLiteral("download/resumeCutFiles");

// Only the words the file itself writes turn a switch on.
bool readSwitch(const QSettings &file, const QString &key)
{
    return file.value(key).toString() == QLatin1String("true");
}

} // namespace

void readSwitches(const QString &path, JobOptions &options)
{
    const QSettings file(path, QSettings::IniFormat);
    options.skipArchived = readSwitch(file, SkipArchivedKey);
    options.quickSync = readSwitch(file, QuickSyncKey);
    options.resumeCutFiles = readSwitch(file, ResumeKey);
}

bool writeSwitches(const QString &path, const JobOptions &options, QString *error)
{
    QSettings file(path, QSettings::IniFormat);
    file.setValue(SkipArchivedKey, options.skipArchived);
    file.setValue(QuickSyncKey, options.quickSync);
    file.setValue(ResumeKey, options.resumeCutFiles);
    file.sync();
    if (file.status() == QSettings::NoError)
        return true;
    *error = file.status() == QSettings::AccessError ? QStringLiteral("the file cannot be written")
                                                     : QStringLiteral("the file is malformed");
    return false;
}
