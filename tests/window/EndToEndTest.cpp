#include "TestWindow.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;
using Fault = GalleryFileHost::Fault;

namespace {

// Get and Sync through the real window, from the click to the last saved
// file, against the simulated site.
class EndToEnd : public ::testing::Test
{
public:
    TestWindow test;
    TestSite site;
    MainWindow *window = nullptr;
    int startLines = 0;

    // Opens the window on this settings file (none: a first start), without the pause.
    void open(const QByteArray &settings = {})
    {
        site.listen(test);
        test.timeouts.replyMs = 2000;
        if (!settings.isEmpty())
            test.writeSettings("130\r\nnamemode=1\r\nfoldermode=1\r\n" + settings);
        window = &test.open();
        test.typeNoWait();
        waitUntil([&] { return window->eventLog().lineCount() >= 2; }, 3000); // the update check
        startLines = window->eventLog().lineCount();
    }
    void get(const QString &user, bool gallery, bool favorites)
    {
        control<QLineEdit>(*window, "Txt_Uniuser")->setText(user);
        control<QCheckBox>(*window, "Chk_Unigetgal")->setChecked(gallery);
        control<QCheckBox>(*window, "Chk_Unigetscraps")->setChecked(false);
        control<QCheckBox>(*window, "Chk_Unigetfavs")->setChecked(favorites);
        control<QPushButton>(*window, "Cmd_Get")->click();
    }
    bool waitForLine(const QString &line, int count = 1)
    {
        return waitUntil([&] { return test.colouredLines().count(line) >= count; });
    }
    QString retrieving(const QString &user, const QString &folder, int index, int total)
    {
        return black(u"Retrieving %1 (%2/%3)..."_s
                         .arg(site.submission(user, folder, index).filePath().section(u'/', -1))
                         .arg(index + 1)
                         .arg(total));
    }
    QByteArray body(const QString &user, const QString &folder, int index)
    {
        return site.submission(user, folder, index).body;
    }
};

} // namespace

TEST_F(EndToEnd, GetOfGalleryAndFavoritesSavesEveryFileInItsFolder)
{
    site.addUser(u"someone"_s, 5, 0, 2);
    open();
    get(u"SomeOne"_s, true, true);
    ASSERT_TRUE(waitForLine(green(u"Succesfully retrieved 2 submissions."_s)));

    QStringList expected{black(u"Listing someone's gallery..."_s),
                         black(u"Parsing page 1. Submissions found: 0"_s),
                         black(u"Parsing page 2. Submissions found: 4"_s),
                         black(u"Found 5 submissions on 2 page(s)."_s)};
    for (int i = 0; i < 5; ++i)
        expected << retrieving(u"someone"_s, u"gallery"_s, i, 5)
                 << green(u"Saved as Gallery piece %1.png"_s.arg(i + 1));
    expected << green(u"Succesfully retrieved 5 submissions."_s)
             << black(u"Listing someone's favorites..."_s)
             << black(u"Parsing page 1. Submissions found: 0"_s)
             << black(u"Found 2 submissions on 1 page(s)."_s);
    for (int i = 0; i < 2; ++i)
        expected << retrieving(u"someone"_s, u"favorites"_s, i, 2)
                 << green(u"Saved as Favorite %1.gif"_s.arg(i + 1));
    expected << green(u"Succesfully retrieved 2 submissions."_s);
    EXPECT_EQ(test.colouredLines().mid(startLines), expected);
    EXPECT_EQ(window->windowTitle(), u"Vorpaline 1.38b: someone's favorites done OK"_s);

    // Gallery files under user-folder, favorites in the common folder, byte for byte.
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(readFile(test.path(u"someone-gallery/Gallery piece %1.png"_s.arg(i + 1))),
                  body(u"someone"_s, u"gallery"_s, i));
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(readFile(test.path(u"favorites/Favorite %1.gif"_s.arg(i + 1))),
                  body(u"someone"_s, u"favorites"_s, i));
    // Each file was asked for once, with the exact request.
    ASSERT_EQ(site.files->requests().size(), 7);
    EXPECT_EQ(site.files->requests().first(),
              "GET " + site.submission(u"someone"_s, u"gallery"_s, 0).filePath().toLatin1() +
                  " HTTP/1.0\r\nHost: " + TestHosts::File.toLatin1() +
                  "\r\nConnection: Keep-Alive\r\n\r\n");
    EXPECT_TRUE(test.errorReports().isEmpty());
}

// One file fails in each way the site can fail; the Sync goes on, every later
// folder says it is incomplete, and a Get afterwards fetches what is missing.
TEST_F(EndToEnd, ASyncThroughTheSitesFaults)
{
    const QList<std::pair<Fault, QString>> faults = {
        {Fault::NotFound, "GS said 404 not found on "},
        {Fault::Forbidden, "GS said 403 forbidden on "},
        {Fault::BadRequest, "GS said 400 bad request on "},
    };
    site.addUser(u"alice"_s, int(faults.size()) + 1, 0, 1);
    site.addUser(u"bob"_s, 1);
    open("username=alice\r\ngetscraps=False\r\ngetfavs=True\r\n"
         "username=bob\r\ngetscraps=False\r\ngetfavs=False\r\n");
    for (int i = 0; i < faults.size(); ++i)
        site.files->setFault(site.submission(u"alice"_s, u"gallery"_s, i).filePath(),
                             faults[i].first, 1);
    site.files->setFault(site.submission(u"alice"_s, u"favorites"_s, 0).filePath(),
                         Fault::CloseMidBody, 1);

    control<QPushButton>(*window, "Cmd_Sync")->click();
    ASSERT_TRUE(waitForLine(green(u"Synching done."_s)));
    const QStringList lines = test.colouredLines();
    EXPECT_EQ(lines.first(), black(u"Listing alice's gallery..."_s)); // a Sync clears the log
    for (int i = 0; i < faults.size(); ++i)
        EXPECT_TRUE(lines.contains(
            red(faults[i].second + site.submission(u"alice"_s, u"gallery"_s, i).filePath())));
    EXPECT_TRUE(lines.contains(red(u"Data socket disconnected. Retry..."_s)));
    const QString partial = u"Retrieved only %1 submissions, see the log for errors."_s;
    EXPECT_EQ(lines.filter(u"Retrieved only"_s),
              (QStringList{red(partial.arg(4)), red(partial.arg(1)), red(partial.arg(1))}));
    EXPECT_FALSE(QFile::exists(test.path(u"alice-gallery/Gallery piece 1.png"_s)));
    EXPECT_EQ(readFile(test.path(u"alice-gallery/Gallery piece 4.png"_s)),
              body(u"alice"_s, u"gallery"_s, 3));
    EXPECT_EQ(readFile(test.path(u"favorites/Favorite 1.gif"_s)),
              body(u"alice"_s, u"favorites"_s, 0));
    EXPECT_TRUE(QFile::exists(test.path(u"bob-gallery/Gallery piece 1.png"_s)));
    EXPECT_EQ(test.shutdownRequests, 0);

    // A Get keeps the log, starts without the error mark and fetches what is missing.
    const int before = window->eventLog().lineCount();
    get(u"alice"_s, true, false);
    ASSERT_TRUE(waitForLine(green(u"Succesfully retrieved 3 submissions."_s)));
    EXPECT_EQ(test.colouredLines().mid(0, before), lines.mid(0, before));
    EXPECT_TRUE(
        test.colouredLines().contains(green(u"Skipping \"Gallery piece 4\": Already exists"_s)));
    EXPECT_EQ(readFile(test.path(u"alice-gallery/Gallery piece 1.png"_s)),
              body(u"alice"_s, u"gallery"_s, 0));
}
