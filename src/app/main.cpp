#include "BuildConfig.h"
#include "MainWindow.h"
#include "WidgetPrompts.h"
#include "WindowCommandLine.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

#include <cstdio>
#include <memory>

namespace {

// The icon is compiled in: it shows whether or not the program is installed
// and whatever icon theme is in use.
QIcon compiledIcon()
{
    QIcon icon;
    for (const QFileInfo &size :
         QDir(QStringLiteral(":/icons")).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
        icon.addFile(size.filePath() + QStringLiteral("/vorpaline.png"));
    return icon;
}

} // namespace

int main(int argc, char *argv[])
{
    // Read before the application object, which needs a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const QString program = QStringLiteral("vorpaline");
    const WindowCommand command = parseWindowCommandLine(arguments);
    switch (command.kind) {
    case WindowCommand::Kind::Help:
        std::fputs(qPrintable(windowHelpText(program)), stdout);
        return 0;
    case WindowCommand::Kind::Version:
        std::printf("%s %s\n", qPrintable(program), VORPALINE_VERSION);
        return 0;
    case WindowCommand::Kind::Refuse:
        std::fprintf(stderr, "%s: %s\n%s\n", qPrintable(program), qPrintable(command.problem),
                     qPrintable(windowUsageLine(program)));
        return 2;
    case WindowCommand::Kind::Run:
        break;
    }

    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(VORPALINE_APP_ID));
    app.setWindowIcon(compiledIcon());
    WidgetPrompts prompts;

    AppEnvironment environment;
    environment.site = SiteConfig::builtIn();
    environment.resolver = resolveUnchanged;
    environment.programFolder = QCoreApplication::applicationDirPath();
    environment.folders = chooseProgramFolders(gatherLayoutFacts(environment.programFolder));
    // A folder that cannot be made shows as a failed save or download later.
    QString ignored;
    makeProgramFolders(*environment.folders, &ignored);
    environment.prompts = &prompts;
    environment.shutdown = requestSystemPowerOff;
    // A build whose update host is still a placeholder has nobody to ask.
    environment.updateCheck =
        VORPALINE_UPDATE_CHECK && !isPlaceholderHost(environment.site.updateHost);

    auto window = std::make_unique<MainWindow>(environment);
    prompts.setOwner(window.get());
    window->show();
    return app.exec();
}
