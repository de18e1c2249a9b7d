#pragma once

#include <QString>

// Where the program keeps its files. A copy run from the build folder or from
// any folder it was copied to keeps everything beside its executable (the
// portable layout); an installed program follows the XDG base directories.
enum class FileLayout
{
    Portable,
    Installed
};

// The settings file, in ProgramFolders::settings.
inline const QString SettingsFileName = QStringLiteral("vorpl.dat");

struct ProgramFolders
{
    FileLayout layout = FileLayout::Portable;
    QString settings;  // vorpl.dat and the run lock vorpl.lock
    QString temporary; // downloading.dat
    QString save;      // the first "Save to:"; the first "Favs folder:" is its favorites
};

// What the choice rests on. The gathering below reads it from the disk and the
// environment; the rule itself reads nothing else.
struct LayoutFacts
{
    QString programFolder;              // the folder of the executable
    bool settingsBesideProgram = false; // vorpl.dat exists there
    bool installMarker = false;         // the file the install puts in <prefix>/share/vorpaline
    QString home;                       // $HOME as set, perhaps empty
    QString accountHome;                // the account's home, looked up only without $HOME
    QString configHome;                 // $XDG_CONFIG_HOME as set
    QString cacheHome;                  // $XDG_CACHE_HOME as set
    QString pictures;                   // the Pictures folder the desktop names under $HOME
};

// The rule: a vorpl.dat beside the executable keeps the portable layout, so
// that earlier installs and portable copies keep their settings; otherwise the
// install marker means the installed layout; otherwise portable. The home is
// $HOME, or without it (a system service, some cron jobs) the account's home;
// a folder with neither home nor XDG variable to lie under is empty.
ProgramFolders chooseProgramFolders(const LayoutFacts &facts);
ProgramFolders portableFolders(const QString &programFolder);

// The marker's path for an executable in programFolder, as the install lays it out.
QString installMarkerPath(const QString &programFolder);
LayoutFacts gatherLayoutFacts(const QString &programFolder);

// Creates the settings and temporary folders when missing (nothing to do in
// the portable layout). False with the reason when one cannot be made.
bool makeProgramFolders(const ProgramFolders &folders, QString *error);
