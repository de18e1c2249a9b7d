// A second Sync of many users whose every submission the archive already
// holds, listed in full and then as a quick Sync, in one run: the page
// requests and the time of each. Both skip what the archive holds, so neither
// fetches a file and the difference is the listing alone. Also the archive's
// size per row once the rows are in, and the time to open it (its numbers read).
//   ArchiveSyncBench USERS PAGES
// prints "rows=.. bytes_per_row=.. open_ms=.. full_requests=.. full_ms=.. quick_requests=..
// quick_ms=.."
#include "BenchSupport.h"

#include "GalleryContent.h"
#include "GalleryFileHost.h"
#include "GalleryPageHost.h"
#include "archive/DownloadArchive.h"
#include "job/PlainJobSettings.h"
#include "job/Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

using namespace BenchSupport;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int users = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int pages = argc > 2 ? std::atoi(argv[2]) : 20;
    if (users < 1 || users > MaxUsers || pages < 1) {
        std::fprintf(stderr, "usage: ArchiveSyncBench USERS (1-%d) PAGES\n", int(MaxUsers));
        return 2;
    }
    QTemporaryDir folder;
    GalleryContent content;
    int id = 1;
    for (int u = 0; u < users; ++u) {
        SimUser user;
        user.name = QStringLiteral("user%1").arg(u);
        for (int i = 0; i < pages * content.pageSize; ++i)
            user.gallery.append(GalleryContent::make(id++, user.name, QStringLiteral("work"),
                                                     QStringLiteral("png"),
                                                     QStringLiteral("Piece %1").arg(i)));
        content.addUser(user);
    }
    GalleryPageHost pageHost(content, FileHost);
    GalleryFileHost fileHost(content);
    if (!pageHost.listen() || !fileHost.listen())
        return 1;

    // The archive as a first Sync leaves it: every submission recorded.
    const QString archivePath = QDir(folder.path()).filePath(ArchiveFileName);
    {
        DownloadArchive archive(archivePath);
        QString notice;
        if (!archive.open(DownloadArchive::Mode::ReadWrite, &notice))
            return 1;
        for (int u = 0; u < users; ++u)
            for (const SimSubmission &sub : content.user(QStringLiteral("user%1").arg(u))->gallery)
                archive.record(ArchiveRow{
                    sub.id, sub.artist, QStringLiteral("gallery"), sub.rating, sub.titleMarkup,
                    QStringLiteral("http://files.bench.invalid") + sub.filePath(),
                    folder.path() + QStringLiteral("/") + sub.artist + QStringLiteral("-gallery/") +
                        sub.titleMarkup + QStringLiteral(".png"),
                    sub.body.size(), QString(64, u'0'), QDateTime::currentDateTimeUtc()});
        archive.commit();
    }
    const int rows = id - 1;
    QElapsedTimer opening;
    opening.start();
    {
        DownloadArchive archive(archivePath);
        QString notice;
        archive.open(DownloadArchive::Mode::ReadOnly, &notice);
    }
    std::printf("rows=%d bytes_per_row=%.0f open_ms=%lld", rows,
                double(QFileInfo(archivePath).size()) / double(rows), qlonglong(opening.elapsed()));

    BenchPrompts prompts;
    const AppEnvironment env = environment(
        folder.path(), prompts, {{PageHost, pageHost.port()}, {FileHost, fileHost.port()}});
    for (const bool quick : {false, true}) {
        PlainJobSettings settings;
        PlainJobDisplay display;
        for (int u = 0; u < users; ++u)
            settings.users.Users[size_t(u)].Name = QStringLiteral("user%1").arg(u);
        settings.users.UserCount = int16_t(users);
        settings.savePath = folder.path();
        settings.skipArchived = true;
        settings.quickSync = quick;
        Session session(env, settings.answers(), display);
        const qsizetype before = pageHost.requests().size();
        QElapsedTimer timer;
        timer.start();
        session.Sync();
        if (!waitUntil([&] { return !session.isJobRunning(); }, 3'600'000))
            return 1;
        std::printf(" %s_requests=%lld %s_ms=%lld", quick ? "quick" : "full",
                    qlonglong(pageHost.requests().size() - before), quick ? "quick" : "full",
                    qlonglong(timer.elapsed()));
    }
    std::printf("\n");
    return 0;
}
