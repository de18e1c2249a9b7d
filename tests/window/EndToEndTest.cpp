#include "TestWindow.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;
using Fault = GalleryFileHost::Fault;

// A Sync through the real window against the simulated site. One file fails in
// each way the site can fail; the Sync goes on, every later folder says it is
// incomplete, and a Get afterwards fetches what is missing.
TEST(EndToEnd, ASyncThroughTheSitesFaults)
{
    TestWindow test;
    TestSite site;
    const QList<std::pair<Fault, QString>> faults = {
        {Fault::NotFound, "GS said 404 not found on "},
        {Fault::Forbidden, "GS said 403 forbidden on "},
        {Fault::BadRequest, "GS said 400 bad request on "},
    };
    site.addUser(u"alice"_s, int(faults.size()) + 1, 0, 1);
    site.addUser(u"bob"_s, 1);
    site.listen(test);
    test.timeouts.replyMs = 2000;
    test.writeSettings("130\r\nnamemode=1\r\nfoldermode=1\r\nusername=alice\r\ngetscraps=False\r\n"
                       "getfavs=True\r\nusername=bob\r\ngetscraps=False\r\ngetfavs=False\r\n");
    MainWindow &window = test.open();
    test.typeNoWait();
    waitUntil([&] { return window.eventLog().lineCount() >= 2; }, 3000); // the update check
    const auto file = [&](const QString &user, const QString &folder, int index) {
        return site.submission(user, folder, index).filePath();
    };
    const auto body = [&](const QString &user, const QString &folder, int index) {
        return site.submission(user, folder, index).body;
    };
    const auto waitForLine = [&](const QString &line) {
        return waitUntil([&] { return test.colouredLines().contains(line); });
    };
    for (int i = 0; i < faults.size(); ++i)
        site.files->setFault(file(u"alice"_s, u"gallery"_s, i), faults[i].first, 1);
    site.files->setFault(file(u"alice"_s, u"favorites"_s, 0), Fault::CloseMidBody, 1);

    control<QPushButton>(window, "Cmd_Sync")->click();
    ASSERT_TRUE(waitForLine(green(u"Synching done."_s)));
    const QStringList lines = test.colouredLines();
    EXPECT_EQ(lines.first(), black(u"Listing alice's gallery..."_s)); // a Sync clears the log
    for (int i = 0; i < faults.size(); ++i)
        EXPECT_TRUE(lines.contains(red(faults[i].second + file(u"alice"_s, u"gallery"_s, i))));
    EXPECT_TRUE(lines.contains(red(u"Data socket disconnected. Retry..."_s)));
    const QString partial = u"Retrieved only %1 submissions, see the log for errors."_s;
    EXPECT_EQ(lines.filter(u"Retrieved only"_s),
              (QStringList{red(partial.arg(4)), red(partial.arg(1)), red(partial.arg(1))}));
    EXPECT_FALSE(QFile::exists(test.path(u"alice-gallery/Gallery piece 1.png"_s)));
    EXPECT_EQ(readFile(test.path(u"alice-gallery/Gallery piece 4.png"_s)),
              body(u"alice"_s, u"gallery"_s, 3));
    // Favorites go to the common folder.
    EXPECT_EQ(readFile(test.path(u"favorites/Favorite 1.gif"_s)),
              body(u"alice"_s, u"favorites"_s, 0));
    EXPECT_EQ(readFile(test.path(u"bob-gallery/Gallery piece 1.png"_s)),
              body(u"bob"_s, u"gallery"_s, 0));
    EXPECT_EQ(site.files->requests().first(),
              "GET " + file(u"alice"_s, u"gallery"_s, 0).toLatin1() + " HTTP/1.0\r\nHost: " +
                  TestHosts::File.toLatin1() + "\r\nConnection: Keep-Alive\r\n\r\n");
    EXPECT_EQ(test.shutdownRequests, 0);

    // A Get keeps the log, starts without the error mark and fetches what is missing.
    const int before = window.eventLog().lineCount();
    control<QLineEdit>(window, "Txt_Uniuser")->setText(u"alice"_s);
    for (const auto &[box, on] :
         {std::pair{"Chk_Unigetgal", true}, {"Chk_Unigetscraps", false}, {"Chk_Unigetfavs", false}})
        control<QCheckBox>(window, box)->setChecked(on);
    control<QPushButton>(window, "Cmd_Get")->click();
    ASSERT_TRUE(waitForLine(green(u"Succesfully retrieved 3 submissions."_s)));
    EXPECT_EQ(test.colouredLines().mid(0, before), lines.mid(0, before));
    EXPECT_TRUE(
        test.colouredLines().contains(green(u"Skipping \"Gallery piece 4\": Already exists"_s)));
    EXPECT_EQ(readFile(test.path(u"alice-gallery/Gallery piece 1.png"_s)),
              body(u"alice"_s, u"gallery"_s, 0));
    EXPECT_EQ(window.windowTitle(), u"Vorpaline 1.38b: alice's gallery done OK"_s);
}
