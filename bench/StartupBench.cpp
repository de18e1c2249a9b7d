// Start-up to the shown main window with a settings file of many users: the
// time from entering main() to the window exposed and painted.
//
//   StartupBench USERS
//       prints "ms=... users=..." (users: the entries the user list shows)

#include "BenchPrompts.h"
#include "BenchSupport.h"

#include "MainWindow.h"
#include "settings/SettingsFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    QElapsedTimer timer;
    timer.start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int users = argc > 1 ? std::clamp(std::atoi(argv[1]), 0, int(MaxUsers)) : 1000;

    // The settings file is written before the clock's figure is taken; the
    // folder is made before QApplication so its cost is the same either way.
    QTemporaryDir folder;
    SettingsSnapshot snapshot;
    snapshot.nameMode = 1;
    snapshot.folderMode = 1;
    for (int i = 0; i < users; ++i)
        snapshot.users.append(UserEntry{QStringLiteral("artist%1").arg(i, 4, 10, QLatin1Char('0')),
                                        i % 3 == 0, i % 5 == 0});
    QString error;
    if (!saveSettingsFile(QDir(folder.path()).filePath(SettingsFileName), settingsText(snapshot),
                          &error)) {
        std::fprintf(stderr, "cannot write the settings: %s\n", qPrintable(error));
        return 1;
    }
    const qint64 writeNs = timer.nsecsElapsed();

    QApplication app(argc, argv);
    BenchPrompts prompts;
    MainWindow window(BenchSupport::environment(folder.path(), prompts, {}));
    window.show();
    BenchSupport::waitUntil(
        [&] { return window.windowHandle() && window.windowHandle()->isExposed(); }, 10000);
    QCoreApplication::processEvents(); // the first paint
    const double ms = double(timer.nsecsElapsed() - writeNs) / 1e6;

    const auto *list = window.findChild<QListWidget *>(QStringLiteral("Lst_Names"));
    const int shown = list ? list->count() : -1;
    if (shown != users) {
        std::fprintf(stderr, "the user list shows %d users, not %d\n", shown, users);
        return 1;
    }
    std::printf("ms=%.1f users=%d\n", ms, shown);
    window.close();
    return 0;
}
