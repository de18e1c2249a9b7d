#include "TestWindow.h"

#include "listing/ListingRequest.h"
#include "naming/UserNames.h"
#include "settings/SettingsFile.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>

using namespace Qt::StringLiterals;
using Fault = GalleryFileHost::Fault;

namespace {

// The settings file the program writes for one user with these controls.
const QByteArray AliceFile =
    "130\r\ncookiea=\r\ncookieb=\r\nnamemode=1\r\nfoldermode=1\r\nusername=alice\r\n"
    "getscraps=True\r\ngetfavs=False\r\ndelay=10\r\ngetgfx=True\r\ngettext=True\r\n"
    "getmusic=True\r\ngetflash=False\r\ngetgeneral=1\r\ngetmature=1\r\ncommonfavs=1\r\n"
    "getadult=0\r\nshutdown=0\r\nmaxsize=0\r\nsavepath=D:\\Art\r\nfavpath=D:\\Art\\favorites\r\n"
    "urlfix=0\r\n";

void addUser(TestWindow &test, const QString &name)
{
    test.prompts.inputs << name;
    control<QPushButton>(*test.window, "Cmd_Add")->click();
}

bool rowShown(QTreeView *view, int row)
{
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    return rect.isValid() && view->viewport()->rect().contains(rect);
}

QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->text(QAccessible::Name) : QStringLiteral("(no interface)");
}

// Every label is announced with the text it shows now ("&&" shows as "&").
void expectLabelsReadAsShown(MainWindow &window)
{
    const auto labels = window.findChildren<QLabel *>();
    ASSERT_FALSE(labels.isEmpty());
    for (QLabel *label : labels) {
        QString shown = label->text();
        if (label->buddy())
            shown.replace(QStringLiteral("&&"), QStringLiteral("&"));
        EXPECT_EQ(accessibleName(label), shown) << label->objectName().toStdString();
    }
}

} // namespace

TEST(WindowSettings, ControlsAreSavedByteForByte)
{
    TestWindow test;
    MainWindow &window = test.open();
    EXPECT_EQ(test.prompts.ofKind(u"notice"_s).size(), 1); // a first start
    addUser(test, u"alice"_s);
    control<QCheckBox>(window, "Chk_Syngetscraps")->click();
    control<QListWidget>(window, "Lst_Types")->item(3)->setCheckState(Qt::Unchecked);
    control<QCheckBox>(window, "Chk_Getadult")->setChecked(false);
    control<QLineEdit>(window, "Txt_Path")->setText(u"D:\\Art"_s);
    control<QLineEdit>(window, "Txt_Favpath")->setText(u"D:\\Art\\favorites"_s);
    window.unload();
    EXPECT_EQ(readFile(window.settingsFilePath()), AliceFile);
    EXPECT_EQ(QFile::permissions(window.settingsFilePath()) & QFileDevice::Permissions(0x7077),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // The next start shows it all again, and saves the same bytes.
    TestWindow second;
    second.writeSettings(AliceFile);
    MainWindow &again = second.open();
    EXPECT_TRUE(second.prompts.shown.isEmpty());
    EXPECT_EQ(control<QListWidget>(again, "Lst_Names")->item(0)->text(), u"[S ]alice"_s);
    EXPECT_FALSE(again.typeWanted(3));
    EXPECT_FALSE(again.ratingWanted(2));
    again.unload();
    EXPECT_EQ(readFile(again.settingsFilePath()), AliceFile);
}

TEST(WindowSettings, AFailedSaveKeepsTheOldFile)
{
    TestWindow test;
    test.writeSettings(AliceFile);
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

TEST(WindowSettings, AnUnreadableFileIsReported)
{
    TestWindow unreadable;
    unreadable.writeSettings(AliceFile);
    QFile::setPermissions(unreadable.path(SettingsFileName), QFileDevice::WriteOwner);
    if (QFile(unreadable.path(SettingsFileName)).open(QIODevice::ReadOnly))
        GTEST_SKIP() << "running with rights that read any file";
    unreadable.open();
    EXPECT_EQ(unreadable.errorReports().size(), 1);
}

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
        QTest::keyClick(box, Qt::Key_Backspace);
        EXPECT_EQ(box->text(), longText.chopped(1));
    }
}

// Scrolling to the newest line happens once per burst, so a long burst stays fast.
TEST(MainWindow, TheLogShowsTheNewestLine)
{
    TestWindow test;
    MainWindow &window = test.open();
    window.show();
    auto *view = control<QTreeView>(window, "ListView1");
    ASSERT_TRUE(waitUntil([&] { return window.eventLog().lineCount() >= 2; })); // the update check
    int added = window.eventLog().lineCount();
    QElapsedTimer clock;
    clock.start();
    for (const int burst : {1, 40, 20000, 1}) {
        for (int i = 0; i < burst; ++i, ++added)
            window.AddEvent(u"line %1"_s.arg(added), added % 2 ? LogRed : LogBlack);
        EXPECT_TRUE(waitUntil([&] { return rowShown(view, added - 1); })) << added;
    }
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_FALSE(rowShown(view, 0));
    view->scrollToTop(); // scrolled back by the user: the next line brings it down
    window.AddEvent(QString(), LogGreen);
    EXPECT_TRUE(waitUntil([&] { return rowShown(view, added); }));
    EXPECT_EQ(view->model()->index(added, 0).data(Qt::ForegroundRole).value<QBrush>().color(),
              QColor(0, 0x88, 0));
}

// Texts pasted with a line break reach no request line, and names that would
// leave the download folders never reach the user list.
TEST(MainWindow, PastedLineBreaksReachNoRequest)
{
    TestWindow t;
    MainWindow &window = t.open();
    control<QLineEdit>(window, "Txt_CookieA")->setText(u"a1\r\n"_s);
    control<QLineEdit>(window, "Txt_CookieB")->setText(u"b\t2\n"_s);
    control<QLineEdit>(window, "Txt_Uniuser")->setText(u"bob\r\n"_s);
    EXPECT_EQ(window.cookieA(), u"a1"_s);
    EXPECT_EQ(window.cookieB(), u"b2"_s);
    EXPECT_EQ(window.uniqueUserText(), u"bob"_s);

    t.prompts.inputs = QStringList{u"../x"_s, u"carol\r\n"_s};
    control<QPushButton>(window, "Cmd_Add")->click();
    ASSERT_FALSE(t.prompts.shown.isEmpty());
    EXPECT_EQ(t.prompts.shown.last().icon, Prompts::Icon::Exclamation);
    EXPECT_EQ(t.prompts.shown.last().text, userNameProblem(u"../x"_s));
    control<QPushButton>(window, "Cmd_Add")->click();
    auto *names = control<QListWidget>(window, "Lst_Names");
    ASSERT_EQ(names->count(), 1);
    EXPECT_EQ(names->item(0)->text(), u"[  ]carol"_s);
}

TEST(AccessibleNames, LabelsAreReadAsTheyShow)
{
    TestWindow test;
    MainWindow &window = test.open();
    window.show();

    QAccessibleInterface *top = QAccessible::queryAccessibleInterface(&window);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->role(), QAccessible::Window);
    EXPECT_EQ(window.objectName(), QStringLiteral("Form1"));
    expectLabelsReadAsShown(window);

    control<QScrollBar>(window, "Hscr_Delay")->setValue(37);
    EXPECT_EQ(accessibleName(control<QLabel>(window, "Lbl_Delay")),
              QStringLiteral("Waiting time: 37s"));
    window.setStatusCaption(QStringLiteral("Waiting a bit (4s)"));
    EXPECT_EQ(accessibleName(control<QLabel>(window, "Lbl_Status")),
              QStringLiteral("Waiting a bit (4s)"));
    window.setStatusCaption(QStringLiteral("12% of \"Cats && dogs\" (2 KB)"));
    window.setSpeedCaption(QStringLiteral("Speed: 37Kb/s"));
    EXPECT_EQ(accessibleName(control<QLabel>(window, "Lbl_Status")),
              QStringLiteral("12% of \"Cats & dogs\" (2 KB)"));
    EXPECT_EQ(accessibleName(control<QLabel>(window, "Label12")), QStringLiteral("Speed: 37Kb/s"));
    expectLabelsReadAsShown(window);

    // A label that describes an input still names it.
    EXPECT_EQ(control<QLabel>(window, "Label1")->buddy(),
              control<QLineEdit>(window, "Txt_Uniuser"));
    EXPECT_EQ(accessibleName(control<QLineEdit>(window, "Txt_Uniuser")),
              QStringLiteral("Username:"));
}

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
    EXPECT_EQ(
        site.pages->requests().first(),
        listingRequest({u"gallery"_s, u"alice"_s, 1, TestHosts::PageAlias, {}, {}}).toLatin1());
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
