#pragma once

#include <QString>

#include <functional>

class QFile;

// Puts a finished download under its final name. The bytes go to a staging
// file beside the target first, reach the disk, and only then get a name that
// nothing else has: whatever stands at a name (a file that appeared since the
// listing, a folder, a link) stays as it is and the next number is taken.
// Staging files that a killed run left there (an hour old or more) are removed
// with the next file stored in that folder.
struct StoreOutcome
{
    enum class Result
    {
        Stored,
        NameRefused, // the folder takes files, but not under this name
        Taken,       // every name allowed is taken
        Failed,      // the folder or the disk refused (permission, space, missing folder)
    };
    Result result = Result::Failed;
    QString name;  // stored under this name, or the one refused
    QString error; // the system's reason, when not stored
};

// The names a file may take: name, then "name (2).ext" and on up to
// lastNumber, leaving out those that reserved keeps for other files.
struct StoreNames
{
    StoreNames(const QString &name, int lastNumber = 1,
               std::function<bool(const QString &name)> reserved = {})
        : name(name), lastNumber(lastNumber), reserved(std::move(reserved))
    {
    }
    QString name;
    int lastNumber;
    std::function<bool(const QString &name)> reserved;
};

// The path of name inside folder; folder may or may not end with a separator.
QString storedFilePath(const QString &folder, const QString &name);

// Stores the first size bytes of source, an open file read from its start:
// never a file reopened by its path, which another run may have replaced.
StoreOutcome storeFile(QFile &source, qint64 size, const QString &folder, const StoreNames &names);
