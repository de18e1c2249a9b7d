#include "naming/DownloadFolders.h"
#include "TestWindow.h"
#include "platform/FileSystem.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString User = QStringLiteral("mossfern");

FolderRequest request(const QString &save, const QString &fav, bool common, int layout,
                      const QString &folder, const QString &user = User)
{
    FolderRequest r;
    r.savePath = save;
    r.favPath = fav;
    r.commonFavs = common;
    r.layout = layout;
    r.user = user;
    r.folder = folder;
    return r;
}

// Folders under root, relative and sorted, to see exactly what was created.
QStringList foldersUnder(const QString &root)
{
    QStringList found;
    const QDir dir(root);
    for (const QString &entry : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        found.append(entry);
        for (const QString &inner : foldersUnder(dir.filePath(entry)))
            found.append(entry + u'/' + inner);
    }
    return found;
}

} // namespace

TEST(DownloadFolders, PlanFollowsLayoutAndCommonFavorites)
{
    const QString save = QStringLiteral("/D/Art");
    const QString fav = QStringLiteral("/D/Art/favorites");
    const struct
    {
        const char *what;
        FolderRequest in;
        QString folder;
        QStringList levels;
    } rows[] = {
        {"user/folder",
         request(save, fav, true, 0, "scraps"),
         "/D/Art/mossfern/scraps",
         {"/D/Art/mossfern", "/D/Art/mossfern/scraps"}},
        {"user-folder",
         request(save, fav, true, 1, "scraps"),
         "/D/Art/mossfern-scraps",
         {"/D/Art/mossfern-scraps"}},
        {"save folder itself", request(save, fav, true, 2, "scraps"), "/D/Art/", {"/D/Art/"}},
        {"common favorites, layout 0: no user level",
         request(save, fav, true, 0, "favorites"),
         "/D/Art/favorites/",
         {"/D/Art/favorites/"}},
        {"common favorites, layout 1",
         request(save, fav, true, 1, "favorites"),
         "/D/Art/favorites/",
         {"/D/Art/favorites/"}},
        {"common favorites, layout 2",
         request(save, fav, true, 2, "favorites"),
         "/D/Art/favorites/",
         {"/D/Art/favorites/"}},
        {"common favorites, no layout",
         request(save, fav, true, -1, "favorites"),
         "/D/Art/favorites/",
         {"/D/Art/favorites/"}},
        {"common box leaves gallery alone",
         request(save, fav, true, 1, "gallery"),
         "/D/Art/mossfern-gallery",
         {"/D/Art/mossfern-gallery"}},
        {"favorites, box not ticked",
         request(save, fav, false, 1, "favorites"),
         "/D/Art/mossfern-favorites",
         {"/D/Art/mossfern-favorites"}},
        {"favorites, box not ticked, layout 0",
         request(save, fav, false, 0, "favorites"),
         "/D/Art/mossfern/favorites",
         {"/D/Art/mossfern", "/D/Art/mossfern/favorites"}},
        {"no layout selected", request(save, fav, true, -1, "gallery"), QString(), {}},
        {"save text already ending in the separator",
         request("/D/Art/", fav, true, 1, "gallery"),
         "/D/Art/mossfern-gallery",
         {"/D/Art/mossfern-gallery"}},
        {"folder only compared exactly",
         request(save, fav, true, 1, "Favorites"),
         "/D/Art/mossfern-Favorites",
         {"/D/Art/mossfern-Favorites"}},
    };
    for (const auto &row : rows) {
        const FolderPlan plan = planDownloadFolder(row.in);
        EXPECT_EQ(plan.folder, row.folder) << row.what;
        EXPECT_EQ(plan.levels, row.levels) << row.what;
        EXPECT_EQ(plan.savePath, QStringLiteral("/D/Art/")) << row.what;
        EXPECT_EQ(plan.favPath, QStringLiteral("/D/Art/favorites/")) << row.what;
    }
}

TEST(DownloadFolders, TextsGetOneFinalSeparator)
{
    const struct
    {
        QString in, out;
    } rows[] = {
        {"/D/Art", "/D/Art/"},
        {"/D/Art/", "/D/Art/"},
        {"", "/"},
        {"Art", "Art/"},
    };
    for (const auto &row : rows) {
        const FolderPlan plan = planDownloadFolder(request(row.in, row.in, true, 1, "gallery"));
        EXPECT_EQ(plan.savePath, row.out) << row.in.toStdString();
        EXPECT_EQ(plan.favPath, row.out) << row.in.toStdString();
    }
}

TEST(DownloadFolders, CreatesOnlyWhatIsMissingAndOnlyWhenAsked)
{
    const struct
    {
        const char *what;
        bool common;
        int layout;
        const char *folder;
        QStringList created; // relative to the temporary folder
    } rows[] = {
        {"user/folder", false, 0, "scraps", {"save", "save/mossfern", "save/mossfern/scraps"}},
        {"user-folder", false, 1, "scraps", {"save", "save/mossfern-scraps"}},
        {"save folder itself", false, 2, "scraps", {"save"}},
        {"common favorites", true, 0, "favorites", {"favs", "save"}},
        {"favorites, box not ticked", false, 1, "favorites", {"save", "save/mossfern-favorites"}},
    };
    for (const auto &row : rows) {
        for (const bool mkdirs : {false, true}) {
            QTemporaryDir temp;
            ASSERT_TRUE(temp.isValid());
            ASSERT_TRUE(QDir(temp.path()).mkdir(QStringLiteral("save")));
            const FolderPlan plan = planDownloadFolder(request(
                temp.filePath("save"), temp.filePath("favs"), row.common, row.layout, row.folder));
            if (mkdirs) {
                QString error = QStringLiteral("stale");
                EXPECT_TRUE(createDownloadFolder(plan, &error)) << row.what;
                EXPECT_TRUE(error.isEmpty()) << row.what;
                EXPECT_TRUE(FileSystem::FolderExists(plan.folder)) << row.what;
                EXPECT_EQ(foldersUnder(temp.path()), row.created) << row.what;
                // A second call finds everything in place.
                EXPECT_TRUE(createDownloadFolder(plan, &error)) << row.what;
            } else {
                EXPECT_EQ(foldersUnder(temp.path()), QStringList{"save"}) << row.what;
            }
        }
    }
}

TEST(DownloadFolders, FileJoinedToAFolderEndingInTheSeparatorIsFound)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    for (const int layout : {1, 2}) {
        const FolderPlan plan = planDownloadFolder(
            request(temp.path(), temp.filePath("favs"), true, layout, "gallery"));
        ASSERT_TRUE(createDownloadFolder(plan, nullptr));
        // Callers always join with a separator, also after a final one.
        const QString joined = plan.folder + QDir::separator() + QStringLiteral("pic.png");
        QFile file(joined);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        EXPECT_TRUE(FileSystem::FileExists(joined));
        EXPECT_TRUE(QFile::exists(QDir(plan.folder).filePath(QStringLiteral("pic.png"))));
    }
}

TEST(DownloadFolders, FailedCreationIsReportedAndCreatesNoParents)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString missing = temp.filePath(QStringLiteral("missing/deeper"));
    QFile blocker(temp.filePath(QStringLiteral("taken")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ASSERT_TRUE(QDir(temp.path()).mkdir(QStringLiteral("save")));

    const struct
    {
        const char *what;
        FolderRequest in;
    } rows[] = {
        {"save folder whose parent is missing", request(missing, missing, true, 2, "gallery")},
        {"user-folder under a missing save folder", request(missing, missing, true, 1, "gallery")},
        {"user level under a missing save folder", request(missing, missing, true, 0, "gallery")},
        {"favorites folder whose parent is missing",
         request(temp.path(), missing, true, 1, "favorites")},
        {"a file where the user level should be",
         request(temp.path(), temp.path(), true, 0, "gallery", QStringLiteral("taken"))},
        {"no layout selected", request(temp.filePath("save"), missing, true, -1, "gallery")},
    };
    for (const auto &row : rows) {
        QString error;
        EXPECT_FALSE(createDownloadFolder(planDownloadFolder(row.in), &error)) << row.what;
        EXPECT_FALSE(error.isEmpty()) << row.what;
    }
    EXPECT_EQ(foldersUnder(temp.path()), QStringList{"save"});
}

TEST(DownloadFolders, UserNameCannotLeadCreationOutOfTheSaveFolder)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    ASSERT_TRUE(QDir(temp.path()).mkdir(QStringLiteral("save")));
    FolderRequest in = request(temp.filePath("save"), temp.filePath("favs"), false, 0, "gallery");
    in.user = QStringLiteral("..");
    const FolderPlan plan = planDownloadFolder(in);
    QString error;
    EXPECT_FALSE(createDownloadFolder(plan, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(foldersUnder(temp.path()), QStringList{"save"});

    // Inside the save folder a name with ".." is harmless and allowed.
    in.user = QStringLiteral("a/..");
    ASSERT_TRUE(QDir(temp.filePath("save")).mkdir(QStringLiteral("a")));
    EXPECT_TRUE(createDownloadFolder(planDownloadFolder(in), &error)) << error.toStdString();
}

TEST(DownloadFolders, MakeDLFolderUsesTheWindowSettings)
{
    TestWindow test;
    MainWindow &window = test.open();
    auto *path = window.findChild<QLineEdit *>(QStringLiteral("Txt_Path"));
    auto *favPath = window.findChild<QLineEdit *>(QStringLiteral("Txt_Favpath"));
    auto *common = window.findChild<QCheckBox *>(QStringLiteral("Chk_Commonfavs"));
    auto *layout0 = window.findChild<QAbstractButton *>(QStringLiteral("Option2_0"));
    ASSERT_TRUE(path && favPath && common && layout0);

    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    path->setText(temp.path());
    favPath->setText(temp.filePath(QStringLiteral("favs")));
    common->setChecked(true);
    layout0->setChecked(true);
    window.state().CurrentUser = User;
    window.state().CurrentFolder = QStringLiteral("gallery");

    const QString expected = temp.path() + QStringLiteral("/mossfern/gallery");
    QString error = QStringLiteral("stale");
    EXPECT_EQ(MakeDLFolder(window, window.state(), false, &error), expected);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(path->text(), temp.path() + u'/');
    EXPECT_EQ(favPath->text(), temp.filePath(QStringLiteral("favs")) + u'/');
    EXPECT_FALSE(FileSystem::FolderExists(expected));

    EXPECT_EQ(MakeDLFolder(window, window.state(), true, &error), expected);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_TRUE(FileSystem::FolderExists(expected));
    EXPECT_EQ(path->text(), temp.path() + u'/');

    window.state().CurrentFolder = QStringLiteral("favorites");
    EXPECT_EQ(MakeDLFolder(window, window.state(), true, &error),
              temp.filePath(QStringLiteral("favs")) + u'/');
    EXPECT_TRUE(FileSystem::FolderExists(temp.filePath(QStringLiteral("favs"))));

    // A failed creation returns the path and says why.
    path->setText(temp.filePath(QStringLiteral("missing/deeper")));
    window.state().CurrentFolder = QStringLiteral("scraps");
    EXPECT_EQ(MakeDLFolder(window, window.state(), true, &error),
              temp.filePath(QStringLiteral("missing/deeper/mossfern/scraps")));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(FileSystem::FolderExists(temp.filePath(QStringLiteral("missing"))));
}
