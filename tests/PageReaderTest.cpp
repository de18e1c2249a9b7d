#include "listing/PageReader.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const QString Host = QStringLiteral("files.example");

QString entry(int id, const QString &thumb, const QString &rating, const QString &name)
{
    return QStringLiteral("<div class=\"s\"><a href=\"/view/%1/\"><img alt=\"\" src=\"http://")
               .arg(id) +
           Host + thumb + QStringLiteral("\" /></a><div class=\"r\"><span class=\"icon-image ") +
           rating + QStringLiteral("\"></span>&nbsp;</div><div class=\"info\"><span>") + name +
           QStringLiteral("</span> by x</div></div>\n");
}

QString page(const QString &body)
{
    return QStringLiteral("HTTP/1.1 200 OK\r\n\r\n<html><div id=\"header\"><img src=\"http://") +
           Host + QStringLiteral("/avatar.png\" /></div>") + body +
           QStringLiteral("<div>Page generated in 0.1 seconds</div></html>");
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

TEST(PageKind, PhrasesDecideInOrderOverTheWholePage)
{
    struct Case
    {
        QString body;
        PageKind kind;
    };
    const std::vector<Case> cases = {
        {entry(1, "/a/1.png", "general", "Plain"), PageKind::Submissions},
        {QStringLiteral("There are no submissions to list"), PageKind::FolderEnd},
        {QStringLiteral("The user could not be found."), PageKind::UserMissing},
        // Both phrases: the missing user wins.
        {QStringLiteral("no submissions to list, not be found"), PageKind::UserMissing},
        // Inside a submission's name on a full page.
        {entry(1, "/a/1.png", "general", "I have no submissions to list"), PageKind::FolderEnd},
        {entry(1, "/a/1.png", "general", "Lost, and will not be found"), PageKind::UserMissing},
        // Case matters.
        {QStringLiteral("No Submissions To List / NOT BE FOUND"), PageKind::Submissions},
    };
    for (const Case &c : cases)
        EXPECT_EQ(completePageKind(page(c.body)), c.kind) << c.body.toStdString();
}

TEST(PageGatherer, CompleteOnlyAtThePieceThatBringsTheEndMarker)
{
    const QString text = page(entry(1, "/a/1.png", "general", "One"));
    const qsizetype markerEnd = text.indexOf(PageMarkers::PageEnd) + PageMarkers::PageEnd.size();
    // Every piece size, down to one character, so the marker straddles every boundary.
    for (qsizetype pieceSize : {qsizetype(1), qsizetype(2), qsizetype(3), qsizetype(7),
                                qsizetype(16), qsizetype(17), qsizetype(100), text.size()}) {
        QString buffer;
        PageGatherer gatherer;
        qsizetype completedAt = -1;
        for (qsizetype at = 0; at < text.size(); at += pieceSize) {
            const PageKind kind = gatherer.add(buffer, QStringView(text).mid(at, pieceSize));
            if (kind != PageKind::Incomplete && completedAt < 0)
                completedAt = at + std::min(pieceSize, text.size() - at);
            if (completedAt < 0) {
                EXPECT_EQ(kind, PageKind::Incomplete);
            } else {
                EXPECT_EQ(kind, PageKind::Submissions);
            }
        }
        EXPECT_EQ(buffer, text);
        ASSERT_GE(completedAt, markerEnd) << pieceSize;
        EXPECT_LT(completedAt - pieceSize, markerEnd) << pieceSize;
    }
}

TEST(PageGatherer, StartsAgainAfterReset)
{
    PageGatherer gatherer;
    QString buffer;
    EXPECT_EQ(gatherer.add(buffer, u"xx Page generated in 1s"), PageKind::Submissions);
    buffer.clear();
    gatherer.reset();
    EXPECT_EQ(gatherer.add(buffer, u"Page gen"), PageKind::Incomplete);
    EXPECT_EQ(gatherer.add(buffer, u"erated in no submissions to list"), PageKind::FolderEnd);
}

TEST(PageGatherer, BufferEmptiedElsewhereIsScannedAfresh)
{
    PageGatherer gatherer;
    QString buffer;
    EXPECT_EQ(gatherer.add(buffer, QString(200, u'x')), PageKind::Incomplete);
    buffer.clear(); // emptied by the next folder without telling the gatherer
    EXPECT_EQ(gatherer.add(buffer, u"Page generated in"), PageKind::Submissions);
}

TEST(LinkWalker, CutsAddressRatingStretchAndName)
{
    const QString text =
        page(entry(1, "/art/a/1.pic.200.thumbnail.png", "general", "First &amp; one") +
             entry(2, "/art/b/2.tale.txt.png", "adult", "Second") +
             entry(3, "/art/c/3.x.mp3.png", "mature", ""));
    const Walked result = walk(text);
    ASSERT_EQ(result.links.size(), 3u);
    EXPECT_EQ(result.malformed, 0);
    EXPECT_EQ(result.links[0].address,
              QStringLiteral("http://files.example/art/a/1.pic.200.thumbnail.png"));
    EXPECT_EQ(result.links[0].nameMarkup, QStringLiteral("First &amp; one"));
    EXPECT_TRUE(result.links[0].ratingStretch.startsWith(Host));
    EXPECT_TRUE(result.links[0].ratingStretch.contains(u"icon-image general"));
    EXPECT_FALSE(result.links[0].ratingStretch.contains(u"&nbsp;"));
    EXPECT_EQ(result.links[1].address, QStringLiteral("http://files.example/art/b/2.tale.txt.png"));
    EXPECT_TRUE(result.links[1].ratingStretch.contains(u"icon-image adult"));
    EXPECT_EQ(result.links[1].nameMarkup, QStringLiteral("Second"));
    EXPECT_EQ(result.links[2].nameMarkup, QString());
    EXPECT_EQ(result.steps.back(), LinkWalker::Step::Done);
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
        {"no file host", QString(full).replace(Host, QStringLiteral("elsewhere.example"))},
        {"no closing quote", QString(full).replace(PageMarkers::AddressEnd, QStringLiteral("\">"))},
        {"no rating end", QString(full).replace(PageMarkers::RatingEnd, QStringLiteral("></div>"))},
        {"no info marker",
         QString(full).replace(PageMarkers::NameStart, QStringLiteral("<div class=\"x\"><span>"))},
        {"no name end",
         QString(full).replace(QStringLiteral("Two</span>"), QStringLiteral("Two</b>"))},
    };
    for (const Case &c : cases) {
        const Walked result = walk(page(good1 + c.broken + good3));
        ASSERT_EQ(result.links.size(), 2u) << c.what;
        EXPECT_EQ(result.malformed, 1) << c.what;
        EXPECT_EQ(result.links[0].nameMarkup, QStringLiteral("One")) << c.what;
        EXPECT_EQ(result.links[1].nameMarkup, QStringLiteral("Three")) << c.what;
        EXPECT_EQ(result.links[1].address, QStringLiteral("http://files.example/a/3.png"))
            << c.what;
        EXPECT_EQ(result.steps[1], LinkWalker::Step::Malformed) << c.what;
    }
}

TEST(LinkWalker, LastEntryLackingMarkersAndPagesWithoutEntries)
{
    // The last entry is cut off before its name: skipped, never a negative length.
    const QString cut = QStringLiteral("<a href=\"/view/9/\"><img src=\"http://") + Host +
                        QStringLiteral("/a/9.png\" /></a>");
    Walked result = walk(page(entry(1, "/a/1.png", "general", "One") + cut));
    EXPECT_EQ(result.links.size(), 1u);
    EXPECT_EQ(result.malformed, 1);

    result = walk(page(QStringLiteral("<p>nothing here</p>")));
    EXPECT_TRUE(result.links.empty());
    EXPECT_EQ(result.steps, std::vector<LinkWalker::Step>{LinkWalker::Step::Done});

    // Walking an empty text or one that ends right after the entry marker.
    EXPECT_EQ(walk(QString()).steps.size(), 1u);
    result = walk(QStringLiteral("href=\"/view/"));
    EXPECT_EQ(result.malformed, 1);
}
