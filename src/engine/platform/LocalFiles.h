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

} // namespace LocalFiles
