#include "GalleryFileHost.h"
#include "ListingTestSite.h"
#include "log/LogColors.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// Get and Sync from the first click to the last saved file, against the
// simulated page host and file host.
class EndToEnd : public ::testing::Test
{
public:
    ListingTestSite site;
    std::unique_ptr<GalleryFileHost> files;

    MainWindow &open()
    {
        files = std::make_unique<GalleryFileHost>(site.content);
        if (!files->listen())
            throw std::runtime_error("file host cannot listen");
        site.test.ports[TestHosts::File] = files->port();
        site.test.timeouts.replyMs = 2000;
        MainWindow &window = site.open();
        window.state().NoWait = true; // the pause has tests of its own
        return window;
    }

    QString saved(const QString &relative) const { return site.test.path(relative); }

    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    const SimSubmission &submission(const QString &user, const QString &folder, int index)
    {
        return (*site.content.user(user)->folder(folder))[index];
    }

    QString retrieving(const QString &user, const QString &folder, int index, int total)
    {
        const QString path = submission(user, folder, index).filePath();
        return QStringLiteral("Retrieving %1 (%2/%3)...")
            .arg(path.mid(path.lastIndexOf(u'/') + 1))
            .arg(index + 1)
            .arg(total);
    }
};

} // namespace

TEST_F(EndToEnd, GetOfGalleryAndFavoritesSavesEveryFileInItsFolder)
{
    site.addUser(QStringLiteral("someone"), 5, 0, 2);
    open();

    site.getFolders(QStringLiteral("SomeOne"), true, false, true);
    ASSERT_TRUE(site.waitForLine(QStringLiteral("Succesfully retrieved 2 submissions.")));

    QStringList expected{QStringLiteral("Listing someone's gallery..."),
                         QStringLiteral("Parsing page 1. Submissions found: 0"),
                         QStringLiteral("Parsing page 2. Submissions found: 4"),
                         QStringLiteral("Found 5 submissions on 2 page(s).")};
    for (int i = 0; i < 5; ++i)
        expected << retrieving(QStringLiteral("someone"), QStringLiteral("gallery"), i, 5)
                 << QStringLiteral("Saved as Gallery piece %1.png").arg(i + 1);
    expected << QStringLiteral("Succesfully retrieved 5 submissions.")
             << QStringLiteral("Listing someone's favorites...")
             << QStringLiteral("Parsing page 1. Submissions found: 0")
             << QStringLiteral("Found 2 submissions on 1 page(s).");
    for (int i = 0; i < 2; ++i)
        expected << retrieving(QStringLiteral("someone"), QStringLiteral("favorites"), i, 2)
                 << QStringLiteral("Saved as Favorite %1.gif").arg(i + 1);
    expected << QStringLiteral("Succesfully retrieved 2 submissions.");
    EXPECT_EQ(site.lines(), expected);

    EXPECT_EQ(site.colorOf(QStringLiteral("Saved as Gallery piece 1.png")), LogGreen);
    EXPECT_EQ(site.colorOf(QStringLiteral("Found 5 submissions on 2 page(s).")), LogBlack);
    EXPECT_EQ(site.colorOf(QStringLiteral("Succesfully retrieved 5 submissions.")), LogGreen);

    // Gallery files under user-folder, favorites in the common folder, byte for byte.
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(read(saved(QStringLiteral("someone-gallery/Gallery piece %1.png").arg(i + 1))),
                  submission(QStringLiteral("someone"), QStringLiteral("gallery"), i).body);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(read(saved(QStringLiteral("favorites/Favorite %1.gif").arg(i + 1))),
                  submission(QStringLiteral("someone"), QStringLiteral("favorites"), i).body);

    // Each file was asked for once, with the exact request.
    ASSERT_EQ(files->requests().size(), 7);
    EXPECT_EQ(files->requests().first(),
              "GET " +
                  submission(QStringLiteral("someone"), QStringLiteral("gallery"), 0)
                      .filePath()
                      .toLatin1() +
                  " HTTP/1.0\r\nHost: " + TestHosts::File.toLatin1() +
                  "\r\nConnection: Keep-Alive\r\n\r\n");
    EXPECT_TRUE(site.errorReports().isEmpty());
}

TEST_F(EndToEnd, ARefusedFileInASyncMarksEveryLaterFolderAndTheNextGetStartsClean)
{
    site.addUser(QStringLiteral("alice"), 2, 0, 1);
    site.addUser(QStringLiteral("bob"), 1);
    site.addUser(QStringLiteral("carol"), 1);
    MainWindow &window = open();
    JobState &state = window.state();
    state.Users[0] = UserEntry{QStringLiteral("alice"), false, true};
    state.Users[2] = UserEntry{QStringLiteral("bob"), false, false};
    state.Users[3] = UserEntry{QStringLiteral("carol"), false, false};
    state.UserCount = 4;
    files->setFault(submission(QStringLiteral("alice"), QStringLiteral("gallery"), 0).filePath(),
                    GalleryFileHost::Fault::NotFound, 1);

    site.click(QStringLiteral("Cmd_Sync"));
    ASSERT_TRUE(site.waitForLine(QStringLiteral("Synching done.")));

    const QString notFound =
        QStringLiteral("GS said 404 not found on ") +
        submission(QStringLiteral("alice"), QStringLiteral("gallery"), 0).filePath();
    EXPECT_EQ(site.colorOf(notFound), LogRed);
    const QStringList summaries = site.lines().filter(QStringLiteral("Retrieved only"));
    EXPECT_EQ(
        summaries,
        (QStringList{QStringLiteral("Retrieved only 2 submissions, see the log for errors."),
                     QStringLiteral("Retrieved only 1 submissions, see the log for errors."),
                     QStringLiteral("Retrieved only 1 submissions, see the log for errors."),
                     QStringLiteral("Retrieved only 1 submissions, see the log for errors.")}));
    EXPECT_EQ(site.colorOf(summaries.first()), LogRed);
    EXPECT_EQ(site.colorOf(QStringLiteral("Synching done.")), LogGreen);
    EXPECT_FALSE(QFile::exists(saved(QStringLiteral("alice-gallery/Gallery piece 1.png"))));
    EXPECT_EQ(read(saved(QStringLiteral("alice-gallery/Gallery piece 2.png"))),
              submission(QStringLiteral("alice"), QStringLiteral("gallery"), 1).body);
    EXPECT_TRUE(QFile::exists(saved(QStringLiteral("favorites/Favorite 1.gif"))));
    EXPECT_TRUE(QFile::exists(saved(QStringLiteral("carol-gallery/Gallery piece 1.png"))));
    EXPECT_EQ(site.test.shutdownRequests, 0);

    // A Get keeps the log, clears the error mark and fetches what is missing.
    const int linesBefore = site.log().lineCount();
    site.getFolders(QStringLiteral("alice"), true, false, false);
    ASSERT_TRUE(site.waitForLine(QStringLiteral("Succesfully retrieved 1 submissions.")));
    EXPECT_FALSE(state.Synching);
    EXPECT_EQ(site.log().lineText(0).isEmpty(), false);
    EXPECT_GT(site.log().lineCount(), linesBefore);
    EXPECT_EQ(site.colorOf(QStringLiteral("Skipping \"Gallery piece 2\": Already exists")),
              LogGreen);
    EXPECT_EQ(read(saved(QStringLiteral("alice-gallery/Gallery piece 1.png"))),
              submission(QStringLiteral("alice"), QStringLiteral("gallery"), 0).body);
}
