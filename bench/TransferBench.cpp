// The engine's whole-program figures: a download and the pause between files,
// run by the downloader with plain settings, wired as the session wires it.
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
#include "core/JobContext.h"
#include "download/Downloader.h"
#include "job/PlainJobSettings.h"
#include "log/EventLog.h"
#include "platform/TcpClientSocket.h"
#include "report/ErrorReporter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using namespace BenchSupport;

namespace {

// A folder of one file.
ListedFolder queueOne(const QString &url, const QString &folder)
{
    return {QStringLiteral("bench"),
            QStringLiteral("gallery"),
            {{url, QStringLiteral("big")}},
            1,
            folder};
}

// The downloader on a connection of its own, with the log and the error
// reporter the session would give it.
struct Transfer
{
    PlainJobSettings settings;
    PlainJobDisplay display;
    EventLog log;
    ErrorReporter errors;
    TcpClientSocket socket;
    Downloader downloader;
    bool finished = false, withErrors = false;
    QElapsedTimer sinceFinished; // the pause before the next file counts from here

    explicit Transfer(const AppEnvironment &env)
        : errors(*env.prompts, env.site.supportAddress), socket(env.resolver),
          downloader(JobContext{settings.answers(), display, log, errors}, socket, env.site,
                     env.timeouts, env.fileFolders().temporary)
    {
        socket.setConnectTimeout(env.timeouts.connectMs);
        QObject::connect(&downloader, &Downloader::queueFinished, [this](bool errors) {
            finished = true;
            withErrors = errors;
            sinceFinished.start();
        });
    }
};

int fetch(quint16 port, const QString &path, qint64 size, const QString &folder, bool tls)
{
    const long startKb = peakResidentKb();
    const QString saved = QDir(folder).filePath(QStringLiteral("saved"));
    if (!QDir().mkpath(saved)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(saved));
        return 1;
    }
    BenchPrompts prompts;
    AppEnvironment env = environment(folder, prompts, {{FileHost, port}});
    env.site.fileTransport = Transport{port, tls};
    Transfer transfer(env);
    transfer.settings.noWaitMode = true;

    QElapsedTimer timer;
    timer.start();
    transfer.downloader.retrieveFolder(queueOne(QStringLiteral("http://") + FileHost + path, saved),
                                       false);
    waitUntil([&] { return transfer.finished; }, 600000);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;

    const QFileInfoList files = QDir(saved).entryInfoList(QDir::Files);
    if (!transfer.finished || transfer.withErrors || files.size() != 1 ||
        files.first().size() != size) {
        std::fprintf(stderr, "the download failed; the log:\n");
        for (int i = 0; i < transfer.log.lineCount(); ++i)
            std::fprintf(stderr, "  %s\n", qPrintable(transfer.log.lineText(i)));
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
    Transfer transfer(environment(folder.path(), prompts, {{FileHost, host.port()}}));
    const ListedFolder one = queueOne(QStringLiteral("http://") + FileHost + path, folder.path());
    // The first file is fetched at once; the pause comes before the second.
    transfer.downloader.retrieveFolder(one, false);
    if (!waitUntil([&] { return transfer.finished; }, 30000)) {
        std::fprintf(stderr, "the first file did not arrive\n");
        return 1;
    }
    transfer.settings.delay = seconds;

    const QElapsedTimer sinceFirst = transfer.sinceFinished;
    const double cpuBefore = cpuSeconds();
    transfer.downloader.retrieveFolder(one, false);
    waitUntil([&] { return host.requests().size() > 1; }, (seconds + 30) * 1000);
    const double elapsed = double(sinceFirst.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpuBefore;
    if (host.requests().size() < 2 || elapsed < seconds) {
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
