#include "GalleryFileHost.h"
#include "ListingTestSite.h"

#include "download/Downloader.h"
#include "job/JobRunner.h"
#include "log/LogColors.h"
#include "windows/ReportTexts.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const QString NothingToDo = QStringLiteral("No submissions to download.");

QStringList listingLines(const QStringList &lines)
{
    return lines.filter(QRegularExpression(QStringLiteral("^Listing ")));
}

QList<ScriptedPrompts::Shown> messages(ListingTestSite &site)
{
    return site.test.prompts.ofKind(QStringLiteral("message"));
}

} // namespace

TEST(GetCommand, FolderOrderForEveryBoxCombination)
{
    struct Case
    {
        bool gallery, scraps, favorites;
        QStringList folders;
    };
    const std::vector<Case> cases = {
        {true, false, false, {"gallery"}},
        {false, true, false, {"scraps"}},
        {false, false, true, {"favorites"}},
        {true, true, false, {"gallery", "scraps"}},
        {true, false, true, {"gallery", "favorites"}},
        {false, true, true, {"scraps", "favorites"}},
        {true, true, true, {"gallery", "scraps", "favorites"}},
    };
    for (const Case &c : cases) {
        ListingTestSite site;
        site.addUser(QStringLiteral("someone"), 0, 0, 0);
        site.open();
        site.getFolders(QStringLiteral("someone"), c.gallery, c.scraps, c.favorites);
        ASSERT_TRUE(site.waitForLine(NothingToDo, int(c.folders.size())))
            << c.folders.join(u',').toStdString();
        QStringList paths, listing;
        for (const QString &folder : c.folders) {
            paths.append(QStringLiteral("/%1/someone/1").arg(folder));
            listing.append(QStringLiteral("Listing someone's %1...").arg(folder));
        }
        const QStringList lines = site.lines();
        EXPECT_EQ(site.pages->requestPaths(), paths);
        EXPECT_EQ(listingLines(lines), listing);
        // The Get is over: its last line is the last folder's own.
        EXPECT_EQ(lines.last(), NothingToDo);
        EXPECT_EQ(site.state().CurrentFolder, c.folders.last());
        EXPECT_TRUE(messages(site).isEmpty());
    }
}

TEST(GetCommand, InputIsCheckedAndTheNameIsListedInLowerCase)
{
    ListingTestSite site;
    site.addUser(QStringLiteral("mossfern"), 0);
    site.open();
    site.window().AddEvent(QStringLiteral("earlier line"), LogBlack);

    site.getFolders(QString(), true, false, false);
    ASSERT_EQ(messages(site).size(), 1);
    EXPECT_EQ(messages(site)[0].text, QStringLiteral("Please enter an username."));
    EXPECT_EQ(messages(site)[0].icon, Prompts::Icon::Exclamation);
    EXPECT_EQ(messages(site)[0].title, ProductName);
    EXPECT_FALSE(messages(site)[0].yesNo);
    EXPECT_TRUE(site.state().CurrentUser.isEmpty());

    site.getFolders(QStringLiteral("MossFern"), false, false, false);
    ASSERT_EQ(messages(site).size(), 2);
    EXPECT_EQ(messages(site)[1].text, QStringLiteral("Please select which gallery to download."));
    EXPECT_EQ(site.state().CurrentUser, QStringLiteral("mossfern"));
    EXPECT_EQ(site.state().PageNumber, 0);

    site.getFolders(QStringLiteral("MossFern"), true, false, false);
    ASSERT_TRUE(site.waitForLine(NothingToDo));
    EXPECT_EQ(site.pages->requestPaths(), QStringList{QStringLiteral("/gallery/mossfern/1")});
    // A Get keeps what the log already held.
    EXPECT_EQ(site.lines().first(), QStringLiteral("earlier line"));
    EXPECT_TRUE(site.lines().contains(QStringLiteral("Listing mossfern's gallery...")));
    EXPECT_FALSE(site.state().Synching);
}

TEST(GetCommand, BoxesAreReadWhenTheNextFolderIsChosen)
{
    ListingTestSite site;
    site.addUser(QStringLiteral("someone"), 0, 0, 0);
    site.open();
    QObject::connect(&site.log(), &EventLog::lineAdded, &site.log(),
                     [&site](const QString &text, int32_t) {
                         if (text == QStringLiteral("Listing someone's scraps..."))
                             site.tick(QStringLiteral("Chk_Unigetfavs"), false);
                     });
    site.getFolders(QStringLiteral("someone"), true, true, true);
    ASSERT_TRUE(site.waitForLine(NothingToDo, 2));
    EXPECT_EQ(site.pages->requestPaths(), (QStringList{QStringLiteral("/gallery/someone/1"),
                                                       QStringLiteral("/scraps/someone/1")}));
    EXPECT_EQ(site.lines().last(), NothingToDo);
}

TEST(SyncCommand, WalksTheTableSkippingEmptySlotsAndMissingUsers)
{
    ListingTestSite site;
    for (const char *name : {"Alpha", "beta", "gamma"})
        site.addUser(QString::fromLatin1(name), 0, 0, 0);
    site.open();
    site.window().AddEvent(QStringLiteral("earlier line"), LogBlack);
    JobState &state = site.state();
    state.Users[5] = UserEntry{QStringLiteral("Alpha"), true, false};
    state.Users[7] = UserEntry{QStringLiteral("beta"), false, true};
    state.Users[9] = UserEntry{QStringLiteral("ghost"), true, true};
    state.Users[1023] = UserEntry{QStringLiteral("gamma"), false, false};
    state.UserCount = 1024;

    site.click(QStringLiteral("Cmd_Sync"));
    ASSERT_TRUE(site.waitForLine(QStringLiteral("Synching done.")));
    EXPECT_EQ(
        site.pages->requestPaths(),
        (QStringList{QStringLiteral("/gallery/Alpha/1"), QStringLiteral("/scraps/Alpha/1"),
                     QStringLiteral("/gallery/beta/1"), QStringLiteral("/favorites/beta/1"),
                     QStringLiteral("/gallery/ghost/1"), QStringLiteral("/gallery/gamma/1")}));
    const QStringList lines = site.lines();
    EXPECT_EQ(lines.first(), QStringLiteral("Listing Alpha's gallery..."));
    EXPECT_FALSE(lines.contains(QStringLiteral("earlier line")));
    EXPECT_EQ(listingLines(lines), (QStringList{QStringLiteral("Listing Alpha's gallery..."),
                                                QStringLiteral("Listing Alpha's scraps..."),
                                                QStringLiteral("Listing beta's gallery..."),
                                                QStringLiteral("Listing beta's favorites..."),
                                                QStringLiteral("Listing ghost's gallery..."),
                                                QStringLiteral("Listing gamma's gallery...")}));
    EXPECT_EQ(site.colorOf(QStringLiteral("User ghost doesn't exist")), LogRed);
    EXPECT_EQ(lines.last(), QStringLiteral("Synching done."));
    EXPECT_EQ(site.colorOf(QStringLiteral("Synching done.")), LogGreen);
    EXPECT_TRUE(state.Synching);
    EXPECT_EQ(site.test.shutdownRequests, 0);

    // An empty table does nothing at all, not even clearing the log.
    for (UserEntry &user : state.Users)
        user = UserEntry{};
    const qsizetype before = site.log().lineCount();
    site.click(QStringLiteral("Cmd_Sync"));
    EXPECT_EQ(site.log().lineCount(), before);
    EXPECT_EQ(site.pages->requests().size(), 6);
}

TEST(SyncCommand, ShutdownIsAskedForAndRequestedOnlyWhenConfirmed)
{
    for (const Prompts::Answer answer : {Prompts::Answer::Yes, Prompts::Answer::No}) {
        const bool yes = answer == Prompts::Answer::Yes;
        ListingTestSite site;
        site.addUser(QStringLiteral("solo"), 0);
        site.open();
        site.state().Users[0] = UserEntry{QStringLiteral("solo"), false, false};
        site.tick(QStringLiteral("Chk_Shutdown"), true);
        site.test.prompts.answers = {answer};

        site.click(QStringLiteral("Cmd_Sync"));
        ASSERT_EQ(messages(site).size(), 1);
        const auto question = messages(site)[0];
        EXPECT_EQ(question.text,
                  QStringLiteral("Warning: Computer will shut down after synching is "
                                 "done.\r\nStill want this ?"));
        EXPECT_EQ(question.title, ProductName);
        EXPECT_EQ(question.icon, Prompts::Icon::Exclamation);
        EXPECT_TRUE(question.yesNo);
        EXPECT_EQ(site.control<QCheckBox>(QStringLiteral("Chk_Shutdown"))->isChecked(), yes);

        ASSERT_TRUE(site.waitForLine(QStringLiteral("Synching done.")));
        const QStringList lines = site.lines();
        if (yes) {
            EXPECT_EQ(lines.mid(lines.size() - 2),
                      (QStringList{QStringLiteral("Synching done."),
                                   QStringLiteral("Everything is going down !")}));
            EXPECT_EQ(site.colorOf(QStringLiteral("Everything is going down !")), LogBlack);
        } else {
            EXPECT_EQ(lines.last(), QStringLiteral("Synching done."));
        }
        EXPECT_EQ(site.test.shutdownRequests, yes ? 1 : 0);
        EXPECT_EQ(site.pages->requestPaths(), QStringList{QStringLiteral("/gallery/solo/1")});
    }
}

TEST(Jobs, ANewJobSupersedesTheRunningOne)
{
    for (const bool oldIsSync : {false, true}) {
        ListingTestSite site;
        site.test.timeouts.listStallMs = 2000;
        site.addUser(QStringLiteral("first"), 0, 0, 0);
        site.addUser(QStringLiteral("second"), 0, 0, 0);
        site.open();
        site.state().Users[0] = UserEntry{QStringLiteral("first"), true, true};
        // The old job hangs on its first page; the new one's first page stalls once too, so
        // that by its end the old job's wait would have run out as well.
        site.pages->stallNext(1, QStringLiteral("/gallery/first/1"));
        site.pages->stallNext(1, QStringLiteral("/gallery/second/1"));
        if (oldIsSync)
            site.click(QStringLiteral("Cmd_Sync"));
        else
            site.getFolders(QStringLiteral("first"), true, true, true);
        ASSERT_TRUE(ListingTestSite::waitFor([&] { return site.pages->requests().size() == 1; }));

        site.getFolders(QStringLiteral("second"), true, false, false);
        ASSERT_TRUE(site.waitForLine(NothingToDo)) << oldIsSync;
        EXPECT_EQ(site.pages->requestPaths(), (QStringList{QStringLiteral("/gallery/first/1"),
                                                           QStringLiteral("/gallery/second/1"),
                                                           QStringLiteral("/gallery/second/1")}));
        const QStringList lines = site.lines();
        const QStringList afterward =
            lines.mid(lines.indexOf(QStringLiteral("Listing second's gallery...")));
        EXPECT_EQ(afterward, (QStringList{QStringLiteral("Listing second's gallery..."),
                                          QStringLiteral("List socket timed out."), NothingToDo}));
        EXPECT_FALSE(site.state().Synching);
        EXPECT_TRUE(site.errorReports().isEmpty());
    }
}

TEST(Jobs, ANewJobStopsThePauseBetweenTheOldJobsFiles)
{
    ListingTestSite site;
    site.test.timeouts.listStallMs = 2000;
    site.addUser(QStringLiteral("first"), 2);
    site.addUser(QStringLiteral("second"), 0);
    GalleryFileHost files(site.content);
    ASSERT_TRUE(files.listen());
    site.test.ports[TestHosts::File] = files.port();
    site.open();
    site.state().Delay = 1; // the pause after the first file is one second
    site.getFolders(QStringLiteral("first"), true, false, false);
    ASSERT_TRUE(ListingTestSite::waitFor([&] { return site.window().downloader().isPausing(); }));
    ASSERT_EQ(files.requests().size(), 1);

    // The new job takes longer than the old pause would have lasted.
    site.pages->stallNext(1, QStringLiteral("/gallery/second/1"));
    site.getFolders(QStringLiteral("second"), true, false, false);
    ASSERT_TRUE(site.waitForLine(NothingToDo));
    EXPECT_EQ(files.connectionCount(), 1);
    EXPECT_EQ(files.requests().size(), 1);
    const QStringList lines = site.lines();
    EXPECT_EQ(lines.mid(lines.indexOf(QStringLiteral("Listing second's gallery..."))),
              (QStringList{QStringLiteral("Listing second's gallery..."),
                           QStringLiteral("List socket timed out."), NothingToDo}));
}
