// The log on the shown main window. First lines that come one per pass of the
// event loop, each shown before the next, as during downloads, on a short log
// (100 lines); then LINES lines added at once, the way a long Sync fills the
// log, and the same paced lines again with the long log in place. The
// process's peak memory tells what the long log holds.
//
//   EventLogBench [LINES]
//       prints "add_ms=... total_ms=... short_ms_per_line=... paced_ms_per_line=...
//               peak_kb=... lines=..."

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

namespace {

// Processor milliseconds a line, each line shown before the next; the least
// of five rounds, which other work on a shared machine disturbs least.
double pacedMsPerLine(MainWindow &window, int round)
{
    constexpr int Lines = 200;
    double best = 1e9;
    for (int repeat = 0; repeat < 5; ++repeat) {
        const double start = BenchSupport::cpuSeconds();
        for (int i = 0; i < Lines; ++i) {
            window.AddEvent(QStringLiteral("Saved as file %1-%2.png").arg(round).arg(i), LogGreen);
            QCoreApplication::processEvents();
        }
        best = std::min(best, (BenchSupport::cpuSeconds() - start) * 1e3 / Lines);
    }
    return best;
}

} // namespace

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
    const int32_t colours[] = {LogBlack, LogRed, LogGreen};
    const auto add = [&](int count) {
        for (int i = 0; i < count; ++i)
            window.AddEvent(
                QStringLiteral("Retrieving submission number %1 (%1/%2)...").arg(i).arg(count),
                colours[i % 3]);
    };
    add(100 - window.eventLog().lineCount());
    QCoreApplication::processEvents();
    const double shortMs = pacedMsPerLine(window, 0);

    QElapsedTimer timer;
    timer.start();
    add(lines);
    const double addMs = double(timer.nsecsElapsed()) / 1e6;
    QCoreApplication::processEvents(); // the repaint that follows
    const double totalMs = double(timer.nsecsElapsed()) / 1e6;
    const double pacedMs = pacedMsPerLine(window, 1);
    if (const int held = window.eventLog().lineCount(); held != 100 + lines + 2000) {
        std::fprintf(stderr, "the log holds %d lines, not %d\n", held, 100 + lines + 2000);
        return 1;
    }

    std::printf("add_ms=%.1f total_ms=%.1f short_ms_per_line=%.4f paced_ms_per_line=%.4f "
                "peak_kb=%ld lines=%d\n",
                addMs, totalMs, shortMs, pacedMs, BenchSupport::peakResidentKb(), lines);
    window.close();
    return 0;
}
