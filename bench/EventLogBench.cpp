// Times 100,000 log lines added to the shown main window, each one scrolled
// into view, the way a long Sync fills the log.
#include "TestWindow.h"

#include "log/EventLog.h"
#include "log/LogColors.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeView>

#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;

    TestWindow test;
    MainWindow &window = test.open();
    window.show();
    QCoreApplication::processEvents();

    const int32_t colours[] = {LogBlack, LogRed, LogGreen};
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < lines; ++i)
        window.AddEvent(
            QStringLiteral("Retrieving submission number %1 (%1/%2)...").arg(i).arg(lines),
            colours[i % 3]);
    const qint64 addMs = timer.elapsed();
    QCoreApplication::processEvents(); // the repaint that follows
    const qint64 totalMs = timer.elapsed();

    // Lines that come one per pass of the event loop, each shown before the
    // next, as during downloads, with the long log still in place.
    const int paced = 1000;
    timer.restart();
    for (int i = 0; i < paced; ++i) {
        window.AddEvent(QStringLiteral("Saved as file %1.png").arg(i), LogGreen);
        QCoreApplication::processEvents();
    }
    const qint64 pacedMs = timer.elapsed();

    timer.restart();
    window.eventLog().clear();
    QCoreApplication::processEvents();
    const qint64 clearMs = timer.elapsed();

    std::printf("%d AddEvent calls: %lld ms (%lld ms with the repaint)\n", lines,
                static_cast<long long>(addMs), static_cast<long long>(totalMs));
    std::printf("then %d lines, each scrolled into view and repainted: %.2f ms per line\n", paced,
                double(pacedMs) / paced);
    std::printf("clearing all lines: %lld ms\n", static_cast<long long>(clearMs));
    return 0;
}
