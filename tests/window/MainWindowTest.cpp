#include "TestWindow.h"

#include "listing/ListingRequest.h"
#include "settings/SettingsFile.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using Fault = GalleryFileHost::Fault;

namespace {

void addUser(TestWindow &test, const QString &name)
{
    test.prompts.inputs << name;
    control<QPushButton>(*test.window, "Cmd_Add")->click();
}

} // namespace

// Saved at once when a user is added, readable by its owner alone.
TEST(WindowSettings, AddingAUserSavesTheFile)
{
    TestWindow test;
    MainWindow &window = test.open();
    EXPECT_EQ(test.prompts.ofKind(u"notice"_s).size(), 1); // a first start
    addUser(test, u"alice"_s);
    EXPECT_TRUE(readFile(window.settingsFilePath())
                    .contains("\r\nusername=alice\r\ngetscraps=False\r\ngetfavs=False\r\n"));
    EXPECT_EQ(QFile::permissions(window.settingsFilePath()) & QFileDevice::Permissions(0x7077),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// Each row: a file's lines after the version line, and the lines that differ
// from a first start's file when the window saves it again.
TEST(WindowSettings, EachStoredValueSurvivesARoundTrip)
{
    // clang-format off
    const std::pair<const char *, const char *> rows[] = {
        {"cookiea=a1\r\ncookieb=b2", "cookiea=a1\r\ncookieb=b2"},
        {"namemode=0\r\nfoldermode=2", "namemode=0\r\nfoldermode=2"},
        {"namemode=2\r\nfoldermode=0", "namemode=2\r\nfoldermode=0"},
        {"username=ann\r\ngetscraps=10\r\ngetfavs=False\r\nusername=bob\r\ngetfavs=1", "username=ann\r\ngetscraps=True\r\ngetfavs=False\r\nusername=bob\r\ngetscraps=False\r\ngetfavs=True"},
        {"delay=60", "delay=60"},
        {"delay=5", "delay=5"},
        {"delay=4", "delay=10"},
        {"getgfx=False\r\ngettext=0\r\ngetmusic=0.0\r\ngetflash=false", "getgfx=False\r\ngettext=False\r\ngetmusic=False\r\ngetflash=False"},
        {"getgeneral=0", "getgeneral=0"},
        {"getmature=0", "getmature=0"},
        {"getadult=0\r\nshutdown=1", "getadult=0\r\nshutdown=1"},
        {"commonfavs=0\r\nshutdown=1\r\nurlfix=1", "commonfavs=0\r\nshutdown=1\r\nurlfix=1"},
        {"maxsize=2.50MB", "maxsize=2.5"},
        {"savepath=/x/art\r\nfavpath=/x/favs", "savepath=/x/art\r\nfavpath=/x/favs"},
        // Line ends of an edited file.
        {"namemode=0\nfoldermode=0\nusername=cy\ngetscraps=True\ngetfavs=True", "namemode=0\r\nfoldermode=0\r\nusername=cy\r\ngetscraps=True\r\ngetfavs=True"},
    };
    // clang-format on
    for (const auto &[in, out] : rows) {
        SCOPED_TRACE(in);
        TestWindow test;
        // clang-format off
        QString expected = u"130\r\ncookiea=\r\ncookieb=\r\nnamemode=1\r\nfoldermode=1\r\n{users}delay=10\r\ngetgfx=True\r\ngettext=True\r\ngetmusic=True\r\ngetflash=True\r\ngetgeneral=1\r\ngetmature=1\r\ncommonfavs=1\r\ngetadult=1\r\nshutdown=0\r\nmaxsize=0\r\nsavepath={folder}\r\nfavpath={folder}/favorites\r\nurlfix=0\r\n"_s;
        // clang-format on
        const QStringList lines = QString::fromLatin1(out).split(u"\r\n"_s);
        const QRegularExpression userKeys(u"^(username|getscraps|getfavs)="_s);
        const QStringList users = lines.filter(userKeys);
        expected.replace(u"{users}"_s,
                         users.isEmpty() ? QString() : users.join(u"\r\n"_s) + u"\r\n"_s);
        for (const QString &line : lines)
            if (!userKeys.match(line).hasMatch())
                expected.replace(
                    QRegularExpression(u"\n"_s + line.section(u'=', 0, 0) + u"=[^\r]*"_s),
                    u"\n"_s + line);
        expected.replace(u"{folder}"_s, QDir::toNativeSeparators(test.folder.path()));
        const QByteArray eol = QByteArray(in).contains('\r') ? "\r\n" : "\n";
        test.writeSettings("130" + eol + in + eol);
        MainWindow &window = test.open();
        EXPECT_TRUE(test.prompts.shown.isEmpty());
        window.unload();
        EXPECT_EQ(QString::fromLatin1(readFile(window.settingsFilePath())), expected);
    }
}

TEST(WindowSettings, AFailedSaveKeepsTheOldFile)
{
    TestWindow test;
    test.writeSettings("130\r\nusername=alice\r\n");
    MainWindow &window = test.open();
    addUser(test, u"bob"_s);
    const QByteArray before = readFile(window.settingsFilePath());
    const QStringList files = QDir(test.folder.path()).entryList(QDir::Files);
    {
        const FileSizeLimit full(16); // every write past a few bytes fails
        addUser(test, u"carol"_s);
    }
    ASSERT_EQ(test.errorReports().size(), 1);
    EXPECT_TRUE(test.errorReports()[0].startsWith(u"Could not save the settings"_s));
    EXPECT_EQ(readFile(window.settingsFilePath()), before);
    EXPECT_EQ(QDir(test.folder.path()).entryList(QDir::Files), files); // no leftovers
    window.unload(); // still working: the next save has the new user
    EXPECT_TRUE(readFile(window.settingsFilePath()).contains("username=carol\r\n"));
}

// Texts pasted with a line break reach no request line, and names that would
// leave the download folders never reach the user list.
// The limits hold for what is typed; a longer text put in by the program (a
// listed user name, a stored size limit) is kept whole.
TEST(MainWindow, TextBoxesLimitTypingOnly)
{
    TestWindow test;
    MainWindow &window = test.open();
    for (const auto &[name, limit] : {std::pair{"Txt_Uniuser", 22}, {"Txt_Maxsize", 5}}) {
        SCOPED_TRACE(name);
        auto *box = control<QLineEdit>(window, name);
        box->clear();
        QTest::keyClicks(box, u"1234567890123456789012345678"_s);
        EXPECT_EQ(box->text(), u"1234567890123456789012345678"_s.left(limit));
        const QString longText = u"a_listed_user_name_of_30_chars"_s;
        box->setText(longText);
        box->end(false);
        QTest::keyClick(box, Qt::Key_X);
        EXPECT_EQ(box->text(), longText);
    }
}

TEST(MainWindow, PastedLineBreaksReachNoRequest)
{
    TestWindow t;
    MainWindow &window = t.open();
    control<QLineEdit>(window, "Txt_CookieA")->setText(u"a1\r\n"_s);
    control<QLineEdit>(window, "Txt_CookieB")->setText(u"b\t2\n"_s);
    control<QLineEdit>(window, "Txt_Uniuser")->setText(u"bob\r\n"_s);
    EXPECT_EQ(window.jobSettings().cookieA(), u"a1"_s);
    EXPECT_EQ(window.jobSettings().cookieB(), u"b2"_s);
    EXPECT_EQ(window.jobSettings().uniqueUserText(), u"bob"_s);
}

// A Sync through the real window against the simulated site: a refused file
// and a lost connection; the Sync goes on, every later folder says it is
// incomplete, and a Get afterwards fetches what is missing.
TEST(EndToEnd, ASyncThroughTheSitesFaults)
{
    TestWindow test;
    TestSite site;
    site.addUser(u"alice"_s, 2, 0, 1);
    site.addUser(u"bob"_s, 1);
    site.listen(test);
    test.timeouts.replyMs = 2000;
    test.writeSettings("130\r\nnamemode=1\r\nfoldermode=1\r\nusername=alice\r\ngetscraps=False\r\n"
                       "getfavs=True\r\nusername=bob\r\ngetscraps=False\r\ngetfavs=False\r\n");
    MainWindow &window = test.open();
    test.typeNoWait();
    waitUntil([&] { return window.eventLog().lineCount() >= 2; }, 3000); // the update check
    const SimSubmission &first = site.submission(u"alice"_s, u"gallery"_s, 0);
    site.files->setFault(first.filePath(), Fault::NotFound, 1);
    site.files->setFault(site.submission(u"alice"_s, u"favorites"_s, 0).filePath(),
                         Fault::CloseMidBody, 1);
    const auto waitForLine = [&](const QString &line) {
        return waitUntil([&] { return test.colouredLines().contains(line); });
    };

    control<QPushButton>(window, "Cmd_Sync")->click();
    ASSERT_TRUE(waitForLine(green(u"Synching done."_s)));
    const QStringList lines = test.colouredLines();
    EXPECT_EQ(lines.first(), black(u"Listing alice's gallery..."_s)); // a Sync clears the log
    EXPECT_TRUE(lines.contains(red("GS said 404 not found on " + first.filePath())));
    EXPECT_TRUE(lines.contains(red(u"Data socket disconnected. Retry..."_s)));
    const QString partial = u"Retrieved only %1 submissions, see the log for errors."_s;
    EXPECT_EQ(lines.filter(u"Retrieved only"_s),
              (QStringList{red(partial.arg(2)), red(partial.arg(1)), red(partial.arg(1))}));
    for (const auto &[path, user, folder, index] :
         {std::tuple{"alice-gallery/Gallery piece 2.png", "alice", "gallery", 1},
          {"favorites/Favorite 1.gif", "alice", "favorites", 0},
          {"bob-gallery/Gallery piece 1.png", "bob", "gallery", 0}})
        EXPECT_EQ(readFile(test.path(path)), site.submission(user, folder, index).body) << path;
    EXPECT_EQ(
        site.pages->requests().first(),
        listingRequest({u"gallery"_s, u"alice"_s, 1, TestHosts::PageAlias, {}, {}}).toLatin1());
    EXPECT_EQ(site.files->requests().first(),
              "GET " + first.filePath().toLatin1() + " HTTP/1.0\r\nHost: " +
                  TestHosts::File.toLatin1() + "\r\nConnection: Keep-Alive\r\n\r\n");

    // A Get keeps the log, starts without the error mark and fetches what is missing.
    const int before = window.eventLog().lineCount();
    control<QLineEdit>(window, "Txt_Uniuser")->setText(u"alice"_s);
    for (const auto &[box, on] :
         {std::pair{"Chk_Unigetgal", true}, {"Chk_Unigetscraps", false}, {"Chk_Unigetfavs", false}})
        control<QCheckBox>(window, box)->setChecked(on);
    control<QPushButton>(window, "Cmd_Get")->click();
    ASSERT_TRUE(waitForLine(green(u"Succesfully retrieved 1 submissions."_s)));
    EXPECT_EQ(test.colouredLines().mid(0, before), lines.mid(0, before));
    EXPECT_TRUE(
        test.colouredLines().contains(green(u"Skipping \"Gallery piece 2\": Already exists"_s)));
    EXPECT_EQ(readFile(test.path(u"alice-gallery/Gallery piece 1.png"_s)), first.body);
    EXPECT_EQ(window.windowTitle(), u"Vorpaline 1.38b: alice's gallery done OK"_s);
}

// The log's menu holds the switches; they go to vorpaline.ini, never to vorpl.dat.
TEST(WindowSettings, TheArchiveSwitchesLiveInTheirOwnFile)
{
    TestWindow test;
    writeFile(test.path(u"vorpaline.ini"_s), "[archive]\nquickSync=true\n");
    const auto ticks = [](MainWindow &window, bool toggle) {
        QString shown;
        for (QAction *action : control(window, "ListView1")->actions())
            if (action->isCheckable())
                shown += action->text() + (action->isChecked() ? u"+"_s : u"-"_s),
                    toggle ? action->trigger() : void();
        return shown;
    };
    MainWindow &window = test.open();
    EXPECT_EQ(ticks(window, true),
              u"S&kip what was fetched before-&Quick sync+&Resume cut files-"_s);
    EXPECT_TRUE(window.jobSettings().skipArchived() && !window.jobSettings().quickSync());
    window.unload();
    EXPECT_FALSE(readFile(window.settingsFilePath()).toLower().contains("skip"));
    EXPECT_EQ(ticks(test.open(), false),
              u"S&kip what was fetched before+&Quick sync-&Resume cut files+"_s);
}
