#include "GalleryFileHost.h"
#include "ListingTestSite.h"

#include "download/Downloader.h"
#include "job/JobRunner.h"
#include "log/LogColors.h"
#include "windows/ReportTexts.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString NothingToDo = u"No submissions to download."_s;

// "/folder/user/1" for each "folder/user", and the "Listing user's folder..." lines.
QStringList firstPages(const QStringList &folders)
{
    QStringList result;
    for (const QString &folder : folders)
        result.append("/" + folder + "/1");
    return result;
}
QStringList listingLines(const QStringList &lines)
{
    return lines.filter(QRegularExpression(u"^Listing "_s));
}
QStringList listing(const QStringList &folders)
{
    QStringList result;
    for (const QString &folder : folders)
        result.append(
            u"Listing %2's %1..."_s.arg(folder.section(u'/', 0, 0), folder.section(u'/', 1, 1)));
    return result;
}
QList<ScriptedPrompts::Shown> messages(ListingTestSite &site)
{
    return site.test.prompts.ofKind(u"message"_s);
}

} // namespace

TEST(GetCommand, FolderOrderForEveryBoxCombination)
{
    for (int boxes = 1; boxes < 8; ++boxes) {
        const bool gallery = boxes & 1, scraps = boxes & 2, favorites = boxes & 4;
        QStringList folders;
        for (const auto &[wanted, name] :
             {std::pair{gallery, "gallery"}, {scraps, "scraps"}, {favorites, "favorites"}})
            if (wanted)
                folders.append(QString::fromLatin1(name) + u"/someone"_s);
        SCOPED_TRACE(folders.join(u',').toStdString());
        ListingTestSite site;
        site.addUser(u"someone"_s, 0, 0, 0);
        site.open();
        site.getFolders(u"someone"_s, gallery, scraps, favorites);
        ASSERT_TRUE(site.waitForLine(NothingToDo, int(folders.size())));
        EXPECT_EQ(site.pages->requestPaths(), firstPages(folders));
        EXPECT_EQ(listingLines(site.lines()), listing(folders));
        // The Get is over: its last line is the last folder's own.
        EXPECT_EQ(site.lines().last(), NothingToDo);
        EXPECT_EQ(site.state().CurrentFolder, folders.last().section(u'/', 0, 0));
        EXPECT_TRUE(messages(site).isEmpty());
    }
}

TEST(GetCommand, InputIsCheckedAndTheNameIsListedInLowerCase)
{
    ListingTestSite site;
    site.addUser(u"mossfern"_s, 0);
    site.open();
    site.window().AddEvent(u"earlier line"_s, LogBlack);

    site.getFolders(QString(), true, false, false);
    site.getFolders(u"MossFern"_s, false, false, false);
    const auto shown = messages(site);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].text, u"Please enter an username."_s);
    EXPECT_EQ(shown[1].text, u"Please select which gallery to download."_s);
    EXPECT_EQ(shown[0].icon, Prompts::Icon::Exclamation);
    EXPECT_EQ(shown[0].title, ProductName);
    EXPECT_FALSE(shown[0].yesNo);
    EXPECT_EQ(site.state().CurrentUser, u"mossfern"_s);
    EXPECT_EQ(site.state().PageNumber, 0);

    site.getFolders(u"MossFern"_s, true, false, false);
    ASSERT_TRUE(site.waitForLine(NothingToDo));
    EXPECT_EQ(site.pages->requestPaths(), firstPages({u"gallery/mossfern"_s}));
    // A Get keeps what the log already held.
    EXPECT_EQ(site.lines().first(), u"earlier line"_s);
    EXPECT_TRUE(site.lines().contains(u"Listing mossfern's gallery..."_s));
    EXPECT_FALSE(site.state().Synching);
}

TEST(GetCommand, BoxesAreReadWhenTheNextFolderIsChosen)
{
    ListingTestSite site;
    site.addUser(u"someone"_s, 0, 0, 0);
    site.open();
    QObject::connect(&site.log(), &EventLog::lineAdded, &site.log(),
                     [&site](const QString &text, int32_t) {
                         if (text == u"Listing someone's scraps..."_s)
                             site.tick(u"Chk_Unigetfavs"_s, false);
                     });
    site.getFolders(u"someone"_s, true, true, true);
    ASSERT_TRUE(site.waitForLine(NothingToDo, 2));
    EXPECT_EQ(site.pages->requestPaths(), firstPages({u"gallery/someone"_s, u"scraps/someone"_s}));
    EXPECT_EQ(site.lines().last(), NothingToDo);
}

TEST(SyncCommand, WalksTheTableSkippingEmptySlotsAndMissingUsers)
{
    ListingTestSite site;
    for (const char *name : {"Alpha", "beta", "gamma"})
        site.addUser(QString::fromLatin1(name), 0, 0, 0);
    site.open();
    site.window().AddEvent(u"earlier line"_s, LogBlack);
    JobState &state = site.state();
    state.Users[5] = UserEntry{u"Alpha"_s, true, false};
    state.Users[7] = UserEntry{u"beta"_s, false, true};
    state.Users[9] = UserEntry{u"ghost"_s, true, true};
    state.Users[1023] = UserEntry{u"gamma"_s, false, false};
    state.UserCount = 1024;

    site.click(u"Cmd_Sync"_s);
    ASSERT_TRUE(site.waitForLine(u"Synching done."_s));
    const QStringList folders = {u"gallery/Alpha"_s,  u"scraps/Alpha"_s,  u"gallery/beta"_s,
                                 u"favorites/beta"_s, u"gallery/ghost"_s, u"gallery/gamma"_s};
    EXPECT_EQ(site.pages->requestPaths(), firstPages(folders));
    const QStringList lines = site.lines();
    EXPECT_EQ(lines.first(), u"Listing Alpha's gallery..."_s); // the log was cleared
    EXPECT_EQ(listingLines(lines), listing(folders));
    EXPECT_EQ(site.colorOf(u"User ghost doesn't exist"_s), LogRed);
    EXPECT_EQ(lines.last(), u"Synching done."_s);
    EXPECT_EQ(site.colorOf(u"Synching done."_s), LogGreen);
    EXPECT_TRUE(state.Synching);
    EXPECT_EQ(site.test.shutdownRequests, 0);

    // An empty table does nothing at all, not even clearing the log.
    for (UserEntry &user : state.Users)
        user = UserEntry{};
    const qsizetype before = site.log().lineCount();
    site.click(u"Cmd_Sync"_s);
    EXPECT_EQ(site.log().lineCount(), before);
    EXPECT_EQ(site.pages->requests().size(), 6);
}

TEST(SyncCommand, ShutdownIsAskedForAndRequestedOnlyWhenConfirmed)
{
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes);
        ListingTestSite site;
        site.addUser(u"solo"_s, 0);
        site.open();
        site.state().Users[0] = UserEntry{u"solo"_s, false, false};
        site.tick(u"Chk_Shutdown"_s, true);
        site.test.prompts.answers = {yes ? Prompts::Answer::Yes : Prompts::Answer::No};

        site.click(u"Cmd_Sync"_s);
        ASSERT_EQ(messages(site).size(), 1);
        const auto question = messages(site)[0];
        EXPECT_EQ(question.text, u"Warning: Computer will shut down after synching is "
                                 u"done.\r\nStill want this ?"_s);
        EXPECT_EQ(question.title, ProductName);
        EXPECT_EQ(question.icon, Prompts::Icon::Exclamation);
        EXPECT_TRUE(question.yesNo);
        EXPECT_EQ(site.control<QCheckBox>(u"Chk_Shutdown"_s)->isChecked(), yes);

        ASSERT_TRUE(site.waitForLine(u"Synching done."_s));
        QStringList ending = {u"Synching done."_s};
        if (yes)
            ending.append(u"Everything is going down !"_s);
        EXPECT_EQ(site.lines().mid(site.lines().size() - ending.size()), ending);
        if (yes) {
            EXPECT_EQ(site.colorOf(u"Everything is going down !"_s), LogBlack);
        }
        EXPECT_EQ(site.test.shutdownRequests, yes ? 1 : 0);
        EXPECT_EQ(site.pages->requestPaths(), firstPages({u"gallery/solo"_s}));
    }
}

// The new job's first page stalls once, so that by its end the old job's wait
// (on a hung page, or in the pause between files) would have run out as well.
TEST(Jobs, ANewJobSupersedesTheRunningOne)
{
    enum Old
    {
        Get,
        Sync,
        Pause
    };
    for (const Old old : {Get, Sync, Pause}) {
        SCOPED_TRACE(old);
        ListingTestSite site;
        site.test.timeouts.listStallMs = 2000;
        site.addUser(u"first"_s, old == Pause ? 2 : 0, 0, 0);
        site.addUser(u"second"_s, 0, 0, 0);
        GalleryFileHost files(site.content);
        ASSERT_TRUE(files.listen());
        site.test.ports[TestHosts::File] = files.port();
        site.open();
        site.state().Users[0] = UserEntry{u"first"_s, true, true};
        site.state().Delay = 1; // the pause after the first file is one second
        if (old != Pause)
            site.pages->stallNext(1, u"/gallery/first/1"_s);
        site.pages->stallNext(1, u"/gallery/second/1"_s);
        if (old == Sync)
            site.click(u"Cmd_Sync"_s);
        else
            site.getFolders(u"first"_s, true, old == Get, old == Get);
        if (old == Pause) {
            ASSERT_TRUE(waitUntil([&] { return site.window().downloader().isPausing(); }));
            ASSERT_EQ(files.requests().size(), 1);
        } else {
            ASSERT_TRUE(waitUntil([&] { return site.pages->requests().size() == 1; }));
        }

        site.getFolders(u"second"_s, true, false, false);
        ASSERT_TRUE(site.waitForLine(NothingToDo));
        const QStringList second = {u"/gallery/second/1"_s, u"/gallery/second/1"_s};
        EXPECT_EQ(site.pages->requestPaths().mid(site.pages->requestPaths().size() - 2), second);
        EXPECT_EQ(site.pages->requestPaths().size(), old == Pause ? 4 : 3);
        const QStringList lines = site.lines();
        EXPECT_EQ(lines.mid(lines.indexOf(u"Listing second's gallery..."_s)),
                  (QStringList{u"Listing second's gallery..."_s, u"List socket timed out."_s,
                               NothingToDo}));
        EXPECT_FALSE(site.state().Synching);
        EXPECT_TRUE(site.errorReports().isEmpty());
        EXPECT_EQ(files.requests().size(), old == Pause ? 1 : 0);
        EXPECT_EQ(files.connectionCount(), old == Pause ? 1 : 0);
    }
}
