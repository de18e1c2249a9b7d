#include "SyncCommandLine.h"

#include <QCommandLineParser>

bool SyncCommandLine::parse(const QStringList &arguments, SyncOptions *options, QString *error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
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
        "Exit status: 0 every folder was retrieved (or had nothing to download);\n"
        "1 a folder ended with errors, a user does not exist, or an error was reported;\n"
        "2 nothing was run: a usage error, a settings file that cannot be read,\n"
        "another run holding the folder, or a user name --get refuses;\n"
        "129 / 130 / 143 stopped by SIGHUP / SIGINT / SIGTERM."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    const QCommandLineOption get(QStringLiteral("get"),
                                 QStringLiteral("Gets one user's folders instead of the Sync."),
                                 QStringLiteral("user"));
    const QCommandLineOption scraps(QStringLiteral("scraps"),
                                    QStringLiteral("With --get: the scraps too."));
    const QCommandLineOption favorites(QStringLiteral("favorites"),
                                       QStringLiteral("With --get: the favorites too."));
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
                       skipArchived, quick, resume, exportArchive});
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
    options->skipArchived = parser.isSet(skipArchived);
    options->quickSync = parser.isSet(quick);
    options->resumeCutFiles = parser.isSet(resume);
    if (parser.isSet(exportArchive)) {
        if (parser.isSet(get)) {
            *error = QStringLiteral("--export-archive runs no job: it goes without --get.");
            return false;
        }
        options->command = SyncOptions::Command::ExportArchive;
        return true;
    }

    const bool folderOptions =
        parser.isSet(scraps) || parser.isSet(favorites) || parser.isSet(noGallery);
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
