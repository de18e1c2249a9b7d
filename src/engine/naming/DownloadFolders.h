#pragma once

#include <QString>
#include <QStringList>

// Where the files of one user's gallery, scraps or favorites folder go.

struct FolderRequest
{
    QString savePath, favPath; // "Save to:" and "Favs folder:" texts as typed
    bool commonFavs = true;    // "All favs in same folder"
    int layout = 1; // -1 none selected, 0 user/folder, 1 user-folder, 2 save folder itself
    QString user, folder;
};

struct FolderPlan
{
    QString savePath, favPath; // the two texts as written back (ending in the separator)
    QString folder;            // the folder path returned (empty when no layout is selected)
    QStringList levels; // folders to create when missing, in order (user level first in layout 0)
    QString error;      // why nothing could be planned (folder and levels are then empty)
};

// Computes the folder without touching the disk. A user name that
// userNameProblem refuses, or any folder outside the save folder (the
// favorites folder for common favorites), gives no folder and an error.
FolderPlan planDownloadFolder(const FolderRequest &request);

// Creates the missing levels of the plan, one folder at a time (a missing parent
// fails); a plan without a folder, or with a level outside the save or favorites
// folder (existing or not), fails. Returns false and sets *error to the reason on failure.
bool createDownloadFolder(const FolderPlan &plan, QString *error);

class JobSettings;

// Reads the window's settings for the user's folder, writes the two
// folder texts back ending in the separator and, when createFolders is true, creates
// what is missing. On a failed creation the path is still returned and *error
// is set (non-empty); a plan refused for the user name returns an empty path
// and sets *error whether or not createFolders is true; otherwise *error is cleared.
QString MakeDLFolder(JobSettings &settings, const QString &user, const QString &folder,
                     bool createFolders, QString *error = nullptr);

// The temporary download file, in the program's folder.
inline const QString TemporaryFileName = QStringLiteral("downloading.dat");

// The name a file is stored under in folder: name itself, unless that would be
// the program's temporary download file, which the next file overwrites; then
// "downloading (2).dat". The listing side asks the same, so that the next
// Sync finds the file under the name it was given.
QString nameBesideTemporaryFile(const QString &folder, const QString &name,
                                const QString &programFolder);

// The name under which the file stored for name is looked for in folder:
// name itself or, while something that is not a file stands there (a folder,
// a link to a folder or to nothing, a device), the next numbered name, as the
// store takes the next free number rather than replace such an entry.
QString nameAmongOtherEntries(const QString &folder, const QString &name);
