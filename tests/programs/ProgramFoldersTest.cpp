#include "core/ProgramFolders.h"
#include "TestWindow.h"

#include <QLineEdit>

using namespace Qt::StringLiterals;

// Facts of a copy (no marker), an install, and an earlier install that left
// its settings beside the program. The install check script meets them on disk.
TEST(ProgramFolders, InstalledProgramsUseTheXdgFoldersUnlessSettingsLieBesideThem)
{
    const QString bin = u"/opt/v/bin"_s;
    for (const auto &[marker, settings] : {std::pair{false, false}, {true, false}, {true, true}}) {
        const ProgramFolders folders = chooseProgramFolders(
            {bin, settings, marker, u"/h/.config"_s, u"/h/.cache"_s, u"/h/Pictures"_s});
        const bool installed = marker && !settings;
        EXPECT_EQ(folders.layout == FileLayout::Installed, installed);
        EXPECT_EQ(QStringList({folders.settings, folders.temporary, folders.save}),
                  installed ? QStringList({u"/h/.config/vorpaline"_s, u"/h/.cache/vorpaline"_s,
                                           u"/h/Pictures/Vorpaline"_s})
                            : QStringList(3, bin));
    }
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
