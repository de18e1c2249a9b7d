#include "TestEngine.h"

#include <QTcpServer>

#include <iostream>

using namespace Qt::StringLiterals;

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
        engine.state().Delay = 5;
        engine.state().NoWait = noWait;
    }
    // A listed user (name as stored) with a gallery of this many pictures.
    void list(int slot, const QString &name, int gallery)
    {
        engine.addUser(name, gallery);
        engine.state().Users[size_t(slot)].Name = name;
    }
    bool sync()
    {
        engine.session->Sync();
        return engine.waitForLine(u"Synching done."_s);
    }
};

} // namespace

TEST_F(SyncRecoveryTest, SyncOfANameWithCapitalsSavesEveryGalleryFile)
{
    engine.content.pageSize = 3;
    start();
    list(0, u"Alpha"_s, 5);
    ASSERT_TRUE(sync());
    // The listing asks for the name as stored; the file addresses carry it in lower case.
    EXPECT_EQ(engine.pages->requestPaths().first(), u"/gallery/Alpha/1"_s);
    EXPECT_TRUE(engine.files->requests().first().startsWith("GET /art/alpha/1000.alpha.work.png "));
    EXPECT_TRUE(engine.colouredLines().contains(green(u"Succesfully retrieved 5 submissions."_s)));
    EXPECT_EQ(engine.savedIn(u"Alpha-gallery"_s), 5);
}

TEST_F(SyncRecoveryTest, APageThatCannotBeListedEndsOnlyItsFolder)
{
    start();
    list(0, u"first"_s, 2);
    list(1, u"second"_s, 2);
    list(2, u"third"_s, 3);
    engine.pages->dropNext(1000, u"/gallery/first/1"_s);
    ASSERT_TRUE(sync());
    EXPECT_TRUE(engine.colouredLines().contains(
        red(u"Could not list page 1 of first's gallery: the connection was lost 4 times before "
            u"the page was complete"_s)));
    EXPECT_EQ(engine.pages->requestPaths().count(u"/gallery/first/1"_s), 4);
    EXPECT_EQ(engine.savedIn(u"second-gallery"_s), 2);
    EXPECT_EQ(engine.savedIn(u"third-gallery"_s), 3);
    EXPECT_TRUE(engine.errorReports().isEmpty());
}

TEST_F(SyncRecoveryTest, AnUnreachablePageHostIsReportedWhileTheSyncGoesOn)
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
    QString reportedUser;
    engine.prompts.onErrorReport = [&](const ScriptedPrompts::Shown &shown) {
        reportedUser = shown.text.split(u"\r\n"_s).value(1);
        doneWhileOpen = engine.waitForLine(u"Synching done."_s, 1, 10000);
    };
    ASSERT_TRUE(sync());
    EXPECT_TRUE(doneWhileOpen);
    EXPECT_EQ(engine.errorReports(), QStringList{u"Error 10061 raised by sock1."_s});
    EXPECT_EQ(reportedUser, u"While getting first's gallery"_s);
    for (const QString &user : {u"first"_s, u"second"_s})
        EXPECT_TRUE(engine.colouredLines().contains(
            red("Could not list page 1 of " + user +
                "'s gallery: error 10061: Connection is forcefully rejected")))
            << user.toStdString();
}

TEST_F(SyncRecoveryTest, RetriesAndTheFileAfterAGivenUpOneWaitThePause)
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
    std::cout << "failed attempts at (ms):";
    for (qint64 at : failures)
        std::cout << ' ' << at;
    std::cout << "; next file requested at " << nextRequest << '\n';
}
