#include "core/ProgramFolders.h"

#include "BuildConfig.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// As the XDG base directories say: an unset, empty or relative value is
// ignored. A relative one would move the settings with the working folder.
QString xdgBaseFolder(const char *variable, const QString &fallback)
{
    const QString value = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(value) ? value : QDir::homePath() + fallback;
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
    const QString own = QStringLiteral("/vorpaline");
    return ProgramFolders{FileLayout::Installed, QDir::cleanPath(facts.configHome + own),
                          QDir::cleanPath(facts.cacheHome + own),
                          QDir::cleanPath(facts.pictures + QStringLiteral("/Vorpaline"))};
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
    facts.configHome = xdgBaseFolder("XDG_CONFIG_HOME", QStringLiteral("/.config"));
    facts.cacheHome = xdgBaseFolder("XDG_CACHE_HOME", QStringLiteral("/.cache"));
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
