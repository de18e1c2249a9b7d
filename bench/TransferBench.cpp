// Download speed, memory and the cost of the pause between files.
//
//   TransferBench [transfer [MB]] [memory [MB]] [pause [seconds]]
//
// transfer: one file from the simulated file host, saved under its name, timed
//           against curl fetching the same file to disk in the same run.
// memory:   peak resident memory while one large file is downloaded.
// pause:    processor time used while the driver waits between two files.
// With no arguments all three run with 256 MB, 1024 MB and 10 s.

#include "TestWindow.h"

#include "GalleryContent.h"
#include "GalleryFileHost.h"
#include "download/Downloader.h"
#include "log/EventLog.h"
#include "platform/Clock.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

namespace {

const QString BenchPath = QStringLiteral("/art/bench/1.bench.big.bin");

// Runs the event loop (sleeping when there is nothing to do) until done()
// holds, looking every 20 ms.
bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QElapsedTimer timer;
    timer.start();
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done() || timer.elapsed() > timeoutMs)
            loop.quit();
    });
    look.start(20);
    loop.exec();
    return done();
}

// Peak resident memory since the last reset, in kB (Linux).
qint64 peakResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

void resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool sameFiles(const QString &a, const QString &b)
{
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    while (!fa.atEnd())
        if (fa.read(1 << 20) != fb.read(1 << 20))
            return false;
    return true;
}

bool matchesPattern(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != size)
        return false;
    QByteArray expected;
    qint64 offset = 0;
    while (!file.atEnd()) {
        const QByteArray block = file.read(1 << 20);
        expected.resize(block.size());
        GalleryFileHost::generateBytes(offset, expected.data(), block.size());
        if (block != expected)
            return false;
        offset += block.size();
    }
    return true;
}

// A window and a file host with one generated file.
struct Bench
{
    GalleryContent content;
    GalleryFileHost host{content};
    TestWindow test;
    MainWindow *window = nullptr;
    QString folder;

    explicit Bench(qint64 size)
    {
        host.listen();
        host.addGeneratedFile(BenchPath, size);
        test.ports[TestHosts::File] = host.port();
        window = &test.open();
        folder = test.path(QStringLiteral("saved"));
        QDir().mkpath(folder);
        window->state().NoWait = true;
    }

    void queueOne()
    {
        JobState &state = window->state();
        state.CurrentUser = QStringLiteral("bench");
        state.CurrentFolder = QStringLiteral("gallery");
        state.SubmissionQueue[0] = {QStringLiteral("http://") + TestHosts::File + BenchPath,
                                    QStringLiteral("big")};
        state.QueueCount = 1;
        state.QueueIndex = 0;
        state.DownloadFolder = folder;
    }

    // Seconds from the start of the queue to the file under its final name.
    double download()
    {
        queueOne();
        const int before = window->eventLog().lineCount();
        QElapsedTimer timer;
        timer.start();
        window->downloader().Retrieve();
        const bool done = waitUntil(
            [&] {
                const EventLog &log = window->eventLog();
                for (int i = before; i < log.lineCount(); ++i)
                    if (log.lineText(i).startsWith(QStringLiteral("Succesfully")) ||
                        log.lineText(i).startsWith(QStringLiteral("Retrieved only")))
                        return true;
                return false;
            },
            600000);
        const double seconds = timer.nsecsElapsed() / 1e9;
        if (!done || window->state().DownloadErrors) {
            std::fprintf(stderr, "download failed\n");
            return -1;
        }
        return seconds;
    }

    double curl(const QString &target)
    {
        QProcess process;
        const QString url = QStringLiteral("http://127.0.0.1:%1").arg(host.port()) + BenchPath;
        QElapsedTimer timer;
        timer.start();
        process.start(QStringLiteral("curl"),
                      {QStringLiteral("-s"), QStringLiteral("-o"), target, QStringLiteral("-H"),
                       QStringLiteral("Connection: close"), url});
        // The host runs on this thread: keep serving while curl reads.
        waitUntil([&] { return process.state() == QProcess::NotRunning; }, 600000);
        const double seconds = timer.nsecsElapsed() / 1e9;
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
            std::fprintf(stderr, "curl failed: %d\n", process.exitCode());
            return -1;
        }
        return seconds;
    }
};

void benchTransfer(int megabytes)
{
    const qint64 size = qint64(megabytes) * 1024 * 1024;
    Bench bench(size);
    if (QStandardPaths::findExecutable(QStringLiteral("curl")).isEmpty()) {
        std::printf("transfer: curl not found\n");
        return;
    }
    const QString ours = QDir(bench.folder).filePath(QStringLiteral("big.bin"));
    const QString theirs = bench.test.path(QStringLiteral("curl.bin"));
    QList<double> oursTimes, curlTimes;
    for (int round = 0; round < 3; ++round) {
        QFile::remove(theirs);
        curlTimes.append(bench.curl(theirs));
        oursTimes.append(bench.download());
    }
    std::sort(oursTimes.begin(), oursTimes.end());
    std::sort(curlTimes.begin(), curlTimes.end());
    const double oursBest = oursTimes.first(), curlBest = curlTimes.first();
    std::printf("transfer %d MB: ours %.3f s (median %.3f, %.0f MB/s incl. copy to final name), "
                "curl %.3f s (median %.3f), ratio %.2f (median ratio %.2f)\n",
                megabytes, oursBest, oursTimes[1], megabytes / oursBest, curlBest, curlTimes[1],
                oursBest / curlBest, oursTimes[1] / curlTimes[1]);
    std::printf("transfer: saved file %s curl's, %s the served bytes\n",
                sameFiles(ours, theirs) ? "identical to" : "DIFFERENT FROM",
                matchesPattern(ours, size) ? "identical to" : "DIFFERENT FROM");
}

void benchMemory(int megabytes)
{
    const qint64 size = qint64(megabytes) * 1024 * 1024;
    Bench bench(size);
    const qint64 before = residentKb();
    resetPeakResident();
    const double seconds = bench.download();
    const qint64 peak = peakResidentKb();
    std::printf("memory %d MB: resident before %lld kB, peak during the download %lld kB "
                "(%.1f MB), %.2f s\n",
                megabytes, qlonglong(before), qlonglong(peak), peak / 1024.0, seconds);
    const QString saved = QDir(bench.folder).filePath(QStringLiteral("big.bin"));
    std::printf("memory: saved file %s the served bytes\n",
                matchesPattern(saved, size) ? "identical to" : "DIFFERENT FROM");
    // Large files are not left behind in the temporary folder.
    QFile::remove(saved);
    QFile::remove(bench.window->downloader().temporaryFilePath());
}

void benchPause(int seconds)
{
    Bench bench(1000);
    JobState &state = bench.window->state();
    state.NoWait = false;
    state.Delay = int16_t(seconds);
    state.LastFileEnd = clockSeconds();
    bench.queueOne();
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    bench.window->downloader().Retrieve();
    waitUntil([&] { return !bench.host.requests().isEmpty(); }, (seconds + 30) * 1000);
    const double elapsed = wall.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("pause %d s: waited %.2f s, processor time %.3f s (%.2f %% of one core)\n", seconds,
                elapsed, cpu, 100.0 * cpu / elapsed);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        args = {QStringLiteral("transfer"), QStringLiteral("memory"), QStringLiteral("pause")};
    for (qsizetype i = 0; i < args.size(); ++i) {
        bool hasNumber = false;
        const int number = i + 1 < args.size() ? args[i + 1].toInt(&hasNumber) : 0;
        if (args[i] == QLatin1String("transfer"))
            benchTransfer(hasNumber ? number : 256);
        else if (args[i] == QLatin1String("memory"))
            benchMemory(hasNumber ? number : 1024);
        else if (args[i] == QLatin1String("pause"))
            benchPause(hasNumber ? number : 10);
        if (hasNumber)
            ++i;
        std::fflush(stdout);
    }
    return 0;
}
