#include "TestEngine.h"

#include "naming/UserNames.h"
#include "report/ReportTexts.h"

#include <QTcpServer>

using namespace Qt::StringLiterals;

namespace {

const QString NothingToDo = u"No submissions to download."_s;

// "/folder/user/1" for each "folder/user".
QStringList firstPages(const QStringList &folders)
{
    QStringList result;
    for (const QString &folder : folders)
        result.append("/" + folder + "/1");
    return result;
}

} // namespace

TEST(GetCommand, FoldersAreListedInBoxOrder)
{
    for (int boxes = 1; boxes < 8; ++boxes) {
        const bool gallery = boxes & 1, scraps = boxes & 2, favorites = boxes & 4;
        QStringList folders;
        for (const auto &[wanted, name] :
             {std::pair{gallery, "gallery"}, {scraps, "scraps"}, {favorites, "favorites"}})
            if (wanted)
                folders.append(QString::fromLatin1(name) + u"/someone"_s);
        SCOPED_TRACE(folders.join(u',').toStdString());
        TestEngine engine;
        engine.addUser(u"someone"_s, 0);
        engine.start();
        engine.run([&] { engine.get(u"someone"_s, gallery, scraps, favorites); });
        EXPECT_EQ(engine.pages->requestPaths(), firstPages(folders));
        EXPECT_EQ(engine.lines().last(), NothingToDo);
        EXPECT_EQ(engine.lines().count(NothingToDo), folders.size());
        EXPECT_TRUE(engine.prompts.shown.isEmpty());
    }
}

// The new job's first page stalls once, so that by its end the old job's wait
// (on a hung page, or in the pause between files) would have run out as well.
TEST(Jobs, ANewJobSupersedesTheRunningOne)
{
    for (const QString &old : {u"Get"_s, u"Sync"_s, u"Pause"_s}) {
        const bool pause = old == u"Pause";
        SCOPED_TRACE(old.toStdString());
        TestEngine engine;
        engine.timeouts.listStallMs = 2000;
        engine.addUser(u"first"_s, pause ? 2 : 0);
        engine.addUser(u"second"_s, 0);
        engine.start();
        engine.settings.users.Users[0] = UserEntry{u"first"_s, true, true};
        engine.settings.delay = 1; // the pause after the first file is one second
        if (!pause)
            engine.pages->stallNext(1, u"/gallery/first/1"_s);
        engine.pages->stallNext(1, u"/gallery/second/1"_s);
        if (old == u"Sync")
            engine.session->Sync();
        else
            engine.get(u"first"_s, true, old == u"Get", old == u"Get");
        ASSERT_TRUE(waitUntil([&] {
            return pause ? engine.display.status.startsWith(u"Waiting"_s)
                         : engine.pages->requests().size() == 1;
        }));

        engine.run([&] { engine.get(u"second"_s, true); });
        const QStringList paths = engine.pages->requestPaths();
        EXPECT_EQ(paths.mid(paths.size() - 2),
                  (QStringList{u"/gallery/second/1"_s, u"/gallery/second/1"_s}));
        EXPECT_EQ(paths.size(), pause ? 4 : 3);
        const QStringList lines = engine.lines();
        EXPECT_EQ(lines.mid(lines.indexOf(u"Listing second's gallery..."_s)),
                  (QStringList{u"Listing second's gallery..."_s, u"List socket timed out."_s,
                               NothingToDo}));
        EXPECT_TRUE(engine.errorReports().isEmpty());
        EXPECT_EQ(engine.files->requests().size(), pause ? 1 : 0);
        EXPECT_EQ(engine.files->connectionCount(), pause ? 1 : 0);
    }
}

namespace {

// A Sync of the listed users, with a pause of five seconds between files.
class SyncRecoveryTest : public ::testing::Test
{
protected:
    TestEngine engine;

    void SetUp() override { engine.timeouts.listRetryMs = 20; }
    void start(bool noWait = true)
    {
        engine.start();
        engine.settings.delay = 5;
        engine.settings.noWaitMode = noWait;
    }
    // A listed user (name as stored) with a gallery of this many pictures.
    void list(int slot, const QString &name, int gallery)
    {
        engine.addUser(name, gallery);
        engine.settings.users.Users[size_t(slot)].Name = name;
    }
    bool sync()
    {
        engine.session->Sync();
        return engine.waitForLine(u"Synching done."_s);
    }
};

} // namespace

TEST_F(SyncRecoveryTest, APageThatCannotBeListedEndsOnlyItsFolder)
{
    start();
    list(0, u"first"_s, 2);
    list(1, u"second"_s, 2);
    list(2, u"third"_s, 3);
    engine.pages->dropNext(1000, u"/gallery/first/1"_s);
    ASSERT_TRUE(sync());
    const QStringList lines = engine.colouredLines();
    const QString givenUp = red(u"Could not list page 1 of first's gallery: the connection was "
                                u"lost 4 times before the page was complete"_s);
    ASSERT_TRUE(lines.contains(givenUp));
    EXPECT_EQ(lines[lines.indexOf(givenUp) + 1], black(u"Listing second's gallery..."_s));
    EXPECT_EQ(engine.pages->requestPaths().count(u"/gallery/first/1"_s), 4);
    EXPECT_EQ(engine.savedIn(u"second-gallery"_s), 2);
    EXPECT_EQ(engine.savedIn(u"third-gallery"_s), 3);
    EXPECT_TRUE(engine.errorReports().isEmpty());
}

// "not be found" on a later page (a title may carry the phrase): what the
// user's earlier pages queued is dropped, never saved as the next user's.
TEST_F(SyncRecoveryTest, AUserMissingOnALaterPageLeavesNothingQueued)
{
    start();
    list(0, u"first"_s, 5); // two pages
    list(1, u"second"_s, 1);
    engine.pages->setRawReply(u"/gallery/first/2"_s, engine.pages->reply(u"/gallery/none/1"_s));
    ASSERT_TRUE(sync());
    const QStringList lines = engine.lines();
    EXPECT_EQ(lines.mid(lines.indexOf(u"User first doesn't exist"_s), 3),
              (QStringList{u"User first doesn't exist"_s, u"Listing second's gallery..."_s,
                           u"Parsing page 1. Submissions found: 0"_s}));
    EXPECT_EQ(engine.savedIn(u"second-gallery"_s), 1);
    EXPECT_EQ(engine.savedIn(u"first-gallery"_s), 0);
}

TEST_F(SyncRecoveryTest, AnUnreachablePageHostDoesNotStopTheSync)
{
    engine.listen(engine);
    {
        QTcpServer closed; // a port that refuses connections
        ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
        engine.ports[TestHosts::Page] = closed.serverPort();
    }
    start(false);
    list(0, u"first"_s, 1);
    list(1, u"second"_s, 1);
    // The report stays open until the Sync is over: the job must not wait for it.
    bool doneWhileOpen = false;
    QString report;
    engine.prompts.onErrorReport = [&](const ScriptedPrompts::Shown &shown) {
        report = shown.text;
        doneWhileOpen = engine.waitForLine(u"Synching done."_s, 1, 10000);
    };
    ASSERT_TRUE(sync());
    EXPECT_TRUE(doneWhileOpen);
    EXPECT_EQ(engine.errorReports(), QStringList{u"Error 10061 raised by sock1."_s});
    EXPECT_EQ(report, u"Got error: Error 10061 raised by sock1.\r\nWhile getting first's "
                      u"gallery\r\nPage: 1\r\nFile: \r\nSync: True\r\nVer: Vorpaline 1.38b"_s);
    for (const QString &user : {u"first"_s, u"second"_s})
        EXPECT_TRUE(engine.colouredLines().contains(
            red("Could not list page 1 of " + user +
                "'s gallery: error 10061: Connection is forcefully rejected")))
            << user.toStdString();
}

TEST_F(SyncRecoveryTest, RetriesWaitThePause)
{
    engine.timeouts.pauseSecondMs = 40; // the pause of 5 "seconds" lasts 200 ms
    const qint64 pauseMs = 5 * 40;
    start(false);
    list(0, u"first"_s, 2);

    QElapsedTimer clock;
    clock.start();
    QList<qint64> failures;
    qint64 gaveUp = -1, nextRequest = -1;
    QObject::connect(&engine.log(), &EventLog::lineAdded, [&](const QString &text) {
        if (text.startsWith(u"Data socket error"_s))
            failures.append(clock.elapsed());
        if (text.startsWith(u"Could not retrieve"_s)) {
            failures.append(gaveUp = clock.elapsed());
            engine.files->setRefusing(false); // the next file gets through
        }
    });
    QObject::connect(engine.files.get(), &GalleryFileHost::requestReceived,
                     [&] { nextRequest = nextRequest < 0 ? clock.elapsed() : nextRequest; });
    engine.files->setRefusing(true);
    ASSERT_TRUE(sync());
    ASSERT_EQ(failures.size(), 5);
    for (int i = 1; i < failures.size(); ++i)
        EXPECT_GE(failures[i] - failures[i - 1], pauseMs - 5) << "attempt " << i + 1;
    EXPECT_LT(failures.last() - failures.first(), 10000);
    EXPECT_GE(nextRequest - gaveUp, pauseMs - 5);
    EXPECT_EQ(engine.savedIn(u"first-gallery"_s), 1);
}

// A Sync skips such names with a red line (the Sync matrix).
TEST(Jobs, AGetOfANameThatLeavesTheDownloadFoldersIsRefused)
{
    TestEngine engine;
    engine.addUser(u"bob"_s, 1);
    engine.start();
    engine.get(u"../Bob"_s, true);
    ASSERT_FALSE(engine.prompts.shown.isEmpty());
    const ScriptedPrompts::Shown &refusal = engine.prompts.shown.last();
    EXPECT_EQ(std::tuple(refusal.icon, refusal.title, refusal.text),
              std::tuple(Prompts::Icon::Exclamation, ProductName, userNameProblem(u"../bob"_s)));
    EXPECT_TRUE(engine.pages->requests().isEmpty());
}

// Without a folder layout nothing can be saved anywhere: the folder ends in red
// and the job has errors.
TEST(Jobs, AFolderWithoutALayoutEndsWithAnError)
{
    TestEngine engine;
    engine.addUser(u"bob"_s, 1);
    engine.start();
    engine.settings.folderLayout = -1;
    engine.run([&] { engine.get(u"bob"_s, true); });
    EXPECT_EQ(engine.colouredLines().last(),
              red(u"Cannot save bob's gallery: No folder structure is selected."_s));
    EXPECT_TRUE(engine.jobErrors);
    EXPECT_EQ(engine.display.status, QString()); // not "Listing files..."
}
