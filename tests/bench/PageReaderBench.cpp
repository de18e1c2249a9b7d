// Times one 5 MB listing page with 5,000 entries arriving in 1 KB pieces:
// gathering until the end marker, then the link walk with each address
// rewritten and run through the type and rating filters.
#include "listing/PageReader.h"
#include "listing/SubmissionFilters.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {

const QString FileHost = QStringLiteral("files.bench.invalid");

QString buildPage(int entries, qsizetype targetSize)
{
    QString page = QStringLiteral("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n"
                                  "<html><body><div id=\"header\">Gallery</div>\n");
    const qsizetype perEntry = targetSize / entries;
    for (int i = 0; i < entries; ++i) {
        QString entry =
            QStringLiteral("<div class=\"submission\">\n\t<a href=\"/view/%1/\"><img alt=\"\" "
                           "src=\"http://%2/art/someone/%1.work.200.thumbnail.png\" /></a>\n"
                           "\t<div class=\"rating\"><span class=\"icon-image general\"></span>"
                           "&nbsp;</div>\n\t<div class=\"info\"><span>Piece %1 &amp; more</span> "
                           "<small>by someone</small></div>\n")
                .arg(i)
                .arg(FileHost);
        // Padding stands for the rest of a real entry's markup.
        entry += QStringLiteral("\t<p class=\"description\">") +
                 QString(std::max<qsizetype>(0, perEntry - entry.size() - 40), u'x') +
                 QStringLiteral("</p>\n</div>\n");
        page += entry;
    }
    page +=
        QStringLiteral("<div id=\"footer\">Page generated in 0.0421 seconds</div></body></html>");
    return page;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int entries = argc > 1 ? std::max(1, atoi(argv[1])) : 5000;
    const QString page = buildPage(entries, qsizetype(5) * 1024 * 1024);
    const qsizetype piece = 1024;

    QElapsedTimer timer;
    timer.start();
    QString buffer;
    PageGatherer gatherer;
    PageKind kind = PageKind::Incomplete;
    int pieces = 0;
    for (qsizetype at = 0; at < page.size(); at += piece, ++pieces)
        kind = gatherer.add(buffer, QStringView(page).mid(at, piece));
    const qint64 gatherNs = timer.nsecsElapsed();

    timer.restart();
    LinkWalker walker(buffer, FileHost);
    PageLink link;
    FilterChoices choices;
    choices.ratings[0] = false; // refuse general, so every entry runs every filter
    int links = 0, refused = 0;
    for (;;) {
        const LinkWalker::Step step = walker.next(link);
        if (step == LinkWalker::Step::Done)
            break;
        if (step != LinkWalker::Step::Link)
            continue;
        ++links;
        const QString url = rewriteAddress(link.address, QStringLiteral("someone"),
                                           QStringLiteral("gallery"), true);
        if (typeOrRatingSkip(url, link.ratingStretch, choices) != SkipReason::None)
            ++refused;
    }
    const qint64 walkNs = timer.nsecsElapsed();

    std::printf("page %.2f MB in %d pieces of %lld bytes, kind %d\n",
                double(page.size()) / (1024.0 * 1024.0), pieces, static_cast<long long>(piece),
                int(kind));
    std::printf("gathering: %.1f ms\n", double(gatherNs) / 1e6);
    std::printf("walk, rewrite and filters: %.1f ms for %d links (%d refused)\n",
                double(walkNs) / 1e6, links, refused);
    std::printf("total: %.1f ms\n", double(gatherNs + walkNs) / 1e6);
    return kind == PageKind::Submissions && links == entries ? 0 : 1;
}
