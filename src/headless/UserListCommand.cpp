#include "UserListCommand.h"

#include "ConsoleOutput.h"
#include "ExitStatus.h"
#include "SyncCommandLine.h"
#include "core/JobOptions.h"
#include "core/UserTable.h"
#include "job/RunLock.h"
#include "naming/UserNames.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsMapping.h"

#include <QCoreApplication>
#include <QDir>

namespace {

// A row of the window's list: the scraps and favorites marks, then the name.
QString rowText(const UserEntry &user)
{
    return u'[' + QString(user.Scraps ? u'S' : u' ') + QString(user.Favs ? u'F' : u' ') + u']' +
           user.Name;
}

void print(FILE *out, const QString &line)
{
    const QByteArray bytes = (line + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

} // namespace

UserListCommand::UserListCommand(const ProgramFolders &folders, const QString &settingsPath,
                                 ConsoleOutput &output, FILE *out)
    : m_folders(folders), m_settingsPath(settingsPath), m_output(output), m_out(out)
{
}

int UserListCommand::refuse(const QString &text)
{
    m_output.notice(QCoreApplication::applicationName() + QStringLiteral(": ") + text);
    return ExitStatus::CannotRun;
}

int UserListCommand::run(const SyncOptions &options)
{
    const bool listing = options.command == SyncOptions::Command::ListUsers;
    // The file is read under the lock, so that no window or run changes it between
    // this read and the write below.
    RunLock lock(m_folders.settings);
    QString error;
    if (!listing) {
        if (!makeProgramFolders(m_folders, &error))
            return refuse(error);
        if (!lock.tryAcquire())
            return refuse(lock.refusal());
    }
    const QString file = QDir::toNativeSeparators(m_settingsPath);
    const SettingsRead read = loadSettingsFile(m_settingsPath);
    if (read.status == SettingsStatus::Incompatible)
        return refuse(QStringLiteral("settings file %1 might be incompatible with this version: "
                                     "its first line is not 130.")
                          .arg(file));
    if (read.status == SettingsStatus::Unreadable)
        return refuse(QStringLiteral("cannot read settings file %1: %2").arg(file, read.error));

    // What the window holds after its start-up, so that the file is written as it writes it.
    JobOptions settings;
    UserTable table;
    if (read.status == SettingsStatus::Loaded)
        applyStoredSettings(read.values, settings, table);
    applyStartUpDefaults(m_folders.save, settings);

    if (listing) {
        for (int slot = 0; slot < table.UserCount; ++slot)
            print(m_out, rowText(table.Users[size_t(slot)]));
        return ExitStatus::Succeeded;
    }

    const QString &name = options.user;
    int found = -1;
    for (int slot = 0; slot < table.UserCount && found < 0; ++slot)
        if (table.Users[size_t(slot)].Name == name)
            found = slot;
    UserEntry changed;
    if (options.command == SyncOptions::Command::AddUser) {
        if (table.UserCount >= MaxUsers)
            return refuse(QStringLiteral("User list is full (1024 entries)."));
        if (found >= 0)
            return refuse(u'"' + name + QStringLiteral("\" is already in the userlist."));
        if (const QString problem = userNameProblem(name); !problem.isEmpty())
            return refuse(problem);
        changed = UserEntry{name, options.scraps, options.favorites};
        table.Users[size_t(table.UserCount)] = changed;
        ++table.UserCount;
    } else {
        if (found < 0)
            return refuse(u'"' + name + QStringLiteral("\" is not in the userlist."));
        changed = table.Users[size_t(found)];
        table.Users[size_t(found)].Name.clear();
    }

    if (!saveSettingsFile(m_settingsPath, settingsText(settingsSnapshot(settings, table)),
                          &error)) {
        m_output.notice(QStringLiteral("%1: could not save the settings to %2: %3")
                            .arg(QCoreApplication::applicationName(), file, error));
        return ExitStatus::Failed;
    }
    const bool added = options.command == SyncOptions::Command::AddUser;
    print(m_out,
          (added ? QStringLiteral("Added ") : QStringLiteral("Removed ")) + rowText(changed));
    return ExitStatus::Succeeded;
}
