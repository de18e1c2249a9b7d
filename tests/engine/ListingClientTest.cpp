#include "TestEngine.h"

#include "listing/ListingClient.h"
#include "platform/TcpClientSocket.h"
#include "report/ErrorReporter.h"

using namespace Qt::StringLiterals;

namespace {

QString parsing(int page, int count)
{
    return u"Parsing page %1. Submissions found: %2"_s.arg(page).arg(count);
}
QStringList paths(const QString &folder, std::initializer_list<int> pages)
{
    QStringList result;
    for (int page : pages)
        result.append(u"/%1/someone/%2"_s.arg(folder).arg(page));
    return result;
}
ListedFolder galleryOf(const QString &user)
{
    return {user, FolderNames::Gallery, {}, 0, {}};
}
// Lists the folder from the page after pages, until the listing hands it over into *folder.
bool listed(OwnPart<ListingClient> &own, const ListedFolder &start, ListedFolder *folder,
            int16_t pages = 0)
{
    bool done = false;
    const auto connection =
        QObject::connect(&own.part, &ListingClient::folderListed,
                         [&](const ListedFolder &f) { *folder = f, done = true; });
    own.part.listFolder(start, pages);
    const bool ok = waitUntil([&] { return done; }, 60000);
    QObject::disconnect(connection);
    return ok;
}

} // namespace

// Whole replies and replies in one-byte pieces are each handled once.
TEST(Listing, AGalleryIsListedPageByPage)
{
    for (const auto &[pieceSize, submissions, pages] : {std::tuple{0, 10, 3}, {1, 5, 2}}) {
        SCOPED_TRACE(pieceSize);
        TestEngine engine;
        engine.addUser(u"someone"_s, submissions);
        engine.start();
        engine.timeouts.pageBytes =
            engine.pages->reply(u"/gallery/someone/1"_s).size(); // none larger
        OwnPart<ListingClient> own(engine);
        engine.pages->setPieceSize(pieceSize);
        QObject::connect(&own.log, &EventLog::lineAdded, [&](const QString &text) {
            EXPECT_TRUE(!text.startsWith(u"Found "_s) ||
                        engine.display.status == u"Listing files...");
        });
        ListedFolder folder;
        ASSERT_TRUE(listed(own, galleryOf(u"someone"_s), &folder));

        const QString found = u"Found %1 submissions on %2 page(s)."_s.arg(submissions).arg(pages);
        QStringList expected;
        for (int page = 1; page <= pages; ++page)
            expected.append(black(parsing(page, (page - 1) * 4)));
        expected.append(black(found));
        EXPECT_EQ(own.colouredLines(), expected);
        EXPECT_EQ(engine.pages->requestPaths(),
                  paths(u"gallery"_s, pages == 3 ? std::initializer_list<int>{1, 2, 3, 4}
                                                 : std::initializer_list<int>{1, 2, 3}));
        // The thumbnail addresses became the files' own addresses, in page order.
        const SimSubmission &last = engine.submission(u"someone"_s, u"gallery"_s, submissions - 1);
        EXPECT_EQ(folder.SubmissionQueue.size(), submissions);
        EXPECT_EQ(folder.SubmissionQueue.last().Url, "http://" + TestHosts::File + last.filePath());
    }
}

TEST(Listing, EachFilterSkipsWithItsOwnLine)
{
    const auto make = [](int id, const QString &title, const QString &ext = u"png"_s,
                         const QString &rating = u"general"_s) {
        return GalleryContent::make(id, u"someone"_s, u"s%1"_s.arg(id), ext, title, rating);
    };
    TestEngine engine;
    SimUser user;
    user.name = u"someone"_s;
    user.gallery = {make(1, u"Picture"_s, u"jpg"_s),
                    make(2, u"Tale"_s, u"txt"_s, u"mature"_s),
                    make(3, u"Song &amp; Dance"_s, u"mp3"_s),
                    make(4, u"Anim"_s, u"png"_s, u"adult"_s),
                    make(5, u"More"_s, u"gif"_s),
                    make(6, u"Loop"_s, u"swf"_s, u"adult"_s)}; // its type is judged first
    engine.content.addUser(user);
    engine.start();
    OwnPart<ListingClient> own(engine);
    engine.settings.types = {false, true, true, false};
    engine.settings.ratings = {true, false, false};
    // Already on disk, where the download would put it ("Title only" naming).
    ASSERT_TRUE(QDir(engine.folder.path()).mkdir(u"someone-gallery"_s));
    QFile(engine.path(u"someone-gallery/Song & Dance.mp3"_s)).open(QIODevice::WriteOnly);
    // A folder of a file's name is no file: "More" is still wanted.
    ASSERT_TRUE(QDir(engine.path(u"someone-gallery"_s)).mkdir(u"More.gif"_s));
    // GFX is wanted again from the submission after the first refusal on.
    QObject::connect(&own.log, &EventLog::lineAdded, [&](const QString &text) {
        if (text.endsWith(u": No GFX"_s))
            engine.settings.types[0] = true;
    });
    ListedFolder folder;
    ASSERT_TRUE(listed(own, galleryOf(u"someone"_s), &folder));
    EXPECT_EQ(own.colouredLines().mid(1, 6),
              (QStringList{black(u"Skipping \"Picture\": No GFX"_s),
                           black(u"Skipping \"Tale\": No mature subs"_s),
                           green(u"Skipping \"Song & Dance\": Already exists"_s),
                           black(u"Skipping \"Anim\": No adult subs"_s), black(parsing(2, 0)),
                           black(u"Skipping \"Loop\": No flash"_s)}));
    EXPECT_EQ(folder.QueueCount, 1);
    EXPECT_EQ(folder.SubmissionQueue[0].Title, u"More"_s);
}

// A page whose connection drops or stalls is fetched again, never skipped;
// a page lost too often is given up with a red line.
TEST(Listing, ALostPageIsFetchedAgain)
{
    // Stalled (or dropped), how often, the pages asked for, the line of each loss.
    // clang-format off
    const std::tuple<bool, int, QStringList, QString> cases[] = {
        {false, 2, paths(u"gallery"_s, {1, 2, 2, 2, 3}), u"List socket disconnected."_s},
        {true, 1, paths(u"gallery"_s, {1, 2, 2, 3}), u"List socket timed out."_s},
        {true, 100, paths(u"gallery"_s, {1, 2, 2, 2, 2}), {}},
    };
    // clang-format on
    for (const auto &[stall, times, requested, line] : cases) {
        SCOPED_TRACE(testing::Message() << stall << times);
        TestEngine engine;
        engine.timeouts.listStallMs = 1000;
        engine.addUser(u"someone"_s, 6);
        engine.start();
        const QString path = u"/gallery/someone/2"_s;
        stall ? engine.pages->stallNext(times, path) : engine.pages->dropNext(times, path);
        engine.get(u"someone"_s, true);
        if (times < 100) {
            ASSERT_TRUE(engine.waitForLine(u"Found 6 submissions on 2 page(s)."_s));
            EXPECT_EQ(engine.colouredLines().count(red(line)), times);
            EXPECT_EQ(engine.lines().count(parsing(2, 4)), 1);
            EXPECT_TRUE(engine.errorReports().isEmpty());
        } else {
            const QString given = red(u"Could not list page 2 of someone's gallery: the connection "
                                      u"was lost 4 times before the page was complete"_s);
            ASSERT_TRUE(waitUntil([&] { return !engine.colouredLines().filter(given).isEmpty(); }));
        }
        EXPECT_EQ(engine.pages->requestPaths(), requested);
    }
}

// Each of them leaves the folder incomplete, which its red line marks as an error.
TEST(Listing, UnreadableEntriesAreSkipped)
{
    TestEngine engine;
    engine.addUser(u"someone"_s, 0);
    engine.start();
    const QString host = TestHosts::File;
    const QString good = "<a href=\"/view/1/\"><img src=\"http://" + host +
                         u"/art/someone/1.pic.200.thumbnail.png\" /></a><div><span "
                         u"class=\"icon-image general\"></span>&nbsp;</div><div "
                         u"class=\"info\"><span>Good</span></div>\n"_s;
    const QString broken =
        "<a href=\"/view/2/\"><img src=\"http://" + host + u"/art/someone/2.pic.png\"></a>\n"_s;
    engine.pages->setRawReply(u"/gallery/someone/1"_s, ("HTTP/1.1 200 OK\r\n\r\n<html>" + broken +
                                                        good + "Page generated in 0.1 s</html>")
                                                           .toLatin1());
    engine.pages->setRawReply(u"/gallery/someone/2"_s,
                              "HTTP/1.1 503 Service Unavailable\r\n\r\n<p>Down for "
                              "maintenance</p>Page generated in 0.1 s");
    OwnPart<ListingClient> own(engine);
    // Nor does an unreadable entry count as known: a quick listing goes on.
    engine.settings.quickSync = true;
    own.part.setArchiveLookup([](qint64 number) { return number == 1; });
    QList<int> marked; // the folder's error marks so far, at each red line
    int incomplete = 0;
    QObject::connect(&own.part, &ListingClient::folderIncomplete, [&] { ++incomplete; });
    QObject::connect(&own.log, &EventLog::lineAdded, [&](const QString &, int32_t colour) {
        if (colour == 0x0000FF)
            marked << incomplete;
    });
    ListedFolder folder;
    ASSERT_TRUE(listed(own, galleryOf(u"someone"_s), &folder));
    EXPECT_EQ(marked, (QList<int>{1, 2}));
    EXPECT_EQ(
        own.colouredLines().mid(0, 5),
        (QStringList{black(parsing(1, 0)), red(u"Skipping an unreadable entry on page 1."_s),
                     black(parsing(2, 1)),
                     red(u"Page 2 of someone's gallery lists nothing: the folder ends here."_s),
                     black(u"Found 1 submissions on 1 page(s)."_s)}));
    EXPECT_EQ(folder.SubmissionQueue[0].Url,
              "http://" + host + u"/art/someone/1.someone.pic.png"_s);
    EXPECT_EQ(engine.pages->requests().size(), 2);
}

// A folder that never ends is listed up to page 32767; a folder queues at
// most 32767 submissions.
TEST(Listing, CountsStopAtTheirSixteenBitLimits)
{
    // Endless, the counts at the start, the limit's line, the last line, the pages asked for.
    // clang-format off
    const std::tuple<bool, int16_t, int16_t, QString, QString, QStringList> cases[] = {
        {true, 32765, 0, u"Page limit reached: someone's gallery is listed up to page 32767."_s, u"Found 4 submissions on 32767 page(s)."_s, paths(u"gallery"_s, {32766, 32767})},
        {false, 0, 32765, u"Queue full at 32767 submissions: the rest of someone's gallery is not listed."_s, u"Found 32767 submissions on 1 page(s)."_s, paths(u"gallery"_s, {1})},
    };
    // clang-format on
    for (const auto &[endless, pageNumber, queueCount, limit, found, requested] : cases) {
        SCOPED_TRACE(endless);
        TestEngine engine;
        engine.addUser(u"someone"_s, endless ? 2 : 8);
        engine.start();
        engine.pages->setEndless(endless);
        OwnPart<ListingClient> own(engine);
        ListedFolder start = galleryOf(u"someone"_s), folder;
        start.SubmissionQueue.resize(queueCount);
        start.QueueCount = queueCount;
        ASSERT_TRUE(listed(own, start, &folder, pageNumber));
        EXPECT_EQ(engine.pages->requestPaths(), requested);
        const QStringList lines = own.colouredLines();
        EXPECT_EQ(lines.mid(lines.indexOf(red(limit)), 2), (QStringList{red(limit), black(found)}));
        EXPECT_EQ(folder.SubmissionQueue.value(32766).Title,
                  endless ? QString() : u"Gallery piece 2"_s);
    }
}

// A listing client on a socket of its own, so that socket events can be raised by hand.
TEST(ListingSocketEvents, AnErrorWhileAPageArrivesFetchesItAgain)
{
    TestEngine engine;
    engine.addUser(u"someone"_s, 2);
    engine.listen(engine);
    engine.settings.savePath = engine.folder.path();
    OwnPart<ListingClient> own(engine);
    TcpClientSocket &socket = own.socket;
    const EventLog &log = own.log;

    emit socket.errorOccurred(SocketError::TimedOut, u"Connection timed out"_s);
    emit socket.errorOccurred(SocketError::HostNotFound, u"Host not found"_s);
    EXPECT_EQ(engine.errorReports(),
              (QStringList{u"Could not open connection on sock1.\r\nCheck if GS is up, and your "
                           u"firewall settings before sending a bug report."_s,
                           u"Error 11001 raised by sock1."_s}));

    engine.pages->stallNext(1, u"/gallery/someone/1"_s);
    own.part.listFolder(galleryOf(u"someone"_s));
    ASSERT_TRUE(waitUntil([&] { return engine.pages->requests().size() == 1; }));
    emit socket.errorOccurred(SocketError::ConnectionReset, u"Connection reset"_s);
    ASSERT_TRUE(waitUntil([&] { return engine.pages->requests().size() >= 2; }));
    EXPECT_EQ(engine.pages->requestPaths().mid(0, 2), paths(u"gallery"_s, {1, 1}));
    EXPECT_EQ(log.lineText(0), u"List socket disconnected."_s);
    EXPECT_EQ(engine.errorReports().size(), 2);

    // A close after the page's end only logs.
    ASSERT_TRUE(
        waitUntil([&] { return log.lineText(log.lineCount() - 1).startsWith(u"Found "_s); }));
    const int before = log.lineCount();
    const qsizetype requests = engine.pages->requests().size();
    emit socket.closed();
    EXPECT_EQ(log.lineText(before), u"List socket disconnected."_s);
    drainPostedEvents();
    EXPECT_EQ(engine.pages->requests().size(), requests);
}
