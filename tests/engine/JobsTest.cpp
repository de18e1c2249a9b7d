#include "TestEngine.h"

#include "download/Downloader.h"
#include "windows/ReportTexts.h"

#include <QRegularExpression>

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
QStringList listing(const QStringList &folders)
{
    QStringList result;
    for (const QString &folder : folders)
        result.append(
            u"Listing %2's %1..."_s.arg(folder.section(u'/', 0, 0), folder.section(u'/', 1, 1)));
    return result;
}

} // namespace

TEST(GetCommand, FolderOrderForEveryBoxCombinationAndTheEndOfTheJob)
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
        EXPECT_EQ(engine.lines().filter(QRegularExpression(u"^Listing "_s)), listing(folders));
        EXPECT_EQ(engine.lines().last(), NothingToDo);
        EXPECT_EQ(engine.lines().count(NothingToDo), folders.size());
        EXPECT_TRUE(engine.prompts.shown.isEmpty());
    }
}

TEST(GetCommand, InputIsCheckedAndBoxesAreReadWhenTheNextFolderIsChosen)
{
    TestEngine engine;
    engine.addUser(u"someone"_s, 0);
    engine.start();
    engine.log().AddEvent(u"earlier line"_s, LogBlack);
    engine.get(QString(), true);
    engine.get(u"SomeOne"_s, false);
    const auto shown = engine.prompts.ofKind(u"message"_s);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].text, u"Please enter an username."_s);
    EXPECT_EQ(shown[1].text, u"Please select which gallery to download."_s);
    EXPECT_EQ(shown[0].icon, Prompts::Icon::Exclamation);
    EXPECT_EQ(shown[0].title, ProductName);
    EXPECT_TRUE(engine.pages->requests().isEmpty());

    QObject::connect(&engine.log(), &EventLog::lineAdded, [&](const QString &text) {
        if (text == u"Listing someone's scraps..."_s)
            engine.settings.getFavs = false;
    });
    engine.run([&] { engine.get(u"SomeOne"_s, true, true, true); });
    EXPECT_EQ(engine.pages->requestPaths(),
              firstPages({u"gallery/someone"_s, u"scraps/someone"_s}));
    EXPECT_EQ(engine.lines().first(), u"earlier line"_s); // a Get keeps the log
    EXPECT_FALSE(engine.state().Synching);
}

TEST(SyncCommand, WalksTheTableSkippingEmptySlotsAndMissingUsers)
{
    TestEngine engine;
    for (const char *name : {"Alpha", "beta", "gamma"})
        engine.addUser(QString::fromLatin1(name), 0);
    engine.start();
    engine.log().AddEvent(u"earlier line"_s, LogBlack);
    JobState &state = engine.state();
    state.Users[5] = UserEntry{u"Alpha"_s, true, false};
    state.Users[7] = UserEntry{u"beta"_s, false, true};
    state.Users[9] = UserEntry{u"ghost"_s, true, true};
    state.Users[1023] = UserEntry{u"gamma"_s, false, false};
    state.UserCount = 1024;

    engine.run([&] { engine.session->Sync(); });
    const QStringList folders = {u"gallery/Alpha"_s,  u"scraps/Alpha"_s,  u"gallery/beta"_s,
                                 u"favorites/beta"_s, u"gallery/ghost"_s, u"gallery/gamma"_s};
    EXPECT_EQ(engine.pages->requestPaths(), firstPages(folders));
    const QStringList lines = engine.colouredLines();
    EXPECT_EQ(lines.first(), black(u"Listing Alpha's gallery..."_s)); // the log was cleared
    EXPECT_EQ(engine.lines().filter(QRegularExpression(u"^Listing "_s)), listing(folders));
    EXPECT_TRUE(lines.contains(red(u"User ghost doesn't exist"_s)));
    EXPECT_EQ(lines.last(), green(u"Synching done."_s));
    EXPECT_EQ(engine.shutdownRequests, 0);

    // An empty table does nothing at all, not even clearing the log.
    for (UserEntry &user : state.Users)
        user = UserEntry{};
    engine.session->Sync();
    EXPECT_EQ(engine.colouredLines(), lines);
    EXPECT_EQ(engine.pages->requests().size(), 6);
}

TEST(SyncCommand, ShutdownIsAskedForAndRequestedOnlyWhenConfirmed)
{
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes);
        TestEngine engine;
        engine.addUser(u"solo"_s, 0);
        engine.start();
        engine.state().Users[0] = UserEntry{u"solo"_s, false, false};
        engine.settings.shutdown = true;
        engine.prompts.answers = {yes ? Prompts::Answer::Yes : Prompts::Answer::No};
        engine.run([&] { engine.session->Sync(); });
        drainPostedEvents();
        const auto question = engine.prompts.ofKind(u"message"_s);
        ASSERT_EQ(question.size(), 1);
        EXPECT_EQ(question[0].text, u"Warning: Computer will shut down after synching is "
                                    u"done.\r\nStill want this ?"_s);
        EXPECT_TRUE(question[0].yesNo);
        EXPECT_EQ(engine.settings.shutdown, yes);
        QStringList ending = {green(u"Synching done."_s)};
        if (yes)
            ending.append(black(u"Everything is going down !"_s));
        EXPECT_EQ(engine.colouredLines().mid(engine.log().lineCount() - ending.size()), ending);
        EXPECT_EQ(engine.shutdownRequests, yes ? 1 : 0);
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
        engine.state().Users[0] = UserEntry{u"first"_s, true, true};
        engine.state().Delay = 1; // the pause after the first file is one second
        if (!pause)
            engine.pages->stallNext(1, u"/gallery/first/1"_s);
        engine.pages->stallNext(1, u"/gallery/second/1"_s);
        if (old == u"Sync")
            engine.session->Sync();
        else
            engine.get(u"first"_s, true, old == u"Get", old == u"Get");
        if (pause)
            ASSERT_TRUE(waitUntil([&] { return engine.session->downloader().isPausing(); }));
        else
            ASSERT_TRUE(waitUntil([&] { return engine.pages->requests().size() == 1; }));

        engine.run([&] { engine.get(u"second"_s, true); });
        const QStringList paths = engine.pages->requestPaths();
        EXPECT_EQ(paths.mid(paths.size() - 2),
                  (QStringList{u"/gallery/second/1"_s, u"/gallery/second/1"_s}));
        EXPECT_EQ(paths.size(), pause ? 4 : 3);
        const QStringList lines = engine.lines();
        EXPECT_EQ(lines.mid(lines.indexOf(u"Listing second's gallery..."_s)),
                  (QStringList{u"Listing second's gallery..."_s, u"List socket timed out."_s,
                               NothingToDo}));
        EXPECT_FALSE(engine.state().Synching);
        EXPECT_TRUE(engine.errorReports().isEmpty());
        EXPECT_EQ(engine.files->requests().size(), pause ? 1 : 0);
        EXPECT_EQ(engine.files->connectionCount(), pause ? 1 : 0);
    }
}
