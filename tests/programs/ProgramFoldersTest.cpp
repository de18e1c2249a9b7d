#include "core/ProgramFolders.h"
#include "TestWindow.h"

#include <QLineEdit>

using namespace Qt::StringLiterals;

// Facts of a copy (no marker), an install, an earlier install that left its
// settings beside the program, and installs run with and without HOME (a
// service, a cron job). The install check script meets the first ones on disk.
TEST(ProgramFolders, InstalledProgramsUseTheXdgFoldersUnlessSettingsLieBesideThem)
{
    const QString bin = u"/opt/v/bin"_s;
    // Marker, settings beside, HOME, the account's home, XDG config and cache,
    // the Pictures folder; the settings, temporary and save folders.
    // clang-format off
    const std::tuple<bool, bool, QString, QString, QString, QString, QString, QString> rows[] = {
        {false, false, "/h", "", "", "", "/h/Pictures", "/opt/v/bin|/opt/v/bin|/opt/v/bin"},
        {true, true, "/h", "", "", "", "/h/Pictures", "/opt/v/bin|/opt/v/bin|/opt/v/bin"},
        {true, false, "/h", "", "", "", "/h/Pictures", "/h/.config/vorpaline|/h/.cache/vorpaline|/h/Pictures/Vorpaline"},
        {true, false, "/h", "", "/c/", "/k", "/h/Bilder", "/c/vorpaline|/k/vorpaline|/h/Bilder/Vorpaline"},
        {true, false, "/h", "/a", "c", "k", "/h/Pictures", "/h/.config/vorpaline|/h/.cache/vorpaline|/h/Pictures/Vorpaline"},
        {true, false, "", "/a", "", "", "/Pictures", "/a/.config/vorpaline|/a/.cache/vorpaline|/a/Pictures/Vorpaline"},
        {true, false, ".", "/a/", "", "/k", "Pictures", "/a/.config/vorpaline|/k/vorpaline|/a/Pictures/Vorpaline"},
        {true, false, "", "", "/c", "", "/Pictures", "/c/vorpaline||"},
        {true, false, "", "a", "", "", "/Pictures", "||"},
    };
    for (const auto &[marker, beside, home, account, config, cache, pictures, expected] : rows) {
        const ProgramFolders f = chooseProgramFolders({bin, beside, marker, home, account, config, cache, pictures});
        EXPECT_EQ(u"%1|%2|%3"_s.arg(f.settings, f.temporary, f.save), expected) << home.toStdString() << account.toStdString();
        EXPECT_EQ(f.layout == FileLayout::Installed, !expected.startsWith(bin));
    }
    // clang-format on
    // The account's home is looked up when HOME is unset, and only then.
    const QByteArray home = qgetenv("HOME");
    qunsetenv("HOME");
    const LayoutFacts gathered = gatherLayoutFacts(bin);
    qputenv("HOME", home);
    EXPECT_TRUE(!gathered.accountHome.isEmpty() && gatherLayoutFacts(bin).accountHome.isEmpty());
}

// The window of an installed program offers the Pictures folder on its first
// start and saves in its settings folder; a build without the update check asks nothing.
TEST(ProgramFolders, AnInstalledWindowSavesInItsSettingsFolder)
{
    TestEnvironment test;
    AppEnvironment env = test.environment();
    const QString settings = test.path(u"config"_s), save = test.path(u"Pictures/Vorpaline"_s);
    env.folders = ProgramFolders{FileLayout::Installed, settings, test.path(u"cache"_s), save};
    env.updateCheck = false;
    QDir(test.folder.path()).mkpath(u"config"_s);
    MainWindow window(env);
    EXPECT_EQ(control<QLineEdit>(window, "Txt_Favpath")->text(), save + u"/favorites"_s);
    EXPECT_TRUE(QDir(save).exists());
    EXPECT_EQ(logLines(window.eventLog()), QStringList());
    window.unload();
    EXPECT_TRUE(QFile::exists(settings + u"/vorpl.dat"_s));
}
