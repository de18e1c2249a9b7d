// A listing page of 5 or 10 MB, 1,000 bytes per entry, arriving in 1 KB
// pieces: gathering it until the end marker, and walking its links, each timed
// in the same run as one memmem scan of the same bytes, the least any reader
// of the page has to do.
#include "listing/PageReader.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>

namespace {

const QString FileHost = QStringLiteral("files.bench.invalid");
constexpr qsizetype PieceSize = 1024;
constexpr qsizetype EntrySize = 1000;

QByteArray buildPage(qsizetype megabytes)
{
    QByteArray page = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n"
                      "<html><body><div id=\"header\">Gallery</div>\n";
    const qsizetype entries = megabytes * 1024 * 1024 / EntrySize;
    for (qsizetype i = 0; i < entries; ++i) {
        QByteArray entry =
            QStringLiteral("<div class=\"submission\">\n\t<a href=\"/view/%1/\"><img alt=\"\" "
                           "src=\"http://%2/art/someone/%1.work.200.thumbnail.png\" /></a>\n"
                           "\t<div class=\"rating\"><span class=\"icon-image general\"></span>"
                           "&nbsp;</div>\n\t<div class=\"info\"><span>Piece %1 &amp; more</span> "
                           "<small>by someone</small></div>\n\t<p class=\"description\">")
                .arg(i)
                .arg(FileHost)
                .toLatin1();
        // Padding stands for the rest of a real entry's markup.
        const QByteArray end = "</p>\n</div>\n";
        entry += QByteArray(std::max<qsizetype>(0, EntrySize - entry.size() - end.size()), 'x');
        page += entry + end;
    }
    page += "<div id=\"footer\">Page generated in 0.0421 seconds</div></body></html>";
    return page;
}

const QByteArray &page(qsizetype megabytes)
{
    static std::map<qsizetype, QByteArray> pages;
    auto it = pages.find(megabytes);
    if (it == pages.end())
        it = pages.emplace(megabytes, buildPage(megabytes)).first;
    return it->second;
}

void PageGathering(benchmark::State &state)
{
    const QByteArray &bytes = page(state.range(0));
    // One gatherer for every page and the buffer emptied at each page's
    // connection, as the listing does.
    PageGatherer gatherer;
    QString buffer;
    for (auto _ : state) {
        buffer.clear();
        gatherer.reset();
        PageKind kind = PageKind::Incomplete;
        for (qsizetype at = 0; at < bytes.size(); at += PieceSize)
            kind = gatherer.add(
                buffer, QByteArrayView(bytes).sliced(at, std::min(PieceSize, bytes.size() - at)));
        if (kind != PageKind::Submissions || buffer.size() != bytes.size())
            state.SkipWithError("the page was not gathered whole");
        benchmark::DoNotOptimize(buffer.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    // What the gatherer holds on to between pages of a folder, and once the
    // folder is listed.
    buffer.clear();
    gatherer.reset();
    state.counters["kept_bytes"] = double(gatherer.keptBytes());
    gatherer.release();
    state.counters["released_bytes"] = double(gatherer.keptBytes());
    if (gatherer.keptBytes() != 0)
        state.SkipWithError("the gatherer keeps its buffers once released");
}

void MemmemScan(benchmark::State &state)
{
    const QByteArray &bytes = page(state.range(0));
    const QByteArrayView marker = PageMarkers::PageEnd;
    for (auto _ : state) {
        const void *found =
            ::memmem(bytes.constData(), size_t(bytes.size()), marker.data(), size_t(marker.size()));
        if (!found)
            state.SkipWithError("no end marker");
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void LinkWalk(benchmark::State &state)
{
    const QByteArray &bytes = page(state.range(0));
    const QString text = QString::fromLatin1(bytes);
    const qsizetype expected = state.range(0) * 1024 * 1024 / EntrySize;
    for (auto _ : state) {
        LinkWalker walker(text, FileHost);
        PageLink link;
        qsizetype links = 0;
        LinkWalker::Step step;
        while ((step = walker.next(link)) != LinkWalker::Step::Done)
            links += step == LinkWalker::Step::Link;
        if (links != expected)
            state.SkipWithError("links were lost");
        benchmark::DoNotOptimize(link.address.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

} // namespace

BENCHMARK(PageGathering)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(MemmemScan)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(LinkWalk)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond);
