#include "naming/DownloadFolders.h"

#include "job/JobSettings.h"
#include "job/JobState.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString withSeparator(const QString &path)
{
    const QChar separator = QDir::separator();
    return path.endsWith(separator) ? path : path + separator;
}

QString canonicalForm(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// True when path is base itself or lies below it (by text; ".." resolved).
bool within(const QString &path, const QString &base)
{
    const QString cleanPath = canonicalForm(path);
    QString cleanBase = canonicalForm(base);
    if (cleanPath == cleanBase)
        return true;
    if (!cleanBase.endsWith(u'/'))
        cleanBase += u'/';
    return cleanPath.startsWith(cleanBase);
}

} // namespace

FolderPlan planDownloadFolder(const FolderRequest &request)
{
    FolderPlan plan;
    plan.savePath = withSeparator(request.savePath);
    plan.favPath = withSeparator(request.favPath);
    const QString &S = plan.savePath;
    const QChar separator = QDir::separator();

    if (request.commonFavs && request.folder == QLatin1String("favorites")) {
        plan.folder = plan.favPath;
    } else if (request.layout == 0) {
        plan.levels.append(S + request.user);
        plan.folder = S + request.user + separator + request.folder;
    } else if (request.layout == 1) {
        plan.folder = S + request.user + u'-' + request.folder;
    } else if (request.layout == 2) {
        plan.folder = S;
    }

    if (!plan.folder.isEmpty())
        plan.levels.append(plan.folder);
    return plan;
}

bool createDownloadFolder(const FolderPlan &plan, QString *error)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };

    // Without a layout the files would be joined to an empty folder, which
    // names the root of the file system.
    if (plan.folder.isEmpty())
        return fail(QStringLiteral("No folder structure is selected."));

    for (const QString &level : plan.levels) {
        if (FileSystem::FolderExists(level))
            continue;
        // A user name such as ".." must not lead the creation out of the
        // folders the user chose.
        if (!within(level, plan.savePath) && !within(level, plan.favPath))
            return fail(QStringLiteral("Cannot create folder ") + level +
                        QStringLiteral(": it lies outside the download folders."));
        // One level only: a missing parent is an error, not something to create.
        if (!QDir().mkdir(level))
            return fail(QStringLiteral("Cannot create folder ") + level);
    }
    if (error)
        error->clear();
    return true;
}

QString MakeDLFolder(JobSettings &settings, const JobState &state, bool Mkdirs, QString *error)
{
    FolderRequest request;
    request.savePath = settings.savePathText();
    request.favPath = settings.favPathText();
    request.commonFavs = settings.commonFavs();
    request.layout = settings.folderMode();
    request.user = state.CurrentUser;
    request.folder = state.CurrentFolder;

    const FolderPlan plan = planDownloadFolder(request);
    if (plan.savePath != request.savePath)
        settings.setSavePathText(plan.savePath);
    if (plan.favPath != request.favPath)
        settings.setFavPathText(plan.favPath);

    if (error)
        error->clear();
    if (Mkdirs)
        createDownloadFolder(plan, error);
    return plan.folder;
}
