#include "TestWindow.h"

#include "log/EventLog.h"
#include "log/LogColors.h"
#include "settings/SettingsFile.h"
#include "windows/ReportTexts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

void writeSettings(TestWindow &test, const QStringList &lines)
{
    QFile file(test.path(SettingsFileName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (const QString &line : lines)
        file.write(line.toUtf8() + "\r\n");
}

QByteArray settingsBytes(const TestWindow &test)
{
    QFile file(test.path(SettingsFileName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void expectDelay(MainWindow &window, int delay)
{
    EXPECT_EQ(window.state().Delay, delay);
    EXPECT_EQ(control<QLabel>(window, "Lbl_Delay")->text(), u"Waiting time: %1s"_s.arg(delay));
    EXPECT_EQ(control<QScrollBar>(window, "Hscr_Delay")->value(), delay);
    EXPECT_FALSE(window.state().NoWait);
}

// Everything a start without settings shows.
void expectDefaults(TestWindow &test)
{
    MainWindow &window = *test.window;
    const QString folder = QDir::toNativeSeparators(test.folder.path());
    EXPECT_EQ(window.windowTitle(), u"Vorpaline 1.38b"_s);
    EXPECT_EQ(window.savePathText(), folder);
    EXPECT_EQ(window.favPathText(), folder + QDir::separator() + u"favorites"_s);
    expectDelay(window, 10);
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
    EXPECT_EQ(window.maxSizeText(), u"0"_s);
    EXPECT_TRUE(window.cookieA().isEmpty());
    EXPECT_TRUE(window.cookieB().isEmpty());
    EXPECT_TRUE(control<QCheckBox>(window, "Chk_Savesets")->isChecked());
    ASSERT_GE(window.eventLog().lineCount(), 1);
    EXPECT_EQ(window.eventLog().lineText(0), u"Checking for update..."_s);
    EXPECT_EQ(window.eventLog().lineColor(0), LogBlack);
}

} // namespace

TEST(StartUp, WithoutUsableSettingsTheDefaultsComeUp)
{
    const QString incompatible =
        u"Settings file vorpl.dat might be incompatible with this version."_s;
    struct Case
    {
        const char *name;
        std::optional<QStringList> file;          // none: no settings file
        QList<std::pair<QString, QString>> shown; // kind, text or heading
    };
    const QList<Case> cases = {
        {"first start", std::nullopt, {{"notice", firstStartNoticeText()}}},
        {"empty file", QStringList{}, {{"notice", firstStartNoticeText()}}},
        {"version line only", QStringList{"130"}, {}},
        {"other version",
         QStringList{"131", "delay=30", "username=ann"},
         {{"error", incompatible}}},
        {"blank after the version",
         QStringList{"130 ", "delay=30", "username=ann"},
         {{"error", incompatible}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TestWindow test;
        if (c.file)
            writeSettings(test, *c.file);
        const QByteArray before = settingsBytes(test);
        test.open();
        QList<std::pair<QString, QString>> shown;
        for (const ScriptedPrompts::Shown &prompt : test.prompts.shown)
            shown.append({prompt.kind, prompt.kind == "error" ? prompt.title : prompt.text});
        EXPECT_EQ(shown, c.shown);
        expectDefaults(test);
        // The start-up writes nothing, and an incompatible file is left alone.
        EXPECT_EQ(settingsBytes(test), before);
    }
}

TEST(StartUp, DelayComesUpWithinTheSliderRange)
{
    const QList<std::pair<QStringList, int>> cases = {
        {{"delay=3"}, 10}, {{"delay=5"}, 5},   {{"delay=30"}, 30}, {{}, 10},
        {{"delay=0"}, 10}, {{"delay=61"}, 10}, {{"delay=60"}, 60},
    };
    for (const auto &[lines, delay] : cases) {
        SCOPED_TRACE(lines.join(u',').toStdString());
        TestWindow test;
        writeSettings(test, QStringList{"130"} + lines);
        expectDelay(test.open(), delay);
    }
}

TEST(StartUp, StoredValuesReachTheirControls)
{
    TestWindow test;
    // File types are ticked before the file is read: unlisted ones stay ticked.
    writeSettings(test, {"130", "namemode=2", "foldermode=0", "getgeneral=0", "getmature=1",
                         "getadult=0", "commonfavs=0", "shutdown=1", "urlfix=1", "cookiea=A=1",
                         "cookieb=B", "getgfx=False", "getmusic=0", "getflash=True",
                         "savepath=", "favpath=/data/favs"});
    MainWindow &window = test.open();
    EXPECT_EQ(window.nameMode(), 2);
    EXPECT_EQ(window.folderMode(), 0);
    const QList<bool> types = {false, true, false, true};
    for (int type = 0; type < 4; ++type)
        EXPECT_EQ(window.typeWanted(type), types[type]) << type;
    const QList<bool> ratings = {false, true, false};
    for (int rating = 0; rating < 3; ++rating)
        EXPECT_EQ(window.ratingWanted(rating), ratings[rating]) << rating;
    EXPECT_FALSE(window.commonFavs());
    EXPECT_TRUE(window.shutdownTicked());
    EXPECT_TRUE(window.urlFix());
    EXPECT_EQ(window.cookieA(), u"A=1"_s);
    EXPECT_EQ(window.cookieB(), u"B"_s);
    // An empty stored folder falls back to the program folder.
    EXPECT_EQ(window.savePathText(), QDir::toNativeSeparators(test.folder.path()));
    EXPECT_EQ(window.favPathText(), u"/data/favs"_s);

    TestWindow other;
    writeSettings(other, {"130", "savepath=/data/art"});
    EXPECT_EQ(other.open().savePathText(), u"/data/art"_s);
}

TEST(StartUp, ClosingTheWindowSavesOnce)
{
    TestWindow test;
    MainWindow &window = test.open();
    window.show();
    control<QLineEdit>(window, "Txt_CookieA")->setText(u"kept"_s);
    window.close();
    EXPECT_TRUE(settingsBytes(test).contains("\r\ncookiea=kept\r\n"));
    // A later unload (the window going away) does not write again.
    QFile::remove(test.path(SettingsFileName));
    window.unload();
    EXPECT_FALSE(QFile::exists(test.path(SettingsFileName)));
}
