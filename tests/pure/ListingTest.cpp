#include "listing/ListingRequest.h"
#include "listing/PageReader.h"
#include "listing/SubmissionFilters.h"

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
TEST(PageGatherer, KindHoldsHoweverTheTextIsSplit)
{
    // The kind is that of the last piece; Incomplete before the end marker.
    // clang-format off
    const std::vector<std::pair<std::vector<QByteArray>, PageKind>> cases = {
        {{"a Page gen", "erated in"}, PageKind::Submissions},
        {{"Page generated i", "n 0.1", " seconds</html>"}, PageKind::Submissions},
        {{"not be f", "ound", " Page generated in"}, PageKind::UserMissing},
        {{"no submissions ", "to list P", "age generated in"}, PageKind::FolderEnd},
        {{"Page generated in", " no submissions to list", " not be", " found"}, PageKind::UserMissing},
        {{"caf\xe9 \xff", "Page generated in \x80"}, PageKind::Submissions},
        {{"no submissions to list Page generated in", " more"}, PageKind::FolderEnd},
    };
    // clang-format on
    for (const auto &[pieces, lastKind] : cases) {
        PageGatherer gatherer;
        QString buffer;
        QByteArray sent;
        for (const QByteArray &piece : pieces) {
            sent += piece;
            const PageKind kind = gatherer.add(buffer, piece);
            const bool last = &piece == &pieces.back();
            if (last || !sent.contains(PageMarkers::PageEnd)) {
                EXPECT_EQ(kind, last ? lastKind : PageKind::Incomplete) << sent.toStdString();
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
    // clang-format off
    const std::pair<const char *, QString> cases[] = {
        {"no file host", QString(full).replace(Host, u"elsewhere.example"_s)},
        {"no closing quote", QString(full).replace(PageMarkers::AddressEnd, u"\">"_s)},
        {"no rating end", QString(full).replace(PageMarkers::RatingEnd, u"></div>"_s)},
        {"no info marker", QString(full).replace(PageMarkers::NameStart, u"<div class=\"x\"><span>"_s)},
        {"no name end", QString(full).replace(u"Two</span>"_s, u"Two</b>"_s)},
    };
    // clang-format on
    for (const auto &[what, broken] : cases) {
        const Walked result = walk(page(good1 + broken + good3));
        ASSERT_EQ(result.links.size(), 2u) << what;
        EXPECT_EQ(result.malformed, 1) << what;
        EXPECT_EQ(result.links[0].nameMarkup, u"One"_s) << what;
        EXPECT_EQ(result.links[1].nameMarkup, u"Three"_s) << what;
        EXPECT_EQ(result.links[1].address, u"http://files.example/a/3.png"_s) << what;
        EXPECT_EQ(result.links[1].number, 3) << what;
        EXPECT_EQ(result.steps[1], LinkWalker::Step::Malformed) << what;
    }
}

TEST(AddressRewriting, ThumbnailAddressBecomesTheFileAddress)
{
    const auto f = [](const char *path) {
        return "http://files.example" + QString::fromLatin1(path);
    };
    const QString bob = u"bob"_s, someone = u"someone"_s;
    const QString scraps = u"scraps"_s, gallery = u"gallery"_s;
    // What, address, user, folder, the owner fix, the rewritten address.
    // clang-format off
    const std::tuple<const char *, QString, QString, QString, bool, QString> cases[] = {
        {"nothing to do", f("/art/a/1.a.pic.png"), bob, scraps, true, f("/art/a/1.a.pic.png")},
        {"size mark", f("/art/a/12.a.pic.200.thumbnail.png"), bob, scraps, false, f("/art/a/12.a.pic.png")},
        {"owner fix", f("/art/quillmere/12_ab_.quillmere.pic.200.thumbnail.png"), bob, scraps, true, f("/art/quillmere/12.quillmere.pic.png")},
        {"owner listing, any case", f("/art/quillmere/12_ab_.quillmere.pic.200.thumbnail.png"), u"QuillMere"_s, scraps, true, f("/art/quillmere/12_ab_.quillmere.pic.png")},
        {"owner fix unticked", f("/art/quillmere/12_ab_.quillmere.pic.200.thumbnail.png"), bob, scraps, false, f("/art/quillmere/12_ab_.quillmere.pic.png")},
        {"owner fix needs the owner's name", f("/art/a/12_ab_.pic.200.thumbnail.png"), bob, scraps, true, f("/art/a/12_ab_.pic.png")},
        {"double dots", f("/art/a/1..png"), bob, scraps, false, f("/art/a/1.png")},
        {"triple dots, one pass", f("/art/a/1...png"), bob, scraps, false, f("/art/a/1..png")},
        {"gallery owner mark", f("/art/someone/1234.picture.png"), someone, gallery, false, f("/art/someone/1234.someone.picture.png")},
        {"owner mark not twice", f("/art/someone/1234.someone.picture.png"), someone, gallery, false, f("/art/someone/1234.someone.picture.png")},
        {"no owner mark outside the gallery", f("/art/someone/1234.picture.png"), someone, u"favorites"_s, false, f("/art/someone/1234.picture.png")},
        {"text", f("/art/a/1.a.tale.txt.png"), bob, scraps, false, f("/art/a/1.a.tale.txt")},
        {"flash", f("/art/a/1.a.loop.swf.png"), bob, scraps, false, f("/art/a/1.a.loop.swf")},
        {"music ending in .mp3 still loses four", f("/art/a/1.a.song.mp3"), bob, scraps, false, f("/art/a/1.a.song")},
        {".mp3 anywhere", f("/art/x.mp3/1.a.song.png"), bob, scraps, false, f("/art/x.mp3/1.a.song")},
        {"line break with indentation", u"http://files.example/art/a/1.a.\r\n      pic.png"_s, bob, scraps, false, f("/art/a/1.a.pic.png")},
        {"all together, picture", f("/art/someone/1234.picture.200.thumbnail.png"), someone, gallery, true, f("/art/someone/1234.someone.picture.png")},
        {"all together, story", f("/art/someone/1234.story.txt.png"), someone, gallery, true, f("/art/someone/1234.someone.story.txt")},
    };
    // clang-format on
    for (const auto &[what, url, user, folder, urlFix, expected] : cases)
        EXPECT_EQ(rewriteAddress(url, user, folder, urlFix), expected) << what;
}

TEST(ListingRequest, RequestsMatchByteForByte)
{
    const QString headers =
        u"Host: gallery.example\r\n"
        u"User-Agent: Mozilla/5.0 (Windows NT 5.1; rv:6.0.1) Gecko/20100101 Firefox/6.0.1\r\n"
        u"Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
        u"Accept-Language: fr,fr-fr;q=0.8,en-us;q=0.5,en;q=0.3\r\n"
        u"Accept- Encoding: gzip , deflate\r\n"
        u"Accept-Charset: ISO-8859-1,utf-8;q=0.7,*;q=0.7\r\n"
        u"Connection: keep-alive\r\n"_s;
    // Folder, user, page, cookie b, cookie a; the request line and the cookie line.
    // clang-format off
    const std::tuple<const char *, const char *, int, const char *, const char *, const char *,
                     const char *>
        cases[] = {
            {"gallery", "someone", 1, "", "", "GET /gallery/someone/1 HTTP/1.1", "Cookie: b=; a=; folder=outbox"},
            {"scraps", "someone", 2, "", "", "GET /scraps/someone/2 HTTP/1.1", "Cookie: b=; a=; folder=outbox"},
            {"favorites", "someone", 1, "", "", "GET /favorites/someone/1 HTTP/1.1", "Cookie: b=; a=; folder=outbox"},
            {"gallery", "someone", 10, "12345", "abcdef", "GET /gallery/someone/10 HTTP/1.1", "Cookie: b=12345; a=abcdef; folder=outbox"},
            // Cookie texts and the user name go in as they stand: nothing is escaped.
            {"gallery", "someone", 32767, " x;y ", "a=b", "GET /gallery/someone/32767 HTTP/1.1", "Cookie: b= x;y ; a=a=b; folder=outbox"},
            {"gallery", "Some One%20", 3, "", "", "GET /gallery/Some One%20/3 HTTP/1.1", "Cookie: b=; a=; folder=outbox"},
            // Except line breaks and other control characters, which would start new lines.
            {"gallery", "some\r\none", 1, "12\r\n345\n", "\x01" "ab\x1f\x7f", "GET /gallery/someone/1 HTTP/1.1", "Cookie: b=12345; a=ab; folder=outbox"},
        };
    // clang-format on
    for (const auto &[folder, user, page, cookieB, cookieA, requestLine, cookieLine] : cases) {
        const ListingRequestFields fields{folder,  user,   page, u"gallery.example"_s,
                                          cookieB, cookieA};
        EXPECT_EQ(listingRequest(fields), QString::fromLatin1(requestLine) + u"\r\n"_s + headers +
                                              QString::fromLatin1(cookieLine) + u"\r\n\r\n"_s);
    }
}
