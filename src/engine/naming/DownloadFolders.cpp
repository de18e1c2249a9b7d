#include "naming/DownloadFolders.h"

#include "core/JobSettings.h"
#include "core/ListedFolder.h"
#include "naming/FileNames.h"
#include "naming/UserNames.h"
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
    const auto refuse = [&plan](const QString &reason) {
        plan.folder.clear();
        plan.levels.clear();
        plan.error = reason;
        return plan;
    };

    QString base = S;
    if (request.commonFavs && request.folder == QLatin1String("favorites")) {
        plan.folder = plan.favPath;
        base = plan.favPath;
    } else if (request.layout == 0 || request.layout == 1) {
        if (const QString problem = userNameProblem(request.user); !problem.isEmpty())
            return refuse(problem);
        if (request.layout == 0) {
            plan.levels.append(S + request.user);
            plan.folder = S + request.user + separator + request.folder;
        } else {
            plan.folder = S + request.user + u'-' + request.folder;
        }
    } else if (request.layout == 2) {
        plan.folder = S;
    }

    if (!plan.folder.isEmpty())
        plan.levels.append(plan.folder);
    // Whatever the names hold, nothing is planned outside the chosen folder.
    for (const QString &level : std::as_const(plan.levels))
        if (!within(level, base))
            return refuse(QStringLiteral("The folder ") + level +
                          QStringLiteral(" lies outside the download folders."));
    return plan;
}

bool createDownloadFolder(const FolderPlan &plan, QString *error)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };

    // Without a folder the files would be joined to an empty path, which
    // names the root of the file system.
    if (plan.folder.isEmpty())
        return fail(plan.error.isEmpty() ? QStringLiteral("No folder structure is selected.")
                                         : plan.error);

    for (const QString &level : plan.levels) {
        // Checked for existing folders too: files must not go there either.
        if (!within(level, plan.savePath) && !within(level, plan.favPath))
            return fail(QStringLiteral("Cannot use folder ") + level +
                        QStringLiteral(": it lies outside the download folders."));
        if (FileSystem::FolderExists(level))
            continue;
        // One level only: a missing parent is an error, not something to create.
        if (!QDir().mkdir(level))
            return fail(QStringLiteral("Cannot create folder ") + level);
    }
    if (error)
        error->clear();
    return true;
}

QString MakeDLFolder(JobSettings &settings, const QString &user, const QString &folder,
                     bool createFolders, QString *error)
{
    FolderRequest request;
    request.savePath = settings.savePathText();
    request.favPath = settings.favPathText();
    request.commonFavs = settings.commonFavs();
    request.layout = settings.folderMode();
    request.user = user;
    request.folder = folder;

    const FolderPlan plan = planDownloadFolder(request);
    if (plan.savePath != request.savePath)
        settings.setSavePathText(plan.savePath);
    if (plan.favPath != request.favPath)
        settings.setFavPathText(plan.favPath);

    if (error)
        *error = plan.error;
    if (createFolders)
        createDownloadFolder(plan, error);
    return plan.folder;
}

QString nameBesideTemporaryFile(const QString &folder, const QString &name,
                                const QString &programFolder)
{
    if (name != TemporaryFileName || folder.isEmpty() || programFolder.isEmpty())
        return name;
    // Through links too: a download folder may be the program's folder by another path.
    const QString there = QFileInfo(folder).canonicalFilePath();
    const bool same = canonicalForm(folder) == canonicalForm(programFolder) ||
                      (!there.isEmpty() && there == QFileInfo(programFolder).canonicalFilePath());
    return same ? numberedName(name, 2) : name;
}

QString nameAmongOtherEntries(const QString &folder, const QString &name)
{
    for (int number = 1; number <= QueueSlots + 1; ++number) {
        const QString candidate = number == 1 ? name : numberedName(name, number);
        const QFileInfo entry(withSeparator(folder) + candidate);
        if (entry.isFile() || (!entry.exists() && !entry.isSymLink()))
            return candidate;
    }
    return name;
}
