#include "TestWindow.h"

#include "settings/SettingsFile.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <csignal>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

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

} // namespace

TEST(Settings, TheWindowSavesItsControlsByteForByteOnlyForItsOwner)
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

TEST(Settings, AFailedSaveIsReportedAndTheProgramGoesOn)
{
    TestWindow test;
    test.writeSettings(AliceFile);
    MainWindow &window = test.open();
    addUser(test, u"bob"_s);
    const QByteArray before = readFile(window.settingsFilePath());
    // Every write past a few bytes fails, even for root.
    rlimit original{};
    getrlimit(RLIMIT_FSIZE, &original);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = original;
    small.rlim_cur = 16;
    setrlimit(RLIMIT_FSIZE, &small);
    addUser(test, u"carol"_s);
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, handler);
    ASSERT_EQ(test.errorReports().size(), 1);
    EXPECT_TRUE(test.errorReports()[0].startsWith(u"Could not save the settings"_s));
    EXPECT_EQ(readFile(window.settingsFilePath()), before);
    window.unload(); // still working: the next save has the new user
    EXPECT_TRUE(readFile(window.settingsFilePath()).contains("username=carol\r\n"));
}

TEST(Settings, AnUnreadableFileIsReported)
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
