#include "naming/DownloadFolders.h"
#include "naming/UserNames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

FolderRequest request(const QString &save, const QString &fav, bool common, int layout,
                      const QString &folder, const QString &user = u"mossfern"_s)
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

// A temporary folder holding an empty "save" folder.
struct SaveRoot
{
    QTemporaryDir temp;
    SaveRoot() { QDir(temp.path()).mkdir(u"save"_s); }
    QString path(const QString &relative) const { return temp.filePath(relative); }
    QStringList folders() const { return foldersUnder(temp.path()); }
};

} // namespace

// Nothing is created above or beside what was asked for, and a user name of
// ".." cannot lead creation out of the save folder.
TEST(DownloadFolders, FailedCreationIsReportedAndCreatesNoParents)
{
    SaveRoot root;
    const QString missing = root.path(u"missing/deeper"_s);
    QFile blocker(root.path(u"taken"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString save = root.path(u"save"_s), top = root.temp.path();

    const struct
    {
        const char *what;
        FolderRequest in;
    } rows[] = {
        {"save folder whose parent is missing", request(missing, missing, true, 2, u"gallery"_s)},
        {"user-folder under a missing save folder",
         request(missing, missing, true, 1, u"gallery"_s)},
        {"user level under a missing save folder",
         request(missing, missing, true, 0, u"gallery"_s)},
        {"favorites folder whose parent is missing",
         request(top, missing, true, 1, u"favorites"_s)},
        {"a file where the user level should be",
         request(top, top, true, 0, u"gallery"_s, u"taken"_s)},
        {"no layout selected", request(save, missing, true, -1, u"gallery"_s)},
        {"user name leaving the save folder",
         request(save, missing, false, 0, u"gallery"_s, u".."_s)},
    };
    for (const auto &row : rows) {
        QString error;
        EXPECT_FALSE(createDownloadFolder(planDownloadFolder(row.in), &error)) << row.what;
        EXPECT_FALSE(error.isEmpty()) << row.what;
    }
    EXPECT_EQ(root.folders(), QStringList{u"save"_s});
}

// A user name never leads files out of the download folders, not even into a
// folder that already exists there.
TEST(DownloadFolders, UnsafeUserNamesGetNoFolder)
{
    SaveRoot root;
    ASSERT_TRUE(QDir(root.temp.path()).mkdir(u"outside-scraps"_s));
    ASSERT_TRUE(QDir(root.path(u"save"_s)).mkdir(u"a"_s));
    const QString save = root.path(u"save"_s), favs = root.path(u"favs"_s);
    const QString refused = u"User names cannot hold / or \\ or be . or .."_s;
    const QString control = u"User names cannot hold line breaks or other control characters."_s;
    const struct
    {
        QString user;
        int layout;
        QString problem;
    } rows[] = {
        {u"../outside"_s, 1, refused}, {u".."_s, 0, refused},   {u".."_s, 1, refused},
        {u"a/.."_s, 0, refused},       {u"a\\b"_s, 1, refused}, {u"."_s, 0, refused},
        {u"x\ny"_s, 1, control},       {u"x\ty"_s, 0, control}, {u"x\x7fy"_s, 1, control},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.user.toStdString());
        EXPECT_EQ(userNameProblem(row.user), row.problem);
        const FolderPlan plan =
            planDownloadFolder(request(save, favs, false, row.layout, u"scraps"_s, row.user));
        EXPECT_TRUE(plan.folder.isEmpty() && plan.levels.isEmpty());
        EXPECT_EQ(plan.error, row.problem);
        QString error;
        EXPECT_FALSE(createDownloadFolder(plan, &error));
        EXPECT_EQ(error, row.problem);
    }
    for (const QString &name : {u"alice"_s, u"Alpha"_s, u"a.b"_s, u"..a"_s, u"-x_~"_s})
        EXPECT_EQ(userNameProblem(name), QString()) << name.toStdString();
    // The user is not part of a common favorites folder.
    EXPECT_EQ(planDownloadFolder(request(save, favs, true, 1, u"favorites"_s, u".."_s)).folder,
              favs + u'/');
    EXPECT_EQ(root.folders(), (QStringList{u"outside-scraps"_s, u"save"_s, u"save/a"_s}));
}
