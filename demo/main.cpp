// Vorpaline on its demo gallery: the real main window, wired to a simulated
// gallery site that runs in this process on loopback. Everything the demo
// writes stays in its own folder, which is also the program folder it hands
// to the window (settings, temporary file and, by default, the downloads).
// With --serve there is no window: the site answers vorpaline-sync instead.

#include "BuildConfig.h"
#include "DemoGallery.h"
#include "DemoSite.h"
#include "MainWindow.h"
#include "UnattendedPrompts.h"
#include "WidgetPrompts.h"
#include "core/ProgramFolders.h"
#include "log/EventLog.h"
#include "log/LogColors.h"
#include "platform/LocalFiles.h"
#include "settings/SettingsFile.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QListWidget>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// The slider's minimum, so a Sync of the whole demo list takes a few minutes.
constexpr int DemoDelaySeconds = 5;
constexpr int ScreenshotTimeoutMs = 180000;

QString defaultFolder()
{
    // Installed, the program's folder is not ours to write: the demo keeps its
    // files among the cached ones, ~/.cache/vorpaline/demo-data.
    const ProgramFolders folders =
        chooseProgramFolders(gatherLayoutFacts(QCoreApplication::applicationDirPath()));
    if (folders.layout == FileLayout::Installed && !folders.temporary.isEmpty())
        return QDir(folders.temporary).filePath(QStringLiteral("demo-data"));
    // Beside the build folder: <checkout>/demo-data for the usual build/.
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../demo-data"));
}

// Makes the folder and, when it holds no usable settings yet, the demo's own
// settings file with its user list. A settings file the person has changed
// while trying the demo is kept.
bool prepareFolder(const QString &folder, QString *error)
{
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create the demo folder %1").arg(folder);
        return false;
    }
    const QString path = QDir(folder).filePath(SettingsFileName);
    QFile file(path);
    if (file.exists() && file.size() > 0)
        return true;
    // Made afresh, a link there replaced rather than written through: where
    // it points may lie outside the demo's folder. Owner-only, as any settings.
    if (!LocalFiles::createFresh(file, path, error) ||
        !LocalFiles::writeAll(
            file, DemoGallery::settingsText(DemoGallery::startingUsers(), DemoDelaySeconds),
            error)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, *error);
        return false;
    }
    return true;
}

// A word as the shell reads it back unchanged.
QString shellQuoted(const QString &word)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./,:=+@%-]+$"));
    if (plain.match(word).hasMatch())
        return word;
    return u'\'' + QString(word).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
}

// vorpaline-sync beside this program (a build folder, an install), else as
// the shell finds it.
QString syncProgram()
{
    const QString beside =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vorpaline-sync"));
    return QFileInfo(beside).isExecutable() ? shellQuoted(beside)
                                            : QStringLiteral("vorpaline-sync");
}

// Serving and answering --help or --version show no window: they need no display.
bool showsNoWindow(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument = argv[i];
        if (argument == "--folder" || argument == "--screenshot")
            ++i; // their value is no option
        else if (argument == "--serve" || argument == "-h" || argument == "--help" ||
                 argument == "-?" || argument == "--help-all" || argument == "-v" ||
                 argument == "--version")
            return true;
    }
    return false;
}

void printLog(const EventLog &log)
{
    for (int row = 0; row < log.lineCount(); ++row)
        std::printf("%s\n", qPrintable(log.lineText(row)));
    std::fflush(stdout);
}

// The screenshot run: "Sync all" is pressed at once with no pause between
// files, and the window is saved to a PNG when the Sync is done.
void scheduleScreenshot(MainWindow &window, const QString &target, UnattendedPrompts &prompts)
{
    QPointer<MainWindow> guard(&window);
    window.resize(780, 840); // room for more of the log in the picture
    auto *watchdog = new QTimer(&window);
    watchdog->setSingleShot(true);
    QObject::connect(watchdog, &QTimer::timeout, &window, [guard] {
        std::fprintf(stderr, "vorpaline-demo: the Sync did not finish in time\n");
        if (guard)
            printLog(guard->eventLog());
        QCoreApplication::exit(3);
    });
    watchdog->start(ScreenshotTimeoutMs);

    QObject::connect(
        &window.eventLog(), &EventLog::lineAdded, &window,
        [guard, target, watchdog, &prompts](const QString &text, int32_t) {
            if (text != QLatin1String("Synching done.") || !guard)
                return;
            watchdog->stop();
            // Let the log scroll and the bars settle before grabbing.
            QTimer::singleShot(100, guard, [guard, target, &prompts] {
                const bool saved = guard->grab().save(target, "PNG");
                if (!saved)
                    std::fprintf(stderr, "vorpaline-demo: cannot write %s\n", qPrintable(target));
                printLog(guard->eventLog());
                guard->close(); // saves the settings, as on any exit
                QCoreApplication::exit(!saved ? 2 : prompts.errorReports() > 0 ? 4 : 0);
            });
        });

    QTimer::singleShot(0, &window, [guard] {
        if (!guard)
            return;
        // The hidden no-wait word, typed into the user list as a person would.
        if (auto *names = guard->findChild<QListWidget *>(QStringLiteral("Lst_Names")))
            for (const QChar c : QStringLiteral("skipnaps")) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QCoreApplication::sendEvent(names, &press);
            }
        if (auto *sync = guard->findChild<QPushButton *>(QStringLiteral("Cmd_Sync")))
            sync->click();
    });
}

// The gallery under the host names built into vorpaline-sync, until stopped.
int serve(QApplication &app, const QString &folder)
{
    DemoSite site(SiteConfig::builtIn());
    QString error;
    if (!site.start(&error)) {
        std::fprintf(stderr, "vorpaline-demo: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("Vorpaline demo gallery on 127.0.0.1, until Ctrl-C. In another terminal:\n"
                "%s\n"
                "%s --settings %s\n",
                qPrintable(site.hostsVariableLine()), qPrintable(syncProgram()),
                qPrintable(shellQuoted(QDir(folder).filePath(SettingsFileName))));
    std::fflush(stdout);
    return app.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    // The demo gallery draws its pictures with fonts, which needs a window
    // system; what shows no window gets the off-screen one.
    if (showsNoWindow(argc, argv) && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vorpaline-demo"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VORPALINE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Vorpaline on a simulated gallery site running on this computer."));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption folderOption(
        QStringLiteral("folder"),
        QStringLiteral("The demo's folder: settings, temporary file and downloads (default: %1).")
            .arg(QDir::toNativeSeparators(defaultFolder())),
        QStringLiteral("dir"));
    QCommandLineOption screenshotOption(
        QStringLiteral("screenshot"), QStringLiteral("Sync at once, save the window there, quit."),
        QStringLiteral("png"));
    screenshotOption.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption serveOption(
        QStringLiteral("serve"),
        QStringLiteral("No window: serve the demo gallery to vorpaline-sync and print the "
                       "environment line that points it here."));
    parser.addOption(folderOption);
    parser.addOption(screenshotOption);
    parser.addOption(serveOption);
    parser.process(app);

    const QString folder =
        QDir(parser.isSet(folderOption) ? parser.value(folderOption) : defaultFolder())
            .absolutePath();
    QString error;
    if (!prepareFolder(folder, &error)) {
        std::fprintf(stderr, "vorpaline-demo: %s\n", qPrintable(error));
        return 1;
    }
    if (parser.isSet(serveOption))
        return serve(app, folder);
    DemoSite site;
    if (!site.start(&error)) {
        std::fprintf(stderr, "vorpaline-demo: %s\n", qPrintable(error));
        return 1;
    }

    const bool screenshot = parser.isSet(screenshotOption);
    if (screenshot)
        app.setQuitOnLastWindowClosed(false); // the run ends with its own exit code
    WidgetPrompts widgetPrompts;
    UnattendedPrompts unattendedPrompts;
    QPointer<MainWindow> shown;

    AppEnvironment environment;
    environment.site = site.site();
    environment.resolver = site.resolver();
    environment.programFolder = folder;
    environment.prompts = screenshot ? static_cast<Prompts *>(&unattendedPrompts) : &widgetPrompts;
    // The demo never powers the machine off; it says what would have happened.
    environment.shutdown = [&shown] {
        if (shown)
            shown->AddEvent(QStringLiteral("(demo) Here the computer would be shut down."),
                            LogBlack);
    };

    auto window = std::make_unique<MainWindow>(environment);
    shown = window.get();
    widgetPrompts.setOwner(window.get());
    window->show();
    std::printf("Vorpaline demo: files and settings go to %s\n",
                qPrintable(QDir::toNativeSeparators(folder)));
    std::fflush(stdout);
    if (screenshot)
        scheduleScreenshot(*window, parser.value(screenshotOption), unattendedPrompts);
    return app.exec();
}
