#include "ListingTestSite.h"

#include "listing/ListingClient.h"
#include "listing/ListingRequest.h"
#include "log/LogColors.h"
#include "naming/FileNames.h"
#include "platform/TcpClientSocket.h"
#include "windows/ErrorReporter.h"

#include <QDir>
#include <QFile>
#include <QLabel>

#include <gtest/gtest.h>

namespace {

QString parsing(int page, int count)
{
    return QStringLiteral("Parsing page %1. Submissions found: %2").arg(page).arg(count);
}

QStringList paths(const QString &folder, const QString &user, int first, int last)
{
    QStringList result;
    for (int page = first; page <= last; ++page)
        result.append(QStringLiteral("/%1/%2/%3").arg(folder, user).arg(page));
    return result;
}

// The queue as it stands when a line is logged.
struct QueueSnapshot
{
    QList<QueuedSubmission> entries;
    int16_t queueIndex = -1;
    QString status;
    bool taken = false;
};

void snapshotAt(ListingTestSite &site, const QString &line, QueueSnapshot &snapshot)
{
    QObject::connect(&site.log(), &EventLog::lineAdded, &site.log(),
                     [&site, line, &snapshot](const QString &text, int32_t) {
                         if (text != line || snapshot.taken)
                             return;
                         snapshot.taken = true;
                         snapshot.queueIndex = site.state().QueueIndex;
                         for (int i = 0; i < site.state().QueueCount; ++i)
                             snapshot.entries.append(site.state().SubmissionQueue[size_t(i)]);
                         snapshot.status =
                             site.control<QLabel>(QStringLiteral("Lbl_Status"))->text();
                     });
}

} // namespace

TEST(Listing, ThreePagesOfAGalleryAreListedAndHandedOver)
{
    ListingTestSite site;
    site.addUser(QStringLiteral("someone"), 10);
    site.open();
    QueueSnapshot found;
    const QString foundLine = QStringLiteral("Found 10 submissions on 3 page(s).");
    snapshotAt(site, foundLine, found);

    site.getFolders(QStringLiteral("SomeOne"), true, false, false);
    ASSERT_TRUE(site.waitForLine(foundLine));

    EXPECT_EQ(site.pages->requestPaths(),
              paths(QStringLiteral("gallery"), QStringLiteral("someone"), 1, 4));
    const QStringList lines = site.lines();
    const qsizetype listing = lines.indexOf(QStringLiteral("Listing someone's gallery..."));
    ASSERT_GE(listing, 0);
    EXPECT_EQ(lines.mid(listing, 5),
              (QStringList{QStringLiteral("Listing someone's gallery..."), parsing(1, 0),
                           parsing(2, 4), parsing(3, 8), foundLine}));
    EXPECT_EQ(site.colorOf(foundLine), LogBlack);
    EXPECT_EQ(found.status, QStringLiteral("Listing files..."));

    // The thumbnail addresses became the files' own addresses, in page order.
    const SimUser *user = site.content.user(QStringLiteral("someone"));
    ASSERT_EQ(found.entries.size(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(found.entries[i].Url,
                  QStringLiteral("http://") + TestHosts::File + user->gallery[i].filePath());
        EXPECT_EQ(found.entries[i].Title, user->gallery[i].titleMarkup);
    }
    EXPECT_EQ(site.state().DownloadFolder, QDir::toNativeSeparators(site.test.folder.path()) +
                                               QDir::separator() +
                                               QStringLiteral("someone-gallery"));
    EXPECT_TRUE(QFileInfo(site.test.path(QStringLiteral("someone-gallery"))).isDir());
    EXPECT_EQ(found.queueIndex, 0);
}

TEST(Listing, RequestsCarryTheCookiesOfTheMomentByteForByte)
{
    ListingTestSite site;
    site.addUser(QStringLiteral("someone"), 6);
    site.open();
    site.setText(QStringLiteral("Txt_CookieB"), QString());
    site.setText(QStringLiteral("Txt_CookieA"), QString());
    // The cookie typed while page 1 is on its way is used from page 2 on.
    QObject::connect(site.pages.get(), &GalleryPageHost::requestReceived, site.pages.get(),
                     [&site](const QByteArray &) {
                         if (site.pages->requests().size() == 1) {
                             site.setText(QStringLiteral("Txt_CookieB"), QStringLiteral("b-value"));
                             site.setText(QStringLiteral("Txt_CookieA"), QStringLiteral("a value"));
                         }
                     });
    site.getFolders(QStringLiteral("someone"), true, false, false);
    ASSERT_TRUE(site.waitForLine(QStringLiteral("Found 6 submissions on 2 page(s).")));

    const QList<QByteArray> requests = site.pages->requests();
    ASSERT_EQ(requests.size(), 3);
    ListingRequestFields fields;
    fields.folder = QStringLiteral("gallery");
    fields.user = QStringLiteral("someone");
    fields.hostAlias = TestHosts::PageAlias;
    fields.page = 1;
    EXPECT_EQ(requests[0], listingRequest(fields).toLatin1());
    EXPECT_TRUE(requests[0].contains("\r\nHost: gallery.test.invalid\r\n"));
    EXPECT_TRUE(requests[0].contains("\r\nCookie: b=; a=; folder=outbox\r\n\r\n"));
    fields.cookieB = QStringLiteral("b-value");
    fields.cookieA = QStringLiteral("a value");
    for (int page = 2; page <= 3; ++page) {
        fields.page = page;
        EXPECT_EQ(requests[page - 1], listingRequest(fields).toLatin1()) << page;
    }
}

TEST(Listing, AReplyInOneBytePiecesIsHandledOnce)
{
    ListingTestSite site;
    site.addUser(QStringLiteral("someone"), 5);
    site.open();
    site.pages->setPieceSize(1);
    QueueSnapshot found;
    snapshotAt(site, QStringLiteral("Found 5 submissions on 2 page(s)."), found);
    site.getFolders(QStringLiteral("someone"), true, false, false);
    ASSERT_TRUE(site.waitForLine(QStringLiteral("Found 5 submissions on 2 page(s)."), 1, 60000));
    const QStringList lines = site.lines();
    EXPECT_EQ(lines.count(parsing(1, 0)), 1);
    EXPECT_EQ(lines.count(parsing(2, 4)), 1);
    EXPECT_EQ(site.pages->requestPaths(),
              paths(QStringLiteral("gallery"), QStringLiteral("someone"), 1, 3));
    EXPECT_EQ(found.entries.size(), 5);
}

TEST(Listing, MissingUserEndsAGet)
{
    ListingTestSite site;
    site.open();
    site.getFolders(QStringLiteral("Nobody"), true, true, true);
    const QString missing = QStringLiteral("User nobody doesn't exist");
    ASSERT_TRUE(site.waitForLine(missing));
    EXPECT_EQ(site.colorOf(missing), LogRed);
    EXPECT_EQ(site.lines().last(), missing);
    EXPECT_EQ(site.pages->requestPaths(), QStringList{QStringLiteral("/gallery/nobody/1")});
}

TEST(Listing, PhrasesInsideANameDecideThePageKind)
{
    ListingTestSite site;
    SimUser user;
    user.name = QStringLiteral("someone");
    // Page 1 of the gallery: an ordinary name, then one holding the folder-end phrase.
    user.gallery = {GalleryContent::make(1, QStringLiteral("someone"), QStringLiteral("a"),
                                         QStringLiteral("png"), QStringLiteral("Plain")),
                    GalleryContent::make(2, QStringLiteral("someone"), QStringLiteral("b"),
                                         QStringLiteral("png"),
                                         QStringLiteral("I have no submissions to list"))};
    // Scraps: page 1 is fine, page 2 names the missing-user phrase.
    for (int i = 0; i < 4; ++i)
        user.scraps.append(GalleryContent::make(10 + i, QStringLiteral("someone"),
                                                QStringLiteral("s"), QStringLiteral("png"),
                                                QStringLiteral("Scrap %1").arg(i)));
    user.scraps.append(GalleryContent::make(20, QStringLiteral("someone"), QStringLiteral("t"),
                                            QStringLiteral("png"),
                                            QStringLiteral("What will not be found")));
    site.content.addUser(user);
    site.open();

    site.getFolders(QStringLiteral("someone"), true, true, false);
    const QString missing = QStringLiteral("User someone doesn't exist");
    ASSERT_TRUE(site.waitForLine(missing));
    const QStringList lines = site.lines();
    const qsizetype start = lines.indexOf(QStringLiteral("Listing someone's gallery..."));
    ASSERT_GE(start, 0);
    // The gallery's only page counts as its end: its links are not examined.
    EXPECT_EQ(lines.mid(start),
              (QStringList{QStringLiteral("Listing someone's gallery..."),
                           QStringLiteral("No submissions to download."),
                           QStringLiteral("Listing someone's scraps..."), parsing(1, 0), missing}));
    EXPECT_EQ(site.pages->requestPaths(), (QStringList{QStringLiteral("/gallery/someone/1"),
                                                       QStringLiteral("/scraps/someone/1"),
                                                       QStringLiteral("/scraps/someone/2")}));
}

TEST(Listing, EveryFilterSkipsWithItsLineAndSettingsAreReadPerSubmission)
{
    ListingTestSite site;
    SimUser user;
    user.name = QStringLiteral("someone");
    const QString me = user.name;
    user.gallery = {
        GalleryContent::make(1, me, QStringLiteral("pic"), QStringLiteral("png"),
                             QStringLiteral("Picture")),
        GalleryContent::make(2, me, QStringLiteral("tale"), QStringLiteral("txt"),
                             QStringLiteral("Tale"), QStringLiteral("mature")),
        GalleryContent::make(3, me, QStringLiteral("song"), QStringLiteral("mp3"),
                             QStringLiteral("Song &amp; Dance")),
        GalleryContent::make(4, me, QStringLiteral("anim"), QStringLiteral("swf"),
                             QStringLiteral("Anim"), QStringLiteral("adult")),
        GalleryContent::make(5, me, QStringLiteral("more"), QStringLiteral("gif"),
                             QStringLiteral("More")),
    };
    site.content.addUser(user);
    site.open();
    site.setType(0, false);
    site.tick(QStringLiteral("Chk_Getmature"), false);
    site.tick(QStringLiteral("Chk_Getadult"), false);
    // Already on disk, where the download would put it ("Title only" naming).
    ASSERT_TRUE(QDir(site.test.folder.path()).mkdir(QStringLiteral("someone-gallery")));
    QFile existing(site.test.path(QStringLiteral("someone-gallery/Song & Dance.mp3")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    // GFX is wanted again from the submission after the first refusal on.
    QObject::connect(&site.log(), &EventLog::lineAdded, &site.log(),
                     [&site](const QString &text, int32_t) {
                         if (text.endsWith(QStringLiteral(": No GFX")))
                             site.setType(0, true);
                     });

    site.getFolders(QStringLiteral("someone"), true, false, false);
    ASSERT_TRUE(site.waitForLine(QStringLiteral("Found 1 submissions on 2 page(s).")));
    const QStringList expected = {
        QStringLiteral("Skipping \"Picture\": No GFX"),
        QStringLiteral("Skipping \"Tale\": No mature subs"),
        QStringLiteral("Skipping \"Song & Dance\": Already exists"),
        QStringLiteral("Skipping \"Anim\": No adult subs"),
    };
    const QStringList lines = site.lines();
    const qsizetype first = lines.indexOf(expected.first());
    ASSERT_GE(first, 0);
    EXPECT_EQ(lines.mid(first, 4), expected);
    for (const QString &line : expected)
        EXPECT_EQ(site.colorOf(line),
                  line.endsWith(QStringLiteral("exists")) ? LogGreen : LogBlack);
    EXPECT_EQ(site.state().SubmissionQueue[0].Title, QStringLiteral("More"));
}

TEST(Listing, AFolderWhoseEverySubmissionIsFilteredMovesOn)
{
    ListingTestSite site;
    site.addUser(QStringLiteral("someone"), 3, 0, 1);
    site.open();
    site.setType(0, false);
    site.getFolders(QStringLiteral("someone"), true, false, true);
    ASSERT_TRUE(site.waitForLine(QStringLiteral("Listing someone's favorites...")));
    const QStringList lines = site.lines();
    const qsizetype start = lines.indexOf(QStringLiteral("Listing someone's gallery..."));
    EXPECT_EQ(lines.mid(start, 7),
              (QStringList{QStringLiteral("Listing someone's gallery..."), parsing(1, 0),
                           QStringLiteral("Skipping \"Gallery piece 1\": No GFX"),
                           QStringLiteral("Skipping \"Gallery piece 2\": No GFX"),
                           QStringLiteral("Skipping \"Gallery piece 3\": No GFX"),
                           QStringLiteral("No submissions to download."),
                           QStringLiteral("Listing someone's favorites...")}));
    EXPECT_EQ(site.colorOf(QStringLiteral("No submissions to download.")), LogGreen);
    EXPECT_FALSE(QFileInfo::exists(site.test.path(QStringLiteral("someone-gallery"))));
}

TEST(Listing, ADroppedPageIsFetchedAgainNotSkipped)
{
    ListingTestSite site;
    site.addUser(QStringLiteral("someone"), 10);
    site.open();
    site.pages->dropNext(2, QStringLiteral("/gallery/someone/2"));
    site.getFolders(QStringLiteral("someone"), true, false, false);
    ASSERT_TRUE(site.waitForLine(QStringLiteral("Found 10 submissions on 3 page(s).")));
    EXPECT_EQ(
        site.pages->requestPaths(),
        (QStringList{QStringLiteral("/gallery/someone/1"), QStringLiteral("/gallery/someone/2"),
                     QStringLiteral("/gallery/someone/2"), QStringLiteral("/gallery/someone/2"),
                     QStringLiteral("/gallery/someone/3"), QStringLiteral("/gallery/someone/4")}));
    const QStringList lines = site.lines();
    EXPECT_EQ(lines.count(QStringLiteral("List socket disconnected.")), 2);
    EXPECT_EQ(site.colorOf(QStringLiteral("List socket disconnected.")), LogRed);
    EXPECT_EQ(lines.count(parsing(2, 4)), 1);
    EXPECT_TRUE(site.errorReports().filter(QStringLiteral("sock1")).isEmpty());
}

TEST(Listing, AStalledPageIsFetchedAgain)
{
    ListingTestSite site;
    site.test.timeouts.listStallMs = 2000;
    site.addUser(QStringLiteral("someone"), 3);
    site.open();
    site.pages->stallNext(1, QStringLiteral("/gallery/someone/1"));
    site.getFolders(QStringLiteral("someone"), true, false, false);
    ASSERT_TRUE(site.waitForLine(QStringLiteral("Found 3 submissions on 1 page(s).")));
    EXPECT_EQ(site.pages->requestPaths(), (QStringList{QStringLiteral("/gallery/someone/1"),
                                                       QStringLiteral("/gallery/someone/1"),
                                                       QStringLiteral("/gallery/someone/2")}));
    EXPECT_EQ(site.lines().count(QStringLiteral("List socket timed out.")), 1);
    EXPECT_EQ(site.lines().count(parsing(1, 0)), 1);
}

TEST(Listing, APageLostTooOftenStopsTheJobWithAReport)
{
    struct Case
    {
        bool stall;
        int retries;
    };
    for (const Case c : {Case{false, 3}, Case{true, 1}}) {
        ListingTestSite site;
        site.test.timeouts.listStallMs = 1500;
        site.test.timeouts.listRetries = c.retries;
        site.addUser(QStringLiteral("someone"), 6);
        site.open();
        if (c.stall)
            site.pages->stallNext(100, QStringLiteral("/gallery/someone/2"));
        else
            site.pages->dropNext(100, QStringLiteral("/gallery/someone/2"));
        site.getFolders(QStringLiteral("someone"), true, false, false);
        const QString report = QStringLiteral("Could not list page 2 of someone's gallery: the "
                                              "connection was lost %1 times before the page was "
                                              "complete.")
                                   .arg(c.retries + 1);
        ASSERT_TRUE(ListingTestSite::waitFor([&] { return site.errorReports().contains(report); }))
            << c.stall;
        QStringList expected = {QStringLiteral("/gallery/someone/1")};
        for (int i = 0; i <= c.retries; ++i)
            expected.append(QStringLiteral("/gallery/someone/2"));
        EXPECT_EQ(site.pages->requestPaths(), expected);
        // The job stops there: the next folder is not started.
        EXPECT_FALSE(site.lines().contains(QStringLiteral("No submissions to download.")));
    }
}

TEST(Listing, ARefusedConnectionIsReportedWithTheSocketsNumber)
{
    ListingTestSite site;
    site.open();
    site.pages->stopListening();
    site.getFolders(QStringLiteral("someone"), true, false, false);
    ASSERT_TRUE(ListingTestSite::waitFor([&] { return !site.errorReports().isEmpty(); }));
    EXPECT_EQ(site.errorReports(), QStringList{QStringLiteral("Error 10061 raised by sock1.")});
}

TEST(Listing, AMissingDownloadFolderParentIsReportedAndTheJobMovesOn)
{
    ListingTestSite site;
    site.addUser(QStringLiteral("someone"), 2, 0, 0);
    site.open();
    const QString missingParent = site.test.path(QStringLiteral("not-there/deeper"));
    site.setText(QStringLiteral("Txt_Path"), missingParent);
    site.getFolders(QStringLiteral("someone"), true, false, true);
    ASSERT_TRUE(site.waitForLine(QStringLiteral("Listing someone's favorites...")));
    const QStringList reports = site.errorReports();
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].startsWith(
        QStringLiteral("Could not create the download folder for someone's gallery: ")))
        << reports[0].toStdString();
    EXPECT_TRUE(site.lines().contains(QStringLiteral("Found 2 submissions on 1 page(s).")));
    EXPECT_FALSE(QFileInfo::exists(site.test.path(QStringLiteral("not-there"))));
    ASSERT_TRUE(site.waitForLine(QStringLiteral("No submissions to download.")));
}

TEST(Listing, AnEntryWithoutItsMarkersIsSkippedAndAPageWithoutEntriesEndsTheFolder)
{
    ListingTestSite site;
    site.addUser(QStringLiteral("someone"), 0);
    site.open();
    const QString host = TestHosts::File;
    const QString good = QStringLiteral("<a href=\"/view/1/\"><img src=\"http://") + host +
                         QStringLiteral("/art/someone/1.pic.200.thumbnail.png\" /></a><div><span "
                                        "class=\"icon-image general\"></span>&nbsp;</div><div "
                                        "class=\"info\"><span>Good</span></div>\n");
    const QString broken = QStringLiteral("<a href=\"/view/2/\"><img src=\"http://") + host +
                           QStringLiteral("/art/someone/2.pic.png\"></a>\n");
    site.pages->setRawReply(QStringLiteral("/gallery/someone/1"),
                            (QStringLiteral("HTTP/1.1 200 OK\r\n\r\n<html>") + broken + good +
                             QStringLiteral("Page generated in 0.1 s</html>"))
                                .toLatin1());
    site.pages->setRawReply(QStringLiteral("/gallery/someone/2"),
                            QByteArrayLiteral("HTTP/1.1 503 Service Unavailable\r\n\r\n<p>Down for "
                                              "maintenance</p>Page generated in 0.1 s"));
    site.getFolders(QStringLiteral("someone"), true, false, false);
    const QString found = QStringLiteral("Found 1 submissions on 1 page(s).");
    ASSERT_TRUE(site.waitForLine(found));
    const QStringList lines = site.lines();
    const qsizetype start = lines.indexOf(parsing(1, 0));
    EXPECT_EQ(lines.mid(start, 5),
              (QStringList{parsing(1, 0), QStringLiteral("Skipping an unreadable entry on page 1."),
                           parsing(2, 1),
                           QStringLiteral("Page 2 of someone's gallery lists nothing: the folder "
                                          "ends here."),
                           found}));
    EXPECT_EQ(site.state().SubmissionQueue[0].Url,
              QStringLiteral("http://") + host + QStringLiteral("/art/someone/1.someone.pic.png"));
    EXPECT_EQ(site.pages->requests().size(), 2);
}

TEST(Listing, CountsStopAtTheirSixteenBitLimits)
{
    // The page counter: a folder that never ends is listed up to page 32767.
    {
        ListingTestSite site;
        site.addUser(QStringLiteral("someone"), 2);
        site.open();
        site.pages->setEndless(true);
        JobState &state = site.state();
        state.CurrentUser = QStringLiteral("someone");
        state.CurrentFolder = QStringLiteral("gallery");
        state.Synching = false;
        state.PageNumber = 32765;
        state.QueueCount = 0;
        site.window().listing().GetURLs();
        const QString found = QStringLiteral("Found 4 submissions on 32767 page(s).");
        ASSERT_TRUE(site.waitForLine(found));
        EXPECT_EQ(site.pages->requestPaths(),
                  (QStringList{QStringLiteral("/gallery/someone/32766"),
                               QStringLiteral("/gallery/someone/32767")}));
        const QString limit =
            QStringLiteral("Page limit reached: someone's gallery is listed up to page 32767.");
        EXPECT_EQ(site.lines().mid(site.lines().indexOf(limit), 2), (QStringList{limit, found}));
        EXPECT_EQ(site.colorOf(limit), LogRed);
    }
    // The queue counter: a folder queues at most 32767 submissions.
    {
        ListingTestSite site;
        site.addUser(QStringLiteral("someone"), 8);
        site.open();
        JobState &state = site.state();
        state.CurrentUser = QStringLiteral("someone");
        state.CurrentFolder = QStringLiteral("gallery");
        state.PageNumber = 0;
        state.QueueCount = 32765;
        site.window().listing().GetURLs();
        const QString found = QStringLiteral("Found 32767 submissions on 1 page(s).");
        ASSERT_TRUE(site.waitForLine(found));
        const QString full = QStringLiteral(
            "Queue full at 32767 submissions: the rest of someone's gallery is not listed.");
        EXPECT_EQ(site.lines().mid(site.lines().indexOf(full), 2), (QStringList{full, found}));
        EXPECT_EQ(state.SubmissionQueue[32766].Title, QStringLiteral("Gallery piece 2"));
        EXPECT_EQ(site.pages->requests().size(), 1);
    }
}

TEST(ListingSocketEvents, ErrorsAreReportedAndACloseAfterTheEndOnlyLogs)
{
    ListingTestSite site;
    site.open();
    JobState state;
    EventLog log;
    ScriptedPrompts prompts;
    ErrorReporter errors(state, prompts, TestHosts::Support);
    TcpClientSocket socket([&site](const QString &, quint16) {
        return Endpoint{QStringLiteral("127.0.0.1"), site.pages->port()};
    });
    ListingClient client(state, site.window(), site.window(), log, errors, socket,
                         TestWindow::site(), Timeouts{});
    client.setSteps(&site.window().jobs(), &site.window().downloader());

    emit socket.errorOccurred(SocketError::TimedOut, QStringLiteral("Connection timed out"));
    emit socket.errorOccurred(SocketError::HostNotFound, QStringLiteral("Host not found"));
    const auto reports = prompts.ofKind(QStringLiteral("error"));
    ASSERT_EQ(reports.size(), 2);
    EXPECT_EQ(reports[0].title,
              QStringLiteral("Could not open connection on sock1.\r\nCheck if GS is up, and your "
                             "firewall settings before sending a bug report."));
    EXPECT_EQ(reports[1].title, QStringLiteral("Error 11001 raised by sock1."));

    state.CurrentUser = QStringLiteral("nobody");
    state.CurrentFolder = QStringLiteral("gallery");
    client.GetURLs();
    ASSERT_TRUE(ListingTestSite::waitFor([&] { return log.lineCount() == 1; }));
    EXPECT_EQ(log.lineText(0), QStringLiteral("User nobody doesn't exist"));
    emit socket.closed();
    ASSERT_EQ(log.lineCount(), 2);
    EXPECT_EQ(log.lineText(1), QStringLiteral("List socket disconnected."));
    EXPECT_EQ(site.pages->requests().size(), 1);
    EXPECT_EQ(prompts.ofKind(QStringLiteral("error")).size(), 2);
}

TEST(ListingSocketEvents, AnErrorWhileAPageArrivesFetchesThePageAgain)
{
    ListingTestSite site;
    site.addUser(QStringLiteral("someone"), 2);
    site.open();
    JobState state;
    EventLog log;
    ScriptedPrompts prompts;
    ErrorReporter errors(state, prompts, TestHosts::Support);
    TcpClientSocket socket([&site](const QString &, quint16) {
        return Endpoint{QStringLiteral("127.0.0.1"), site.pages->port()};
    });
    ListingClient client(state, site.window(), site.window(), log, errors, socket,
                         TestWindow::site(), Timeouts{});
    client.setSteps(&site.window().jobs(), &site.window().downloader());
    site.pages->stallNext(1, QStringLiteral("/gallery/someone/1"));

    state.CurrentUser = QStringLiteral("someone");
    state.CurrentFolder = QStringLiteral("gallery");
    client.GetURLs();
    ASSERT_TRUE(ListingTestSite::waitFor([&] { return site.pages->requests().size() == 1; }));
    emit socket.errorOccurred(SocketError::ConnectionReset, QStringLiteral("Connection reset"));
    ASSERT_TRUE(ListingTestSite::waitFor([&] { return site.pages->requests().size() >= 2; }));
    EXPECT_EQ(
        site.pages->requestPaths().mid(0, 2),
        (QStringList{QStringLiteral("/gallery/someone/1"), QStringLiteral("/gallery/someone/1")}));
    EXPECT_EQ(log.lineText(0), QStringLiteral("List socket disconnected."));
    EXPECT_TRUE(prompts.ofKind(QStringLiteral("error")).isEmpty());
}
