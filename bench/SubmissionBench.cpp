// 50,000 submissions through what the listing does for each link after the
// walk: the address rewriting, the name decoding, the type and rating filters,
// the download folder and file name, and the "Already exists" check against a
// folder on disk that holds every tenth file. Timed again without that check,
// to tell the file system's share from the program's own, and with the
// download archive asked once for each submission as well (as a quick Sync or
// the skip of archived submissions asks it), every tenth number recorded.
#include "archive/DownloadArchive.h"
#include "listing/SubmissionFilters.h"
#include "naming/DownloadFolders.h"
#include "naming/FileNames.h"
#include "platform/FileSystem.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <vector>

namespace {

constexpr int Submissions = 50000;
const QString User = QStringLiteral("someone");
const QString Folder = QStringLiteral("gallery");
constexpr int NameMode = 2; // Author - Title

struct Link
{
    QString address, ratingStretch, nameMarkup;
};

std::vector<Link> buildLinks()
{
    static const char *const kinds[] = {"work.200.thumbnail.png", "work.jpg.200.thumbnail.png",
                                        "tale.txt.200.thumbnail.png", "song.mp3.png"};
    static const char *const ratings[] = {"general", "mature", "adult"};
    std::vector<Link> links;
    links.reserve(Submissions);
    for (int i = 0; i < Submissions; ++i) {
        Link link;
        link.address = QStringLiteral("http://files.bench.invalid/art/%1/%2.%3")
                           .arg(User)
                           .arg(i)
                           .arg(QLatin1StringView(kinds[i % 4]));
        link.ratingStretch =
            QStringLiteral("files.bench.invalid/art/x.png\" /></a>\n\t<div class=\"rating\">"
                           "<span class=\"icon-image %1\"></span>")
                .arg(QLatin1StringView(ratings[i % 3]));
        link.nameMarkup = QStringLiteral("Piece %1 &amp; more &quot;quoted&quot;").arg(i);
        links.push_back(std::move(link));
    }
    return links;
}

void SubmissionFiltersAndNaming(benchmark::State &state)
{
    const std::vector<Link> links = buildLinks();
    QTemporaryDir saveDir;
    FolderRequest request;
    request.savePath = saveDir.path();
    request.favPath = saveDir.path();
    request.layout = 1;
    request.user = User;
    request.folder = Folder;
    const FilterChoices choices; // everything wanted: every submission is named and looked up

    // Every tenth file is already on disk.
    const FolderPlan plan = planDownloadFolder(request);
    QDir().mkpath(plan.folder);
    for (int i = 0; i < Submissions; i += 10) {
        const QString url = rewriteAddress(links[size_t(i)].address, User, Folder, true);
        QFile file(plan.folder + QDir::separator() +
                   MakeFileName(url, StripHTML(links[size_t(i)].nameMarkup), NameMode, User));
        if (!file.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot prepare the save folder");
            return;
        }
    }

    DownloadArchive archive(saveDir.filePath(ArchiveFileName));
    const bool askArchive = state.range(0) == 2;
    if (askArchive) {
        QString notice;
        archive.open(DownloadArchive::Mode::ReadWrite, &notice);
        for (int i = 0; i < Submissions; i += 10)
            archive.record(ArchiveRow{i, User, Folder, {}, {}, {}, {}, 0});
        archive.commit();
    }

    const bool lookOnDisk = state.range(0) != 0;
    for (auto _ : state) {
        int existing = 0;
        int archived = 0;
        qint64 number = 0;
        for (const Link &link : links) {
            const QString url = rewriteAddress(link.address, User, Folder, true);
            const QString title = StripHTML(link.nameMarkup);
            SkipReason reason = typeOrRatingSkip(url, link.ratingStretch, choices);
            if (askArchive && reason == SkipReason::None)
                archived += archive.contains(number);
            ++number;
            if (reason == SkipReason::None) {
                const QString path = planDownloadFolder(request).folder + QDir::separator() +
                                     MakeFileName(url, title, NameMode, User);
                if (lookOnDisk ? FileSystem::FileExists(path) : path.isEmpty())
                    reason = SkipReason::AlreadyExists;
            }
            existing += reason == SkipReason::AlreadyExists;
        }
        if (existing != (lookOnDisk ? Submissions / 10 : 0) ||
            archived != (askArchive ? Submissions / 10 : 0))
            state.SkipWithError("the files on disk or in the archive were not all found");
    }
    state.SetItemsProcessed(state.iterations() * Submissions);
}

} // namespace

BENCHMARK(SubmissionFiltersAndNaming)
    ->ArgName("onDiskCheck")
    ->Arg(1)
    ->Arg(0)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);
