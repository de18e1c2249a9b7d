#include "TestWindow.h"

#include "log/EventLog.h"
#include "log/LogColors.h"
#include "settings/SettingsFile.h"
#include "windows/ReportTexts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <functional>

namespace {

template <typename T> T *control(MainWindow &window, const char *name)
{
    T *widget = window.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

void writeSettings(TestWindow &test, const QStringList &lines)
{
    QFile file(test.path(SettingsFileName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (const QString &line : lines)
        file.write(line.toUtf8() + "\r\n");
}

bool waitFor(const std::function<bool()> &condition, int timeoutMs = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

// Everything a start without settings shows.
void expectDefaults(TestWindow &test)
{
    MainWindow &window = *test.window;
    const QString folder = QDir::toNativeSeparators(test.folder.path());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vorpaline 1.38b"));
    EXPECT_EQ(window.savePathText(), folder);
    EXPECT_EQ(window.favPathText(), folder + QDir::separator() + QStringLiteral("favorites"));
    EXPECT_EQ(window.state().Delay, 10);
    EXPECT_EQ(control<QLabel>(window, "Lbl_Delay")->text(), QStringLiteral("Waiting time: 10s"));
    EXPECT_EQ(control<QScrollBar>(window, "Hscr_Delay")->value(), 10);
    EXPECT_EQ(control<QListWidget>(window, "Lst_Names")->count(), 0);
    EXPECT_EQ(window.state().UserCount, 0);
    for (int type = 0; type < 4; ++type)
        EXPECT_TRUE(window.typeWanted(type)) << type;
    for (int rating = 0; rating < 3; ++rating)
        EXPECT_TRUE(window.ratingWanted(rating)) << rating;
    EXPECT_EQ(window.nameMode(), 1);
    EXPECT_EQ(window.folderMode(), 1);
    EXPECT_TRUE(window.commonFavs());
    EXPECT_FALSE(window.shutdownTicked());
    EXPECT_FALSE(window.urlFix());
    EXPECT_EQ(window.maxSizeText(), QStringLiteral("0"));
    EXPECT_TRUE(window.cookieA().isEmpty());
    EXPECT_TRUE(window.cookieB().isEmpty());
    EXPECT_TRUE(control<QCheckBox>(window, "Chk_Savesets")->isChecked());
    EXPECT_FALSE(window.state().NoWait);
    ASSERT_GE(window.eventLog().lineCount(), 1);
    EXPECT_EQ(window.eventLog().lineText(0), QStringLiteral("Checking for update..."));
    EXPECT_EQ(window.eventLog().lineColor(0), LogBlack);
}

} // namespace

TEST(StartUp, FirstStartShowsTheNoticeThenTheDefaults)
{
    TestWindow test;
    test.open();
    ASSERT_FALSE(test.prompts.shown.isEmpty());
    EXPECT_EQ(test.prompts.shown.first().kind, QStringLiteral("notice"));
    EXPECT_EQ(test.prompts.shown.first().text, firstStartNoticeText());
    EXPECT_EQ(test.prompts.shown.size(), 1);
    expectDefaults(test);
    EXPECT_FALSE(QFile::exists(test.path(SettingsFileName)));
}

TEST(StartUp, EmptyFileIsAFirstStart)
{
    TestWindow test;
    writeSettings(test, {});
    test.open();
    EXPECT_EQ(test.prompts.ofKind(QStringLiteral("notice")).size(), 1);
    expectDefaults(test);
}

TEST(StartUp, OnlyTheVersionLineGivesTheDefaultsWithoutANotice)
{
    TestWindow test;
    writeSettings(test, {QStringLiteral("130")});
    test.open();
    EXPECT_TRUE(test.prompts.shown.isEmpty());
    expectDefaults(test);
}

TEST(StartUp, IncompatibleFileIsReportedAndLeftAlone)
{
    for (const QString &version : {QStringLiteral("131"), QStringLiteral("130 ")}) {
        TestWindow test;
        writeSettings(test, {version, QStringLiteral("delay=30"), QStringLiteral("username=ann")});
        const QByteArray before = [&] {
            QFile file(test.path(SettingsFileName));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        test.open();
        const auto errors = test.prompts.ofKind(QStringLiteral("error"));
        ASSERT_EQ(errors.size(), 1);
        EXPECT_EQ(
            errors.first().title,
            QStringLiteral("Settings file vorpl.dat might be incompatible with this version."));
        EXPECT_TRUE(test.prompts.ofKind(QStringLiteral("notice")).isEmpty());
        expectDefaults(test);
        QFile file(test.path(SettingsFileName));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), before);
    }
}

TEST(StartUp, DelayComesUpWithinTheSliderRange)
{
    struct Case
    {
        QStringList lines;
        int delay;
    };
    const QList<Case> cases = {
        {{QStringLiteral("delay=3")}, 10},  {{QStringLiteral("delay=5")}, 5},
        {{QStringLiteral("delay=30")}, 30}, {{}, 10},
        {{QStringLiteral("delay=0")}, 10},  {{QStringLiteral("delay=61")}, 10},
        {{QStringLiteral("delay=60")}, 60},
    };
    for (const Case &c : cases) {
        TestWindow test;
        writeSettings(test, QStringList{QStringLiteral("130")} + c.lines);
        MainWindow &window = test.open();
        const std::string name = c.lines.join(u',').toStdString();
        EXPECT_EQ(window.state().Delay, c.delay) << name;
        EXPECT_EQ(control<QLabel>(window, "Lbl_Delay")->text(),
                  QStringLiteral("Waiting time: %1s").arg(c.delay))
            << name;
        EXPECT_EQ(control<QScrollBar>(window, "Hscr_Delay")->value(), c.delay) << name;
        EXPECT_FALSE(window.state().NoWait);
    }
}

TEST(StartUp, StoredFoldersAreKept)
{
    TestWindow test;
    writeSettings(test, {QStringLiteral("130"), QStringLiteral("savepath=/data/art"),
                         QStringLiteral("favpath=/data/favs")});
    MainWindow &window = test.open();
    EXPECT_EQ(window.savePathText(), QStringLiteral("/data/art"));
    EXPECT_EQ(window.favPathText(), QStringLiteral("/data/favs"));
}

TEST(StartUp, EmptyStoredFolderFallsBackToTheProgramFolder)
{
    TestWindow test;
    writeSettings(test, {QStringLiteral("130"), QStringLiteral("savepath="),
                         QStringLiteral("favpath=/data/favs")});
    MainWindow &window = test.open();
    EXPECT_EQ(window.savePathText(), QDir::toNativeSeparators(test.folder.path()));
    EXPECT_EQ(window.favPathText(), QStringLiteral("/data/favs"));
}

TEST(StartUp, FileTypesAreTickedBeforeTheFileIsRead)
{
    TestWindow test;
    writeSettings(test, {QStringLiteral("130"), QStringLiteral("getgfx=False"),
                         QStringLiteral("getmusic=0"), QStringLiteral("getflash=True")});
    MainWindow &window = test.open();
    EXPECT_FALSE(window.typeWanted(0));
    EXPECT_TRUE(window.typeWanted(1));
    EXPECT_FALSE(window.typeWanted(2));
    EXPECT_TRUE(window.typeWanted(3));
}

TEST(StartUp, StoredSwitchesReachTheirBoxes)
{
    TestWindow test;
    writeSettings(test, {QStringLiteral("130"), QStringLiteral("namemode=2"),
                         QStringLiteral("foldermode=0"), QStringLiteral("getgeneral=0"),
                         QStringLiteral("getmature=1"), QStringLiteral("getadult=0"),
                         QStringLiteral("commonfavs=0"), QStringLiteral("shutdown=1"),
                         QStringLiteral("urlfix=1"), QStringLiteral("cookiea=A=1"),
                         QStringLiteral("cookieb=B")});
    MainWindow &window = test.open();
    EXPECT_EQ(window.nameMode(), 2);
    EXPECT_EQ(window.folderMode(), 0);
    EXPECT_FALSE(window.ratingWanted(0));
    EXPECT_TRUE(window.ratingWanted(1));
    EXPECT_FALSE(window.ratingWanted(2));
    EXPECT_FALSE(window.commonFavs());
    EXPECT_TRUE(window.shutdownTicked());
    EXPECT_TRUE(window.urlFix());
    EXPECT_EQ(window.cookieA(), QStringLiteral("A=1"));
    EXPECT_EQ(window.cookieB(), QStringLiteral("B"));
}

TEST(StartUp, UserListComesUpWithoutSelectionAndTheCheckRuns)
{
    TestWindow test;
    writeSettings(test, {QStringLiteral("130"), QStringLiteral("username=ann"),
                         QStringLiteral("getscraps=True")});
    MainWindow &window = test.open();
    auto *names = control<QListWidget>(window, "Lst_Names");
    ASSERT_EQ(names->count(), 1);
    EXPECT_EQ(names->item(0)->text(), QStringLiteral("[S ]ann"));
    EXPECT_TRUE(names->selectedItems().isEmpty());
    EXPECT_TRUE(window.uniqueUserText().isEmpty());
    // No update host is reachable here: the check ends with its red line.
    ASSERT_TRUE(waitFor([&] { return window.eventLog().lineCount() >= 2; }));
    EXPECT_EQ(window.eventLog().lineText(1), QStringLiteral("Could not check for updates"));
}

TEST(StartUp, ClosingTheWindowSavesOnce)
{
    TestWindow test;
    MainWindow &window = test.open();
    window.show();
    control<QLineEdit>(window, "Txt_CookieA")->setText(QStringLiteral("kept"));
    window.close();
    QFile file(test.path(SettingsFileName));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("\r\ncookiea=kept\r\n"));
    file.close();
    // A later unload (the window going away) does not write again.
    QFile::remove(test.path(SettingsFileName));
    window.unload();
    EXPECT_FALSE(QFile::exists(test.path(SettingsFileName)));
}
