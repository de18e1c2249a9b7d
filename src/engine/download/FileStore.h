#pragma once

#include <QString>

// Puts a finished download under its final name. The bytes go to a temporary
// file beside the target first and are renamed over it, so an existing file of
// that name stays intact until the new one is complete. Staging files that a
// killed run left there (an hour old or more) are removed with the next file
// stored in that folder.
struct StoreOutcome
{
    enum class Result
    {
        Stored,
        NameRefused, // the folder takes files, but not under this name
        Failed,      // the folder or the disk refused (permission, space, missing folder)
    };
    Result result = Result::Failed;
    QString error; // the system's reason, when not stored
};

// The path of name inside folder; folder may or may not end with a separator.
QString storedFilePath(const QString &folder, const QString &name);

StoreOutcome storeFile(const QString &source, const QString &folder, const QString &name);
