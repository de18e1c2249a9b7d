#include "listing/PageReader.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QString Host = u"files.example"_s;

QString entry(int id, const QString &thumb, const QString &rating, const QString &name)
{
    return u"<div class=\"s\"><a href=\"/view/%1/\"><img alt=\"\" src=\"http://"_s.arg(id) + Host +
           thumb + u"\" /></a><div class=\"r\"><span class=\"icon-image "_s + rating +
           u"\"></span>&nbsp;</div><div class=\"info\"><span>"_s + name +
           u"</span> by x</div></div>\n"_s;
}

QString page(const QString &body)
{
    return u"HTTP/1.1 200 OK\r\n\r\n<html><div id=\"header\"><img src=\"http://"_s + Host +
           u"/avatar.png\" /></div>"_s + body +
           u"<div>Page generated in 0.1 seconds</div></html>"_s;
}

struct Walked
{
    std::vector<PageLink> links;
    int malformed = 0;
    std::vector<LinkWalker::Step> steps;
};

Walked walk(const QString &text)
{
    Walked result;
    LinkWalker walker(text, Host);
    PageLink link;
    for (int guard = 0; guard < 1000; ++guard) {
        const LinkWalker::Step step = walker.next(link);
        result.steps.push_back(step);
        if (step == LinkWalker::Step::Done)
            break;
        if (step == LinkWalker::Step::Malformed)
            ++result.malformed;
        else
            result.links.push_back(link);
    }
    return result;
}

} // namespace

TEST(PageGatherer, CompleteOnlyAtThePieceThatBringsTheEndMarker)
{
    const QByteArray text = page(entry(1, "/a/1.png", "general", "One")).toLatin1();
    const qsizetype markerEnd = text.indexOf(PageMarkers::PageEnd) + PageMarkers::PageEnd.size();
    // Every piece size, down to one byte, so the marker straddles every boundary.
    for (const qsizetype pieceSize :
         std::initializer_list<qsizetype>{1, 2, 3, 7, 16, 17, 100, text.size()}) {
        QString buffer;
        PageGatherer gatherer;
        qsizetype completedAt = -1;
        for (qsizetype at = 0; at < text.size(); at += pieceSize) {
            const PageKind kind = gatherer.add(buffer, text.mid(at, pieceSize));
            if (kind != PageKind::Incomplete && completedAt < 0)
                completedAt = at + std::min(pieceSize, text.size() - at);
            EXPECT_EQ(kind, completedAt < 0 ? PageKind::Incomplete : PageKind::Submissions);
            EXPECT_EQ(buffer.isEmpty(), completedAt < 0);
        }
        EXPECT_EQ(buffer, QString::fromLatin1(text));
        ASSERT_GE(completedAt, markerEnd) << pieceSize;
        EXPECT_LT(completedAt - pieceSize, markerEnd) << pieceSize;
    }
}

// Phrases split across pieces, bytes above 127, and a piece after the end.
TEST(PageGatherer, SplitPhrasesAndLatin1Text)
{
    struct Case
    {
        std::vector<QByteArray> pieces;
        PageKind kind; // at the last piece; Incomplete before the end marker
    };
    const std::vector<Case> cases = {
        {{"a Page gen", "erated in"}, PageKind::Submissions},
        {{"Page generated i", "n 0.1", " seconds</html>"}, PageKind::Submissions},
        {{"not be f", "ound", " Page generated in"}, PageKind::UserMissing},
        {{"no submissions ", "to list P", "age generated in"}, PageKind::FolderEnd},
        {{"Page generated in", " no submissions to list", " not be", " found"},
         PageKind::UserMissing},
        {{"caf\xe9 \xff", "Page generated in \x80"}, PageKind::Submissions},
    };
    for (const Case &c : cases) {
        PageGatherer gatherer;
        QString buffer;
        QByteArray sent;
        for (const QByteArray &piece : c.pieces) {
            sent += piece;
            const PageKind kind = gatherer.add(buffer, piece);
            const bool last = &piece == &c.pieces.back();
            if (last || !sent.contains(PageMarkers::PageEnd)) {
                EXPECT_EQ(kind, last ? c.kind : PageKind::Incomplete) << sent.toStdString();
            }
        }
        EXPECT_EQ(buffer, QString::fromLatin1(sent));
    }
}

TEST(LinkWalker, EntryLackingAMarkerIsSkippedWithoutBorrowingTheNext)
{
    const QString good1 = entry(1, "/a/1.png", "general", "One");
    const QString good3 = entry(3, "/a/3.png", "mature", "Three");
    const QString full = entry(2, "/a/2.png", "adult", "Two");
    struct Case
    {
        const char *what;
        QString broken;
    };
    const std::vector<Case> cases = {
        {"no file host", QString(full).replace(Host, u"elsewhere.example"_s)},
        {"no closing quote", QString(full).replace(PageMarkers::AddressEnd, u"\">"_s)},
        {"no rating end", QString(full).replace(PageMarkers::RatingEnd, u"></div>"_s)},
        {"no info marker",
         QString(full).replace(PageMarkers::NameStart, u"<div class=\"x\"><span>"_s)},
        {"no name end", QString(full).replace(u"Two</span>"_s, u"Two</b>"_s)},
    };
    for (const Case &c : cases) {
        const Walked result = walk(page(good1 + c.broken + good3));
        ASSERT_EQ(result.links.size(), 2u) << c.what;
        EXPECT_EQ(result.malformed, 1) << c.what;
        EXPECT_EQ(result.links[0].nameMarkup, u"One"_s) << c.what;
        EXPECT_EQ(result.links[1].nameMarkup, u"Three"_s) << c.what;
        EXPECT_EQ(result.links[1].address, u"http://files.example/a/3.png"_s) << c.what;
        EXPECT_EQ(result.steps[1], LinkWalker::Step::Malformed) << c.what;
    }
}
