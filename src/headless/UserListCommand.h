#pragma once

#include "core/ProgramFolders.h"

#include <QString>

#include <cstdio>

class ConsoleOutput;
struct SyncOptions;

// --list-users, --add-user and --remove-user: the window's user list without a
// window. Add and Remove keep the window's rules (the name as typed, 1024
// users at most, no name twice, no name that cannot become a folder) and
// write the file as the window's save does, under the run lock. A file that
// does not exist yet is written with the window's first-start settings.
class UserListCommand final
{
    Q_DISABLE_COPY_MOVE(UserListCommand)

public:
    UserListCommand(const ProgramFolders &folders, const QString &settingsPath,
                    ConsoleOutput &output, FILE *out);

    // The exit status: 0 listed or changed, 1 the file could not be written,
    // 2 refused (nothing changed).
    int run(const SyncOptions &options);

private:
    int refuse(const QString &text);

    ProgramFolders m_folders;
    QString m_settingsPath;
    ConsoleOutput &m_output;
    FILE *m_out;
};
