// vorpaline-sync: the Sync all (or a Get) of the window, without a window, for
// timers and scripts. A run reads the settings file and never writes it; only
// the user-list commands write it, as the window's Add and Remove do.

#include "BuildConfig.h"
#include "ConsoleOutput.h"
#include "HeadlessPrompts.h"
#include "HeadlessRun.h"
#include "HostOverrides.h"
#include "RunSummary.h"
#include "SignalPipe.h"
#include "SyncCommandLine.h"
#include "UserListCommand.h"
#include "archive/ArchiveRules.h"
#include "archive/DownloadArchive.h"
#include "core/AppEnvironment.h"
#include "core/UserTable.h"
#include "job/PlainJobSettings.h"
#include "job/RunLock.h"
#include "job/Session.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsMapping.h"
#include "settings/SwitchesFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <cstdio>

namespace {

constexpr int CannotRun = HeadlessRun::CannotRun;

int refuse(ConsoleOutput &output, const QString &text)
{
    output.notice(QCoreApplication::applicationName() + QStringLiteral(": ") + text);
    return CannotRun;
}

bool tableIsEmpty(const UserTable &table)
{
    for (const UserEntry &user : table.Users)
        if (!user.Name.isEmpty())
            return false;
    return true;
}

// Missing and empty files start a Get from the defaults, as the window's first
// start does; a Sync has no users then, and a file named on the command line
// must be there.
bool settingsUsable(const SettingsRead &read, const QString &path, bool named, bool sync,
                    QString *reason)
{
    const QString file = QDir::toNativeSeparators(path);
    switch (read.status) {
    case SettingsStatus::Loaded:
        return true;
    case SettingsStatus::Missing:
        if (!sync && !named)
            return true;
        *reason = QStringLiteral("settings file %1 does not exist%2.")
                      .arg(file, sync ? QStringLiteral(": a Sync needs its user list") : QString());
        return false;
    case SettingsStatus::Empty:
        if (!sync)
            return true;
        *reason =
            QStringLiteral("settings file %1 is empty: there are no users to sync.").arg(file);
        return false;
    case SettingsStatus::Incompatible:
        *reason = QStringLiteral("settings file %1 might be incompatible with this version: its "
                                 "first line is not 130.")
                      .arg(file);
        return false;
    case SettingsStatus::Unreadable:
        *reason = QStringLiteral("cannot read settings file %1: %2").arg(file, read.error);
        return false;
    }
    return false;
}

// The options of the run, all in one place: the stored ones over the window's
// first-start defaults, then the command line.
void fillOptions(const SettingsRead &read, const SyncOptions &options, const QString &saveFolder,
                 const QString &switchesPath, PlainJobSettings &settings)
{
    if (read.status == SettingsStatus::Loaded)
        applyStoredSettings(read.values, settings, settings.users);
    readSwitches(switchesPath, settings);
    settings.skipArchived = settings.skipArchived || options.skipArchived;
    settings.quickSync = settings.quickSync || options.quickSync;
    settings.resumeCutFiles = settings.resumeCutFiles || options.resumeCutFiles;
    // Never powers the machine off, whatever the file says.
    settings.shutdown = false;
    // As in the window: the default download folder is made when it is used.
    if (settings.savePath.isEmpty() && !options.dryRun)
        QDir().mkpath(saveFolder);
    applyStartUpDefaults(saveFolder, settings);
    settings.uniqueUser = options.user;
    settings.getGallery = options.gallery;
    settings.getScraps = options.scraps;
    settings.getFavs = options.favorites;
}

// Prints every row of the archive as a JSON line; a missing archive has none.
int exportArchive(ConsoleOutput &output, const QString &path)
{
    DownloadArchive archive(path);
    QString notice;
    if (!archive.open(DownloadArchive::Mode::ReadOnly, &notice)) {
        if (notice.isEmpty())
            return 0;
        return refuse(output, notice);
    }
    const bool read = archive.forEachRow([](const ArchiveRow &row) {
        std::fputs(exportLine(row).append('\n').constData(), stdout);
    });
    std::fflush(stdout);
    if (!read)
        return refuse(output,
                      QStringLiteral("the download archive %1 could not be read to its end.")
                          .arg(QDir::toNativeSeparators(path)));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(VORPALINE_VERSION));
    ConsoleOutput output(stdout, stderr);

    SyncCommandLine commandLine;
    SyncOptions options;
    QString error;
    if (!commandLine.parse(QCoreApplication::arguments(), &options, &error))
        return refuse(
            output,
            error + QStringLiteral("\nTry '%1 --help'.").arg(QCoreApplication::applicationName()));
    if (options.command == SyncOptions::Command::Help) {
        std::fputs(commandLine.helpText().toUtf8().constData(), stdout);
        return 0;
    }
    if (options.command == SyncOptions::Command::Version) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()), VORPALINE_VERSION);
        return 0;
    }

    EndpointResolver resolver = resolveUnchanged;
    if (qEnvironmentVariableIsSet(HostOverrides::VariableName)) {
        const auto overrides =
            HostOverrides::parse(qEnvironmentVariable(HostOverrides::VariableName), &error);
        if (!overrides)
            return refuse(output, error);
        resolver = overrides->resolver();
    }

    // A settings file named on the command line brings its folder along: the
    // default download folder, the temporary file and the lock lie beside it.
    // Otherwise the file is where the window keeps it.
    const bool named = !options.settingsFile.isEmpty();
    const ProgramFolders folders =
        named ? portableFolders(QFileInfo(options.settingsFile).absolutePath())
              : chooseProgramFolders(gatherLayoutFacts(QCoreApplication::applicationDirPath()));
    if (folders.settings.isEmpty() || folders.temporary.isEmpty())
        return refuse(output,
                      QStringLiteral("No home folder: HOME is not set and the account has none."));
    // A named file is read under its own name, whatever it is called.
    const QString settingsPath = named ? QFileInfo(options.settingsFile).absoluteFilePath()
                                       : QDir(folders.settings).filePath(SettingsFileName);
    if (options.command == SyncOptions::Command::ExportArchive)
        return exportArchive(output, QDir(folders.settings).filePath(ArchiveFileName));
    const bool sync = options.command == SyncOptions::Command::Sync;
    if (options.command != SyncOptions::Command::Get && !sync)
        return UserListCommand(folders, settingsPath, output, stdout).run(options);

    const SettingsRead read = loadSettingsFile(settingsPath);
    if (!settingsUsable(read, settingsPath, named, sync, &error))
        return refuse(output, error);

    // A dry run touches no file, so it needs neither the lock nor the folders.
    RunLock lock(folders.settings);
    if (!options.dryRun) {
        if (!makeProgramFolders(folders, &error))
            return refuse(output, error);
        if (!lock.tryAcquire())
            return refuse(output, lock.refusal());
    }

    HeadlessPrompts prompts(output);
    AppEnvironment environment;
    environment.site = SiteConfig::builtIn();
    environment.resolver = resolver;
    environment.folders = folders;
    environment.dryRun = options.dryRun;
    environment.prompts = &prompts;
    // Never powers the machine off: the shutdown box is ignored.
    environment.shutdown = [] {};

    PlainJobSettings settings;
    Session session(environment, settings.answers(), output);
    fillOptions(read, options, folders.save, QDir(folders.settings).filePath(SwitchesFileName),
                settings);

    if (sync && tableIsEmpty(settings.users)) {
        output.notice(
            QStringLiteral("%1: settings file %2 lists no users: nothing to sync.")
                .arg(QCoreApplication::applicationName(), QDir::toNativeSeparators(settingsPath)));
        return 0;
    }

    output.setTimestamps(options.timestamps);
    output.setQuiet(options.quiet);
    int usersListed = 1;
    if (sync) {
        usersListed = 0;
        for (const UserEntry &user : settings.users.Users)
            usersListed += user.Name.isEmpty() ? 0 : 1;
    }
    RunSummary summary(session, usersListed);
    HeadlessRun run(session, prompts, output, !options.dryRun);
    QObject::connect(&run, &HeadlessRun::finished, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // A closed terminal or a stopped service ends the run like a kill.
    SignalPipe stopSignals({SIGINT, SIGTERM, SIGHUP});
    QObject::connect(&stopSignals, &SignalPipe::signalReceived, &run, &HeadlessRun::interrupt);

    if (sync)
        run.startSync();
    else
        run.startGet();
    app.exec();
    run.cleanUp();
    // After the run's last line: the red ones and this are what a quiet run shows.
    // A Get that refused its name ran nothing to sum up.
    const int status = run.exitStatus();
    if (status != ExitStatus::CannotRun)
        output.summary(summary.line(),
                       status != ExitStatus::Succeeded && status != ExitStatus::UsersMissing);
    return status;
}
