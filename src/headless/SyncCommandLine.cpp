#include "SyncCommandLine.h"

#include "ExitStatus.h"

#include <QCommandLineParser>

namespace {

QString exitStatusText()
{
    QString text = QStringLiteral("Exit status:");
    for (const ExitStatus::Meaning &meaning : ExitStatus::Meanings)
        text += QStringLiteral("\n  %1  %2")
                    .arg(QString::fromLatin1(meaning.statuses), QString::fromLatin1(meaning.text));
    return text;
}

} // namespace

bool SyncCommandLine::parse(const QStringList &arguments, SyncOptions *options, QString *error)
{
    QCommandLineParser parser;
    const QString description = QStringLiteral(
        "Downloads without a window what the Sync all button of Vorpaline downloads: every\n"
        "user of the settings file, with the settings of that file. The log goes to\n"
        "standard output, error reports to standard error.\n"
        "\n"
        "The settings file is vorpl.dat beside the program, or, for an installed program\n"
        "without one there, $XDG_CONFIG_HOME/vorpaline/vorpl.dat. The lock vorpl.lock\n"
        "lies beside it; only one run (or window) at a time works with that file.\n"
        "VORPALINE_SYNC_HOSTS=host=address:port,... sends the named hosts elsewhere\n"
        "(see vorpaline-demo --serve). vorpaline.ini beside the settings file holds the\n"
        "switches below that the window sets; the download archive\n"
        "vorpaline-archive.sqlite lies there too.\n"
        "\n"
        "--list-users, --add-user and --remove-user show and change the user list of\n"
        "the settings file as the window's Add and Remove do, and write the file.\n"
        "\n");
    parser.setApplicationDescription(description + exitStatusText());
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    const QCommandLineOption get(QStringLiteral("get"),
                                 QStringLiteral("Gets one user's folders instead of the Sync."),
                                 QStringLiteral("user"));
    const QCommandLineOption scraps(
        QStringLiteral("scraps"),
        QStringLiteral("With --get: the scraps too. With --add-user: the S flag."));
    const QCommandLineOption favorites(
        QStringLiteral("favorites"),
        QStringLiteral("With --get: the favorites too. With --add-user: the F flag."));
    const QCommandLineOption noGallery(QStringLiteral("no-gallery"),
                                       QStringLiteral("With --get: not the gallery."));
    const QCommandLineOption settings(
        QStringLiteral("settings"),
        QStringLiteral("Reads this settings file instead; its folder then holds the temporary "
                       "file and the lock and is the default download folder."),
        QStringLiteral("file"));
    const QCommandLineOption dryRun(
        QStringLiteral("dry-run"),
        QStringLiteral("Lists and filters as usual and logs each file it would fetch, but "
                       "fetches and writes nothing."));
    const QCommandLineOption listUsers(
        QStringLiteral("list-users"),
        QStringLiteral("Prints the user list, as the window shows it."));
    const QCommandLineOption addUser(
        QStringLiteral("add-user"),
        QStringLiteral("Adds a user to the list, with --scraps and --favorites as its flags."),
        QStringLiteral("user"));
    const QCommandLineOption removeUser(QStringLiteral("remove-user"),
                                        QStringLiteral("Removes a user from the list."),
                                        QStringLiteral("user"));
    const QCommandLineOption timestamps(QStringLiteral("timestamps"),
                                        QStringLiteral("Begins each line with the local time."));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("Prints only the red lines and the summary."));
    const QCommandLineOption skipArchived(
        QStringLiteral("skip-archived"),
        QStringLiteral("Skips every submission the download archive holds, whatever became of "
                       "its file."));
    const QCommandLineOption quick(
        QStringLiteral("quick"),
        QStringLiteral("Stops listing a folder at its first page that holds nothing new."));
    const QCommandLineOption resume(
        QStringLiteral("resume"),
        QStringLiteral("Resumes a file that was cut off where it ended."));
    const QCommandLineOption exportArchive(
        QStringLiteral("export-archive"),
        QStringLiteral("Prints the download archive, one JSON object a line, and exits."));
    parser.addOptions({help, version, get, scraps, favorites, noGallery, settings, dryRun,
                       listUsers, addUser, removeUser, timestamps, quiet, skipArchived, quick,
                       resume, exportArchive});
    m_helpText = parser.helpText();

    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(help)) {
        options->command = SyncOptions::Command::Help;
        return true;
    }
    if (parser.isSet(version)) {
        options->command = SyncOptions::Command::Version;
        return true;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error =
            QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first());
        return false;
    }
    const QStringList files = parser.values(settings);
    if (files.size() > 1 || (files.size() == 1 && files.first().isEmpty())) {
        *error = QStringLiteral("--settings takes one file name.");
        return false;
    }
    options->settingsFile = files.value(0);
    options->dryRun = parser.isSet(dryRun);
    options->timestamps = parser.isSet(timestamps);
    options->quiet = parser.isSet(quiet);
    options->skipArchived = parser.isSet(skipArchived);
    options->quickSync = parser.isSet(quick);
    options->resumeCutFiles = parser.isSet(resume);
    if (parser.isSet(exportArchive)) {
        if (parser.isSet(get) || parser.isSet(listUsers) || parser.isSet(addUser) ||
            parser.isSet(removeUser)) {
            *error = QStringLiteral("--export-archive runs no job: it goes without --get and "
                                    "the user list's options.");
            return false;
        }
        options->command = SyncOptions::Command::ExportArchive;
        return true;
    }

    const int commands = int(parser.isSet(get)) + int(parser.isSet(listUsers)) +
                         int(parser.isSet(addUser)) + int(parser.isSet(removeUser));
    if (commands > 1) {
        *error = QStringLiteral("--get, --list-users, --add-user and --remove-user go one at a "
                                "time.");
        return false;
    }
    const bool listChange = parser.isSet(addUser) || parser.isSet(removeUser);
    if ((listChange || parser.isSet(listUsers)) && options->dryRun) {
        *error = QStringLiteral("--dry-run goes with a Sync or --get.");
        return false;
    }
    if (listChange) {
        const QStringList names = parser.values(parser.isSet(addUser) ? addUser : removeUser);
        if (names.size() > 1 || names.first().isEmpty()) {
            *error = QStringLiteral("--add-user and --remove-user take one user name.");
            return false;
        }
        if (parser.isSet(noGallery) ||
            (parser.isSet(removeUser) && (parser.isSet(scraps) || parser.isSet(favorites)))) {
            *error = QStringLiteral("--add-user takes --scraps and --favorites, --remove-user "
                                    "nothing more.");
            return false;
        }
        options->command = parser.isSet(addUser) ? SyncOptions::Command::AddUser
                                                 : SyncOptions::Command::RemoveUser;
        options->user = names.first();
        options->scraps = parser.isSet(scraps);
        options->favorites = parser.isSet(favorites);
        return true;
    }

    const bool folderOptions =
        parser.isSet(scraps) || parser.isSet(favorites) || parser.isSet(noGallery);
    if (parser.isSet(listUsers) && !folderOptions) {
        options->command = SyncOptions::Command::ListUsers;
        return true;
    }
    if (!parser.isSet(get)) {
        if (folderOptions) {
            *error = QStringLiteral("--scraps, --favorites and --no-gallery go with --get; a "
                                    "Sync takes each user's folders from the settings file.");
            return false;
        }
        options->command = SyncOptions::Command::Sync;
        return true;
    }
    const QStringList users = parser.values(get);
    if (users.size() > 1 || users.first().isEmpty()) {
        *error = QStringLiteral("--get takes one user name.");
        return false;
    }
    options->command = SyncOptions::Command::Get;
    options->user = users.first();
    options->gallery = !parser.isSet(noGallery);
    options->scraps = parser.isSet(scraps);
    options->favorites = parser.isSet(favorites);
    if (!options->gallery && !options->scraps && !options->favorites) {
        *error = QStringLiteral("--no-gallery leaves nothing to get without --scraps or "
                                "--favorites.");
        return false;
    }
    return true;
}
