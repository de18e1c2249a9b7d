#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QFile;

// File operations that must not be fooled by what another process left at a
// path: links, folders, devices and pipes.
namespace LocalFiles {

// Removes whatever entry has this name (a link itself, never what it points
// to) and creates a new, empty file there, refusing to follow a link that
// appears in between. file is opened for reading and writing, unbuffered.
bool createFresh(QFile &file, const QString &path, QString *error);

// Opens the regular file at path for reading and writing, unbuffered, never
// through a link. Missing, or anything but a regular file: false.
bool openExisting(QFile &file, const QString &path);
// Which file an open file is, as it stands: its device, inode, size and last
// change, so that a file replaced or written to since gives another text.
QString identity(QFile &file);

// Creates a new file in folder whose name is pattern with its "XXXXXX" made
// of random letters, open for reading and writing, unbuffered; *path is where.
// It gets the mode any program's new file gets there (0666 less the umask, or
// what the folder's default access list says), unlike the private temporary file.
bool createUnique(QFile &file, const QString &folder, const QString &pattern, QString *path,
                  QString *error);

// Gives the file at from (a name in the same folder) the name to instead,
// unless something already has that name: a file, a folder, a link (also one
// that leads nowhere) or anything else is never replaced. Returns 0, or the
// system's error number: EEXIST when the name is taken.
int moveWithoutReplacing(const QString &from, const QString &to);

// Waits until the file's bytes are on the disk, so that a power cut after it
// gets its name cannot leave that name empty or cut short.
bool syncData(QFile &file, QString *error);
// The same for the names in folder; a folder that cannot be synced is left as it is.
void syncFolder(const QString &folder);

// Writes all of bytes, going on after a short write so that a full disk is
// reported with the system's own words rather than as an unknown error.
bool writeAll(QFile &file, QByteArrayView bytes, QString *error);

// Reads a regular file of at most maxBytes whole. Anything else is refused
// without waiting on it (a FIFO would block, a device never end) and *error
// says what it is. Missing: nothing at path.
enum class ReadResult
{
    Read,
    Missing,
    Refused,
};
ReadResult readRegularFile(const QString &path, qint64 maxBytes, QByteArray *bytes, QString *error);

// What stands at path when it is not a regular file: "a folder", "a device",
// "a FIFO", "a socket"; empty for a regular file or nothing at all. Links are
// followed.
QString nonFileKind(const QString &path);

// Opens a regular file for reading piece by piece; false for anything else,
// which is never waited on (a FIFO would block).
bool openRegularFile(QFile &file, const QString &path);

} // namespace LocalFiles
