#include "GalleryContent.h"
#include "GalleryFileHost.h"
#include "GalleryPageHost.h"
#include "ScriptedPrompts.h"
#include "TestWaits.h"
#include "job/PlainJobSettings.h"
#include "job/Session.h"
#include "log/EventLog.h"
#include "log/LogColors.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iostream>
#include <memory>

namespace {

const QString PageHost = QStringLiteral("pages.test.invalid");
const QString FileHost = QStringLiteral("files.test.invalid");

// A Session without a window, against the simulated site on loopback.
class SyncRecoveryTest : public ::testing::Test
{
protected:
    QTemporaryDir folder;
    GalleryContent content;
    GalleryPageHost pages{content, FileHost};
    GalleryFileHost files{content};
    ScriptedPrompts prompts;
    PlainJobSettings settings;
    PlainJobDisplay display;
    QHash<QString, quint16> ports;
    Timeouts timeouts;
    std::unique_ptr<Session> session;
    int nextId = 1000;

    void SetUp() override
    {
        ASSERT_TRUE(pages.listen());
        ASSERT_TRUE(files.listen());
        ports[PageHost] = pages.port();
        ports[FileHost] = files.port();
        settings.savePath = folder.path();
        timeouts.listRetryMs = 20;
    }

    void start()
    {
        AppEnvironment env;
        env.site = SiteConfig{PageHost, QStringLiteral("gallery.test.invalid"),
                              FileHost, QStringLiteral("update.test.invalid"),
                              {},       {}};
        env.resolver = [this](const QString &host, quint16) {
            return Endpoint{QStringLiteral("127.0.0.1"), ports.value(host)};
        };
        env.programFolder = folder.path();
        env.prompts = &prompts;
        env.timeouts = timeouts;
        session = std::make_unique<Session>(env, settings, display);
        session->state().Delay = 5;
    }

    // A listed user (name as stored) with a gallery of this many pictures.
    void list(int slot, const QString &name, int gallery)
    {
        SimUser user;
        user.name = name;
        for (int i = 0; i < gallery; ++i)
            user.gallery.append(GalleryContent::make(nextId++, name.toLower(),
                                                     QStringLiteral("work"), QStringLiteral("png"),
                                                     QStringLiteral("Piece %1").arg(i + 1)));
        content.addUser(user);
        session->state().Users[size_t(slot)].Name = name;
    }

    int savedIn(const QString &subfolder) const
    {
        return int(QDir(folder.filePath(subfolder)).entryList(QDir::Files).size());
    }
    bool logged(int32_t color, const QString &text) const
    {
        const EventLog &log = session->log();
        for (int row = 0; row < log.lineCount(); ++row)
            if (log.lineColor(row) == color && log.lineText(row) == text)
                return true;
        return false;
    }
    bool syncDone() const { return logged(LogGreen, QStringLiteral("Synching done.")); }
};

TEST_F(SyncRecoveryTest, SyncOfANameWithCapitalsSavesEveryGalleryFile)
{
    content.pageSize = 3;
    start();
    session->state().NoWait = true;
    list(0, QStringLiteral("Alpha"), 5);
    session->Sync();

    ASSERT_TRUE(waitUntil([&] { return syncDone(); }));
    // The listing asks for the name as stored; the file addresses carry it in lower case.
    EXPECT_EQ(pages.requestPaths().first(), QStringLiteral("/gallery/Alpha/1"));
    EXPECT_TRUE(files.requests().first().startsWith("GET /art/alpha/1000.alpha.work.png "));
    EXPECT_TRUE(logged(LogGreen, QStringLiteral("Succesfully retrieved 5 submissions.")));
    EXPECT_EQ(savedIn(QStringLiteral("Alpha-gallery")), 5);
}

TEST_F(SyncRecoveryTest, APageThatCannotBeListedEndsOnlyItsFolder)
{
    start();
    session->state().NoWait = true;
    list(0, QStringLiteral("first"), 2);
    list(1, QStringLiteral("second"), 2);
    list(2, QStringLiteral("third"), 3);
    pages.dropNext(1000, QStringLiteral("/gallery/first/1"));
    session->Sync();

    ASSERT_TRUE(waitUntil([&] { return syncDone(); }));
    EXPECT_TRUE(logged(LogRed, QStringLiteral("Could not list page 1 of first's gallery: the "
                                              "connection was lost 4 times before the page was "
                                              "complete")));
    EXPECT_EQ(pages.requestPaths().count(QStringLiteral("/gallery/first/1")), 4);
    EXPECT_EQ(savedIn(QStringLiteral("second-gallery")), 2);
    EXPECT_EQ(savedIn(QStringLiteral("third-gallery")), 3);
    EXPECT_TRUE(prompts.ofKind(QStringLiteral("error")).isEmpty());
}

TEST_F(SyncRecoveryTest, AnUnreachablePageHostIsReportedWhileTheSyncGoesOn)
{
    QTcpServer closed; // a port that refuses connections
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    ports[PageHost] = closed.serverPort();
    closed.close();
    start();
    list(0, QStringLiteral("first"), 1);
    list(1, QStringLiteral("second"), 1);

    // The report stays open until the Sync is over: the job must not wait for it.
    bool doneWhileOpen = false;
    QString reportedUser;
    prompts.onErrorReport = [&](const ScriptedPrompts::Shown &shown) {
        reportedUser = shown.text.split(QStringLiteral("\r\n")).value(1);
        doneWhileOpen = waitUntil([&] { return syncDone(); }, 10000);
    };
    session->Sync();

    ASSERT_TRUE(waitUntil([&] { return syncDone(); }));
    EXPECT_TRUE(doneWhileOpen);
    ASSERT_EQ(prompts.ofKind(QStringLiteral("error")).size(), 1);
    EXPECT_EQ(prompts.ofKind(QStringLiteral("error")).first().title,
              QStringLiteral("Error 10061 raised by sock1."));
    EXPECT_EQ(reportedUser, QStringLiteral("While getting first's gallery"));
    for (const QString &user : {QStringLiteral("first"), QStringLiteral("second")})
        EXPECT_TRUE(logged(
            LogRed,
            QStringLiteral("Could not list page 1 of ") + user +
                QStringLiteral("'s gallery: error 10061: Connection is forcefully rejected")))
            << user.toStdString();
}

TEST_F(SyncRecoveryTest, RetriesAndTheFileAfterAGivenUpOneWaitThePause)
{
    timeouts.pauseSecondMs = 40; // the pause of 5 "seconds" lasts 200 ms
    const qint64 pauseMs = 5 * 40;
    start();
    list(0, QStringLiteral("first"), 2);

    QElapsedTimer clock;
    clock.start();
    QList<qint64> failures;
    qint64 gaveUp = -1;
    QObject::connect(&session->log(), &EventLog::lineAdded, [&](const QString &text, int32_t) {
        if (text.startsWith(QStringLiteral("Data socket error")))
            failures.append(clock.elapsed());
        if (text.startsWith(QStringLiteral("Could not retrieve"))) {
            failures.append(gaveUp = clock.elapsed());
            files.setRefusing(false); // the next file gets through
        }
    });
    qint64 nextRequest = -1;
    QObject::connect(&files, &GalleryFileHost::requestReceived,
                     [&] { nextRequest = nextRequest < 0 ? clock.elapsed() : nextRequest; });
    files.setRefusing(true);
    session->Sync();

    ASSERT_TRUE(waitUntil([&] { return syncDone(); }));
    ASSERT_EQ(failures.size(), 5);
    for (int i = 1; i < failures.size(); ++i)
        EXPECT_GE(failures[i] - failures[i - 1], pauseMs - 5) << "attempt " << i + 1;
    EXPECT_GE(failures.last() - failures.first(), 4 * pauseMs - 5);
    EXPECT_LT(failures.last() - failures.first(), 10000);
    EXPECT_GE(nextRequest - gaveUp, pauseMs - 5);
    EXPECT_EQ(savedIn(QStringLiteral("first-gallery")), 1);
    std::cout << "failed attempts at (ms):";
    for (qint64 at : failures)
        std::cout << ' ' << at;
    std::cout << "; next file requested at " << nextRequest << '\n';
}

} // namespace
