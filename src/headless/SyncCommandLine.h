#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for.
struct SyncOptions
{
    enum class Command
    {
        Sync,
        Get,
        Help,
        Version,
        ListUsers,
        AddUser,
        RemoveUser,
        ExportArchive
    };
    Command command = Command::Sync;
    QString user; // Get: as typed, the job lower-cases it; AddUser, RemoveUser: as typed
    bool gallery = true, scraps = false, favorites = false;
    QString settingsFile; // empty: the settings file of the program's layout
    bool dryRun = false;
    bool timestamps = false, quiet = false;
    // Switches that turn on over the second settings file; never off from here.
    bool skipArchived = false, quickSync = false, resumeCutFiles = false;
};

// Reads the arguments; on a usage error returns false with the reason.
class SyncCommandLine final
{
    Q_DISABLE_COPY_MOVE(SyncCommandLine)

public:
    SyncCommandLine() = default;

    bool parse(const QStringList &arguments, SyncOptions *options, QString *error);
    QString helpText() const { return m_helpText; }

private:
    QString m_helpText;
};
