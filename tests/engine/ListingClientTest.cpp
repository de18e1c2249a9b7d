#include "ListingTestSite.h"

#include "listing/ListingClient.h"
#include "listing/ListingRequest.h"
#include "log/LogColors.h"
#include "platform/TcpClientSocket.h"
#include "windows/ErrorReporter.h"

#include <QDir>
#include <QFile>
#include <QLabel>

#include <gtest/gtest.h>

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

// The log from the first line that is `first` on, `count` lines long.
QStringList linesFrom(ListingTestSite &site, const QString &first, int count = -1)
{
    const QStringList lines = site.lines();
    return lines.mid(lines.indexOf(first), count);
}

// The queue and status as they stand when a line is logged.
struct QueueSnapshot
{
    QList<QueuedSubmission> entries;
    int16_t queueIndex = -1;
    QString status;
};

void snapshotAt(ListingTestSite &site, const QString &line, QueueSnapshot &snapshot)
{
    QObject::connect(&site.log(), &EventLog::lineAdded, &site.log(),
                     [&site, line, &snapshot](const QString &text, int32_t) {
                         if (text != line || !snapshot.status.isNull())
                             return;
                         snapshot.queueIndex = site.state().QueueIndex;
                         for (int i = 0; i < site.state().QueueCount; ++i)
                             snapshot.entries.append(site.state().SubmissionQueue[size_t(i)]);
                         snapshot.status = site.control<QLabel>(u"Lbl_Status"_s)->text();
                     });
}

} // namespace

// Whole replies and replies in one-byte pieces are each handled once.
TEST(Listing, AGalleryIsListedPageByPageAndHandedOver)
{
    struct Case
    {
        int pieceSize, submissions, pages;
    };
    for (const Case c : {Case{0, 10, 3}, Case{1, 5, 2}}) {
        SCOPED_TRACE(c.pieceSize);
        ListingTestSite site;
        site.addUser(u"someone"_s, c.submissions);
        site.open();
        if (c.pieceSize)
            site.pages->setPieceSize(c.pieceSize);
        const QString foundLine =
            u"Found %1 submissions on %2 page(s)."_s.arg(c.submissions).arg(c.pages);
        QueueSnapshot found;
        snapshotAt(site, foundLine, found);
        site.getFolders(u"SomeOne"_s, true, false, false);
        ASSERT_TRUE(site.waitForLine(foundLine, 1, 60000));

        QStringList expected = {u"Listing someone's gallery..."_s};
        for (int page = 1; page <= c.pages; ++page)
            expected.append(parsing(page, (page - 1) * 4));
        expected.append(foundLine);
        EXPECT_EQ(linesFrom(site, expected.first(), int(expected.size())), expected);
        EXPECT_EQ(site.colorOf(foundLine), LogBlack);
        EXPECT_EQ(site.pages->requestPaths(), c.pages == 3 ? paths(u"gallery"_s, {1, 2, 3, 4})
                                                           : paths(u"gallery"_s, {1, 2, 3}));
        EXPECT_EQ(found.status, u"Listing files..."_s);
        EXPECT_EQ(found.queueIndex, 0);

        // The thumbnail addresses became the files' own addresses, in page order.
        const SimUser *user = site.content.user(u"someone"_s);
        ASSERT_EQ(found.entries.size(), c.submissions);
        for (int i = 0; i < c.submissions; ++i) {
            EXPECT_EQ(found.entries[i].Url,
                      "http://" + TestHosts::File + user->gallery[i].filePath());
            EXPECT_EQ(found.entries[i].Title, user->gallery[i].titleMarkup);
        }
        EXPECT_EQ(site.state().DownloadFolder, QDir::toNativeSeparators(site.test.folder.path()) +
                                                   QDir::separator() + u"someone-gallery"_s);
        EXPECT_TRUE(QFileInfo(site.test.path(u"someone-gallery"_s)).isDir());
    }
}

TEST(Listing, RequestsCarryTheCookiesOfTheMomentByteForByte)
{
    ListingTestSite site;
    site.addUser(u"someone"_s, 6);
    site.open();
    site.setText(u"Txt_CookieB"_s, QString());
    site.setText(u"Txt_CookieA"_s, QString());
    // The cookie typed while page 1 is on its way is used from page 2 on.
    QObject::connect(site.pages.get(), &GalleryPageHost::requestReceived, site.pages.get(),
                     [&site](const QByteArray &) {
                         if (site.pages->requests().size() == 1) {
                             site.setText(u"Txt_CookieB"_s, u"b-value"_s);
                             site.setText(u"Txt_CookieA"_s, u"a value"_s);
                         }
                     });
    site.getFolders(u"someone"_s, true, false, false);
    ASSERT_TRUE(site.waitForLine(u"Found 6 submissions on 2 page(s)."_s));

    const QList<QByteArray> requests = site.pages->requests();
    ASSERT_EQ(requests.size(), 3);
    ListingRequestFields fields{};
    fields.folder = u"gallery"_s;
    fields.user = u"someone"_s;
    fields.hostAlias = TestHosts::PageAlias;
    fields.page = 1;
    EXPECT_EQ(requests[0], listingRequest(fields).toLatin1());
    EXPECT_TRUE(requests[0].contains("\r\nHost: gallery.test.invalid\r\n")); // the alias
    fields.cookieB = u"b-value"_s;
    fields.cookieA = u"a value"_s;
    for (fields.page = 2; fields.page <= 3; ++fields.page)
        EXPECT_EQ(requests[fields.page - 1], listingRequest(fields).toLatin1()) << fields.page;
}

TEST(Listing, MissingUserEndsAGet)
{
    ListingTestSite site;
    site.open();
    site.getFolders(u"Nobody"_s, true, true, true);
    const QString missing = u"User nobody doesn't exist"_s;
    ASSERT_TRUE(site.waitForLine(missing));
    EXPECT_EQ(site.colorOf(missing), LogRed);
    EXPECT_EQ(site.lines().last(), missing);
    EXPECT_EQ(site.pages->requestPaths(), QStringList{u"/gallery/nobody/1"_s});
}

TEST(Listing, PhrasesInsideANameDecideThePageKind)
{
    ListingTestSite site;
    SimUser user;
    user.name = u"someone"_s;
    auto make = [](int id, const QString &title) {
        return GalleryContent::make(id, u"someone"_s, u"s%1"_s.arg(id), u"png"_s, title);
    };
    // The gallery's only page holds the folder-end phrase in a name.
    user.gallery = {make(1, u"Plain"_s), make(2, u"I have no submissions to list"_s)};
    // Scraps: page 1 is fine, page 2 names the missing-user phrase.
    for (int i = 0; i < 4; ++i)
        user.scraps.append(make(10 + i, u"Scrap %1"_s.arg(i)));
    user.scraps.append(make(20, u"What will not be found"_s));
    site.content.addUser(user);
    site.open();

    site.getFolders(u"someone"_s, true, true, false);
    const QString missing = u"User someone doesn't exist"_s;
    ASSERT_TRUE(site.waitForLine(missing));
    // The gallery's only page counts as its end: its links are not examined.
    EXPECT_EQ(linesFrom(site, u"Listing someone's gallery..."_s),
              (QStringList{u"Listing someone's gallery..."_s, u"No submissions to download."_s,
                           u"Listing someone's scraps..."_s, parsing(1, 0), missing}));
    EXPECT_EQ(site.pages->requestPaths(), paths(u"gallery"_s, {1}) + paths(u"scraps"_s, {1, 2}));
}

TEST(Listing, EveryFilterSkipsWithItsLineAndSettingsAreReadPerSubmission)
{
    ListingTestSite site;
    SimUser user;
    user.name = u"someone"_s;
    auto make = [](int id, const QString &ext, const QString &title, const QString &rating) {
        return GalleryContent::make(id, u"someone"_s, u"s%1"_s.arg(id), ext, title, rating);
    };
    user.gallery = {
        make(1, u"png"_s, u"Picture"_s, u"general"_s), make(2, u"txt"_s, u"Tale"_s, u"mature"_s),
        make(3, u"mp3"_s, u"Song &amp; Dance"_s, u"general"_s),
        make(4, u"swf"_s, u"Anim"_s, u"adult"_s), make(5, u"gif"_s, u"More"_s, u"general"_s)};
    site.content.addUser(user);
    site.open();
    site.setType(0, false);
    site.tick(u"Chk_Getmature"_s, false);
    site.tick(u"Chk_Getadult"_s, false);
    // Already on disk, where the download would put it ("Title only" naming).
    ASSERT_TRUE(QDir(site.test.folder.path()).mkdir(u"someone-gallery"_s));
    QFile existing(site.test.path(u"someone-gallery/Song & Dance.mp3"_s));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    // GFX is wanted again from the submission after the first refusal on.
    QObject::connect(&site.log(), &EventLog::lineAdded, &site.log(),
                     [&site](const QString &text, int32_t) {
                         if (text.endsWith(u": No GFX"_s))
                             site.setType(0, true);
                     });

    site.getFolders(u"someone"_s, true, false, false);
    ASSERT_TRUE(site.waitForLine(u"Found 1 submissions on 2 page(s)."_s));
    const QStringList expected = {
        u"Skipping \"Picture\": No GFX"_s, u"Skipping \"Tale\": No mature subs"_s,
        u"Skipping \"Song & Dance\": Already exists"_s, u"Skipping \"Anim\": No adult subs"_s};
    EXPECT_EQ(linesFrom(site, expected.first(), 4), expected);
    for (const QString &line : expected)
        EXPECT_EQ(site.colorOf(line), line.endsWith(u"exists"_s) ? LogGreen : LogBlack);
    EXPECT_EQ(site.state().SubmissionQueue[0].Title, u"More"_s);
}

TEST(Listing, AFolderWhoseEverySubmissionIsFilteredMovesOn)
{
    ListingTestSite site;
    site.addUser(u"someone"_s, 3, 0, 1);
    site.open();
    site.setType(0, false);
    site.getFolders(u"someone"_s, true, false, true);
    ASSERT_TRUE(site.waitForLine(u"Listing someone's favorites..."_s));
    QStringList expected = {u"Listing someone's gallery..."_s, parsing(1, 0)};
    for (int i = 1; i <= 3; ++i)
        expected.append(u"Skipping \"Gallery piece %1\": No GFX"_s.arg(i));
    expected << u"No submissions to download."_s << u"Listing someone's favorites..."_s;
    EXPECT_EQ(linesFrom(site, expected.first(), 7), expected);
    EXPECT_EQ(site.colorOf(u"No submissions to download."_s), LogGreen);
    EXPECT_FALSE(QFileInfo::exists(site.test.path(u"someone-gallery"_s)));
}

// A page whose connection drops or stalls is fetched again, never skipped.
TEST(Listing, ALostPageIsFetchedAgainNotSkipped)
{
    struct Case
    {
        bool stall;
        int times, page, submissions;
        QStringList requested;
        QString line;
    };
    const Case cases[] = {
        {false, 2, 2, 10, paths(u"gallery"_s, {1, 2, 2, 2, 3, 4}), u"List socket disconnected."_s},
        {true, 1, 1, 3, paths(u"gallery"_s, {1, 1, 2}), u"List socket timed out."_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stall);
        ListingTestSite site;
        site.test.timeouts.listStallMs = 2000;
        site.addUser(u"someone"_s, c.submissions);
        site.open();
        const QString path = u"/gallery/someone/%1"_s.arg(c.page);
        c.stall ? site.pages->stallNext(c.times, path) : site.pages->dropNext(c.times, path);
        site.getFolders(u"someone"_s, true, false, false);
        const int pages = (c.submissions + 3) / 4;
        ASSERT_TRUE(site.waitForLine(
            u"Found %1 submissions on %2 page(s)."_s.arg(c.submissions).arg(pages)));
        EXPECT_EQ(site.pages->requestPaths(), c.requested);
        EXPECT_EQ(site.lines().count(c.line), c.times);
        EXPECT_EQ(site.colorOf(c.line), LogRed);
        EXPECT_EQ(site.lines().count(parsing(c.page, (c.page - 1) * 4)), 1);
        EXPECT_TRUE(site.errorReports().isEmpty());
    }
}

TEST(Listing, APageLostTooOftenStopsTheJobWithAReport)
{
    struct Case
    {
        bool stall;
        int retries;
    };
    for (const Case c : {Case{false, 3}, Case{true, 1}}) {
        SCOPED_TRACE(c.stall);
        ListingTestSite site;
        site.test.timeouts.listStallMs = 1500;
        site.test.timeouts.listRetries = c.retries;
        site.addUser(u"someone"_s, 6);
        site.open();
        const QString path = u"/gallery/someone/2"_s;
        c.stall ? site.pages->stallNext(100, path) : site.pages->dropNext(100, path);
        site.getFolders(u"someone"_s, true, false, false);
        const QString report = u"Could not list page 2 of someone's gallery: the connection was "
                               u"lost %1 times before the page was complete."_s.arg(c.retries + 1);
        ASSERT_TRUE(waitUntil([&] { return site.errorReports().contains(report); }));
        QStringList expected = paths(u"gallery"_s, {1});
        for (int i = 0; i <= c.retries; ++i)
            expected.append(path);
        EXPECT_EQ(site.pages->requestPaths(), expected);
        // The job stops there: the next folder is not started.
        EXPECT_FALSE(site.lines().contains(u"No submissions to download."_s));
    }
}

TEST(Listing, ARefusedConnectionIsReportedWithTheSocketsNumber)
{
    ListingTestSite site;
    site.open();
    site.pages->stopListening();
    site.getFolders(u"someone"_s, true, false, false);
    ASSERT_TRUE(waitUntil([&] { return !site.errorReports().isEmpty(); }));
    EXPECT_EQ(site.errorReports(), QStringList{u"Error 10061 raised by sock1."_s});
}

TEST(Listing, AMissingDownloadFolderParentIsReportedAndTheJobMovesOn)
{
    ListingTestSite site;
    site.addUser(u"someone"_s, 2, 0, 0);
    site.open();
    site.setText(u"Txt_Path"_s, site.test.path(u"not-there/deeper"_s));
    site.getFolders(u"someone"_s, true, false, true);
    ASSERT_TRUE(site.waitForLine(u"No submissions to download."_s));
    const QStringList reports = site.errorReports();
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(
        reports[0].startsWith(u"Could not create the download folder for someone's gallery: "_s))
        << reports[0].toStdString();
    EXPECT_TRUE(site.lines().contains(u"Found 2 submissions on 1 page(s)."_s));
    EXPECT_TRUE(site.lines().contains(u"Listing someone's favorites..."_s));
    EXPECT_FALSE(QFileInfo::exists(site.test.path(u"not-there"_s)));
}

TEST(Listing, AnEntryWithoutItsMarkersIsSkippedAndAPageWithoutEntriesEndsTheFolder)
{
    ListingTestSite site;
    site.addUser(u"someone"_s, 0);
    site.open();
    const QString host = TestHosts::File;
    const QString good = "<a href=\"/view/1/\"><img src=\"http://" + host +
                         u"/art/someone/1.pic.200.thumbnail.png\" /></a><div><span "
                         u"class=\"icon-image general\"></span>&nbsp;</div><div "
                         u"class=\"info\"><span>Good</span></div>\n"_s;
    const QString broken =
        "<a href=\"/view/2/\"><img src=\"http://" + host + u"/art/someone/2.pic.png\"></a>\n"_s;
    site.pages->setRawReply(u"/gallery/someone/1"_s, ("HTTP/1.1 200 OK\r\n\r\n<html>" + broken +
                                                      good + "Page generated in 0.1 s</html>")
                                                         .toLatin1());
    site.pages->setRawReply(u"/gallery/someone/2"_s,
                            "HTTP/1.1 503 Service Unavailable\r\n\r\n<p>Down for "
                            "maintenance</p>Page generated in 0.1 s");
    site.getFolders(u"someone"_s, true, false, false);
    const QString found = u"Found 1 submissions on 1 page(s)."_s;
    ASSERT_TRUE(site.waitForLine(found));
    EXPECT_EQ(linesFrom(site, parsing(1, 0), 5),
              (QStringList{
                  parsing(1, 0), u"Skipping an unreadable entry on page 1."_s, parsing(2, 1),
                  u"Page 2 of someone's gallery lists nothing: the folder ends here."_s, found}));
    EXPECT_EQ(site.state().SubmissionQueue[0].Url,
              "http://" + host + u"/art/someone/1.someone.pic.png"_s);
    EXPECT_EQ(site.pages->requests().size(), 2);
}

// A folder that never ends is listed up to page 32767; a folder queues at
// most 32767 submissions.
TEST(Listing, CountsStopAtTheirSixteenBitLimits)
{
    struct Case
    {
        bool endless;
        int16_t pageNumber, queueCount;
        QString limit, found;
        QStringList requested;
    };
    const Case cases[] = {
        {true, 32765, 0, u"Page limit reached: someone's gallery is listed up to page 32767."_s,
         u"Found 4 submissions on 32767 page(s)."_s, paths(u"gallery"_s, {32766, 32767})},
        {false, 0, 32765,
         u"Queue full at 32767 submissions: the rest of someone's gallery is not listed."_s,
         u"Found 32767 submissions on 1 page(s)."_s, paths(u"gallery"_s, {1})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.endless);
        ListingTestSite site;
        site.addUser(u"someone"_s, c.endless ? 2 : 8);
        site.open();
        site.pages->setEndless(c.endless);
        JobState &state = site.state();
        state.CurrentUser = u"someone"_s;
        state.CurrentFolder = u"gallery"_s;
        state.Synching = false;
        state.PageNumber = c.pageNumber;
        state.QueueCount = c.queueCount;
        site.window().listing().GetURLs();
        ASSERT_TRUE(site.waitForLine(c.found));
        EXPECT_EQ(site.pages->requestPaths(), c.requested);
        EXPECT_EQ(linesFrom(site, c.limit, 2), (QStringList{c.limit, c.found}));
        EXPECT_EQ(site.colorOf(c.limit), LogRed);
        if (!c.endless) {
            EXPECT_EQ(state.SubmissionQueue[32766].Title, u"Gallery piece 2"_s);
        }
    }
}

// A listing client on its own socket, so that socket events can be raised by hand.
class ListingSocketEvents : public ::testing::Test
{
protected:
    ListingTestSite site;
    JobState state;
    EventLog log;
    ScriptedPrompts prompts;
    ErrorReporter errors{state, prompts, TestHosts::Support};
    TcpClientSocket socket{[this](const QString &, quint16) {
        return Endpoint{u"127.0.0.1"_s, site.pages->port()};
    }};
    std::unique_ptr<ListingClient> client;

    void start(int submissions)
    {
        site.addUser(u"someone"_s, submissions);
        site.open();
        client = std::make_unique<ListingClient>(state, site.window(), site.window(), log, errors,
                                                 socket, TestWindow::site(), Timeouts{});
        client->setSteps(&site.window().jobs(), &site.window().downloader());
    }
    QStringList reports()
    {
        QStringList result;
        for (const auto &shown : prompts.ofKind(u"error"_s))
            result.append(shown.title);
        return result;
    }
};

TEST_F(ListingSocketEvents, ErrorsAreReportedAndACloseAfterTheEndOnlyLogs)
{
    start(0);
    emit socket.errorOccurred(SocketError::TimedOut, u"Connection timed out"_s);
    emit socket.errorOccurred(SocketError::HostNotFound, u"Host not found"_s);
    const QStringList expected = {u"Could not open connection on sock1.\r\nCheck if GS is up, and "
                                  u"your firewall settings before sending a bug report."_s,
                                  u"Error 11001 raised by sock1."_s};
    EXPECT_EQ(reports(), expected);

    state.CurrentUser = u"nobody"_s;
    state.CurrentFolder = u"gallery"_s;
    client->GetURLs();
    ASSERT_TRUE(waitUntil([&] { return log.lineCount() == 1; }));
    EXPECT_EQ(log.lineText(0), u"User nobody doesn't exist"_s);
    emit socket.closed();
    ASSERT_EQ(log.lineCount(), 2);
    EXPECT_EQ(log.lineText(1), u"List socket disconnected."_s);
    EXPECT_EQ(site.pages->requests().size(), 1);
    EXPECT_EQ(reports(), expected);
}

TEST_F(ListingSocketEvents, AnErrorWhileAPageArrivesFetchesThePageAgain)
{
    start(2);
    site.pages->stallNext(1, u"/gallery/someone/1"_s);
    state.CurrentUser = u"someone"_s;
    state.CurrentFolder = u"gallery"_s;
    client->GetURLs();
    ASSERT_TRUE(waitUntil([&] { return site.pages->requests().size() == 1; }));
    emit socket.errorOccurred(SocketError::ConnectionReset, u"Connection reset"_s);
    ASSERT_TRUE(waitUntil([&] { return site.pages->requests().size() >= 2; }));
    EXPECT_EQ(site.pages->requestPaths().mid(0, 2), paths(u"gallery"_s, {1, 1}));
    EXPECT_EQ(log.lineText(0), u"List socket disconnected."_s);
    EXPECT_TRUE(reports().isEmpty());
}
