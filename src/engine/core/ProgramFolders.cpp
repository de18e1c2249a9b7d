#include "core/ProgramFolders.h"

#include "BuildConfig.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <vector>

#include <cerrno>
#include <pwd.h>
#include <unistd.h>

namespace {

// folder + tail, or nothing when there is no folder to put it under.
QString under(const QString &folder, const QString &tail)
{
    return folder.isEmpty() ? QString() : QDir::cleanPath(folder + tail);
}

// As the XDG base directories say: an unset, empty or relative value is
// ignored. A relative one would move the settings with the working folder.
QString xdgBaseFolder(const QString &value, const QString &home, const QString &fallback)
{
    return QDir::isAbsolutePath(value) ? value : under(home, fallback);
}

// The home folder of the password database, empty when there is no entry.
QString accountHome()
{
    passwd entry = {};
    passwd *found = nullptr;
    for (size_t size = 4096; size <= 1024 * 1024; size *= 4) {
        std::vector<char> buffer(size);
        const int result = ::getpwuid_r(::getuid(), &entry, buffer.data(), size, &found);
        if (result == 0 && found && found->pw_dir)
            return QFile::decodeName(found->pw_dir);
        if (result != ERANGE)
            break;
    }
    return QString();
}

} // namespace

ProgramFolders portableFolders(const QString &programFolder)
{
    return ProgramFolders{FileLayout::Portable, programFolder, programFolder, programFolder};
}

ProgramFolders chooseProgramFolders(const LayoutFacts &facts)
{
    if (facts.settingsBesideProgram || !facts.installMarker)
        return portableFolders(facts.programFolder);
    // Without $HOME, Qt would take the root folder for home.
    const bool homeSet = QDir::isAbsolutePath(facts.home);
    const QString home = homeSet                                   ? facts.home
                         : QDir::isAbsolutePath(facts.accountHome) ? facts.accountHome
                                                                   : QString();
    const QString pictures = homeSet && !facts.pictures.isEmpty()
                                 ? facts.pictures
                                 : under(home, QStringLiteral("/Pictures"));
    const QString own = QStringLiteral("/vorpaline");
    return ProgramFolders{
        FileLayout::Installed,
        under(xdgBaseFolder(facts.configHome, home, QStringLiteral("/.config")), own),
        under(xdgBaseFolder(facts.cacheHome, home, QStringLiteral("/.cache")), own),
        under(pictures, QStringLiteral("/Vorpaline"))};
}

QString installMarkerPath(const QString &programFolder)
{
    // The marker's place relative to the executable is fixed when the program
    // is built, so that `cmake --install --prefix` anywhere keeps it.
    return QDir::cleanPath(programFolder + u'/' + QStringLiteral(VORPALINE_INSTALL_MARKER));
}

LayoutFacts gatherLayoutFacts(const QString &programFolder)
{
    LayoutFacts facts;
    facts.programFolder = programFolder;
    facts.settingsBesideProgram = QFileInfo::exists(programFolder + QStringLiteral("/vorpl.dat"));
    facts.installMarker = QFileInfo(installMarkerPath(programFolder)).isFile();
    facts.home = qEnvironmentVariable("HOME");
    // Only when needed: a directory service behind the database may be slow.
    if (!QDir::isAbsolutePath(facts.home))
        facts.accountHome = accountHome();
    facts.configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    facts.cacheHome = qEnvironmentVariable("XDG_CACHE_HOME");
    facts.pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return facts;
}

bool makeProgramFolders(const ProgramFolders &folders, QString *error)
{
    for (const QString &folder : {folders.settings, folders.temporary}) {
        if (!QDir().mkpath(folder)) {
            *error =
                QStringLiteral("Cannot create the folder %1").arg(QDir::toNativeSeparators(folder));
            return false;
        }
    }
    return true;
}
