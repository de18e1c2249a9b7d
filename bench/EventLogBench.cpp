// 100,000 log lines added to the shown main window, the way a long Sync fills
// the log, then lines that come one per pass of the event loop, each shown
// before the next, as during downloads, with the long log still in place.
//
//   EventLogBench [LINES]
//       prints "add_ms=... total_ms=... paced_ms_per_line=... lines=..."

#include "BenchPrompts.h"
#include "BenchSupport.h"

#include "MainWindow.h"
#include "log/EventLog.h"
#include "log/LogColors.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;

    QTemporaryDir folder;
    BenchPrompts prompts;
    MainWindow window(BenchSupport::environment(folder.path(), prompts, {}));
    window.show();
    QCoreApplication::processEvents();
    const int before = window.eventLog().lineCount();

    const int32_t colours[] = {LogBlack, LogRed, LogGreen};
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < lines; ++i)
        window.AddEvent(
            QStringLiteral("Retrieving submission number %1 (%1/%2)...").arg(i).arg(lines),
            colours[i % 3]);
    const double addMs = double(timer.nsecsElapsed()) / 1e6;
    QCoreApplication::processEvents(); // the repaint that follows
    const double totalMs = double(timer.nsecsElapsed()) / 1e6;

    const int paced = 1000;
    timer.restart();
    for (int i = 0; i < paced; ++i) {
        window.AddEvent(QStringLiteral("Saved as file %1.png").arg(i), LogGreen);
        QCoreApplication::processEvents();
    }
    const double pacedMs = double(timer.nsecsElapsed()) / 1e6;

    const int added = window.eventLog().lineCount() - before;
    if (added != lines + paced) {
        std::fprintf(stderr, "the log holds %d new lines, not %d\n", added, lines + paced);
        return 1;
    }
    std::printf("add_ms=%.1f total_ms=%.1f paced_ms_per_line=%.3f lines=%d\n", addMs, totalMs,
                pacedMs / paced, lines);
    window.close();
    return 0;
}
