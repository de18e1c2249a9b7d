// The engine's whole-program figures: a download and the pause between files,
// run through a Session with plain settings, as the window would run them.
//
//   TransferBench fetch PORT PATH SIZE FOLDER [tls]
//       Downloads PATH from an HTTP server on 127.0.0.1:PORT (the file host is
//       mapped there) into FOLDER/saved, the temporary file in FOLDER, and
//       prints "seconds=... peak_kb=... start_kb=... saved=FILE". Fails unless
//       the saved file has SIZE bytes. With tls, the file host is reached over
//       TLS and its certificate must pass (SSL_CERT_FILE names the authority).
//   TransferBench pause SECONDS
//       Waits out the pause between two files against the simulated file host
//       and prints "seconds=... cpu_seconds=... core_percent=...".

#include "BenchSupport.h"

#include "GalleryContent.h"
#include "GalleryFileHost.h"
#include "core/JobState.h"
#include "download/Downloader.h"
#include "job/PlainJobSettings.h"
#include "job/Session.h"
#include "log/EventLog.h"
#include "platform/Clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using namespace BenchSupport;

namespace {

// Puts one file in the queue of a fresh job.
void queueOne(JobState &state, const QString &url, const QString &folder)
{
    state.CurrentUser = QStringLiteral("bench");
    state.CurrentFolder = QStringLiteral("gallery");
    state.SubmissionQueue[0] = {url, QStringLiteral("big")};
    state.QueueCount = 1;
    state.QueueIndex = 0;
    state.DownloadErrors = false;
    state.DownloadFolder = folder;
}

int fetch(quint16 port, const QString &path, qint64 size, const QString &folder, bool tls)
{
    const long startKb = peakResidentKb();
    const QString saved = QDir(folder).filePath(QStringLiteral("saved"));
    if (!QDir().mkpath(saved)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(saved));
        return 1;
    }
    BenchPrompts prompts;
    PlainJobSettings settings;
    PlainJobDisplay display;
    AppEnvironment env = environment(folder, prompts, {{FileHost, port}});
    env.site.fileTransport = Transport{port, tls};
    Session session(env, settings, display);
    session.state().NoWait = true;
    queueOne(session.state(), QStringLiteral("http://") + FileHost + path, saved);

    bool finished = false;
    QObject::connect(&session.downloader(), &Downloader::queueFinished, [&] { finished = true; });
    QElapsedTimer timer;
    timer.start();
    session.downloader().Retrieve();
    waitUntil([&] { return finished; }, 600000);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;

    const QFileInfoList files = QDir(saved).entryInfoList(QDir::Files);
    if (!finished || session.state().DownloadErrors || files.size() != 1 ||
        files.first().size() != size) {
        std::fprintf(stderr, "the download failed; the log:\n");
        for (int i = 0; i < session.log().lineCount(); ++i)
            std::fprintf(stderr, "  %s\n", qPrintable(session.log().lineText(i)));
        return 1;
    }
    std::printf("seconds=%.3f peak_kb=%ld start_kb=%ld saved=%s\n", seconds, peakResidentKb(),
                startKb, qPrintable(files.first().filePath()));
    return 0;
}

int pause(int seconds)
{
    GalleryContent content;
    GalleryFileHost host(content);
    if (!host.listen()) {
        std::fprintf(stderr, "the file host does not listen\n");
        return 1;
    }
    const QString path = QStringLiteral("/art/bench/1.bench.small.bin");
    host.addGeneratedFile(path, 1000);
    QTemporaryDir folder;
    BenchPrompts prompts;
    PlainJobSettings settings;
    PlainJobDisplay display;
    Session session(environment(folder.path(), prompts, {{FileHost, host.port()}}), settings,
                    display);
    JobState &state = session.state();
    state.Delay = int16_t(seconds);
    state.LastFileEnd = clockSeconds(); // a file has just ended
    queueOne(state, QStringLiteral("http://") + FileHost + path, folder.path());

    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    session.downloader().Retrieve();
    waitUntil([&] { return !host.requests().isEmpty(); }, (seconds + 30) * 1000);
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpuBefore;
    if (host.requests().isEmpty() || elapsed < seconds) {
        std::fprintf(stderr, "the pause did not end with the request\n");
        return 1;
    }
    std::printf("seconds=%.3f cpu_seconds=%.4f core_percent=%.3f\n", elapsed, cpu,
                100.0 * cpu / elapsed);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool tls = args.size() == 6 && args[5] == QLatin1String("tls");
    if ((args.size() == 5 || tls) && args[0] == QLatin1String("fetch"))
        return fetch(quint16(args[1].toUInt()), args[2], args[3].toLongLong(), args[4], tls);
    if (args.size() == 2 && args[0] == QLatin1String("pause"))
        return pause(args[1].toInt());
    std::fprintf(stderr,
                 "usage: TransferBench fetch PORT PATH SIZE FOLDER [tls] | pause SECONDS\n");
    return 2;
}
