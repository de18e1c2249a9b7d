#include "naming/DownloadFolders.h"
#include "naming/FileNames.h"
#include "naming/UserNames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Builds a text from single-byte character codes, as the site's bytes arrive.
QString codes(std::initializer_list<int> values)
{
    QString text;
    for (const int value : values)
        text += QChar(value);
    return text;
}

const QString Address = u"http://files.test.invalid/x/y/nightday.png"_s;
const QString User = u"mossfern"_s;

} // namespace

TEST(FileNames, StripHTMLDecodesOneLevelInItsOwnOrder)
{
    // clang-format off
    const std::pair<QString, QString> rows[] = {
        {u"Night &amp; Day: 1/2 &lt;WIP&gt;?"_s, u"Night & Day: 1/2 WIP>?"_s},
        // The removals bring an entity together, which the later steps decode.
        {u"&&lt;quot;"_s, u"\""_s},
        // "&amp;" goes last: one level of decoding per call.
        {u"&amp;gt;"_s, u"&gt;"_s},
        // Case-sensitive, and unknown entities stay.
        {u"&LT;&nbsp;&#39;"_s, u"&LT;&nbsp;&#39;"_s},
    };
    // clang-format on
    for (const auto &[in, out] : rows)
        EXPECT_EQ(StripHTML(in), out) << in.toStdString();
}

TEST(FileNames, MakeFileNameBuildsTheStoredNames)
{
    const QString exampleTitle = u"Night &amp; Day: 1/2 &lt;WIP&gt;?"_s;
    // clang-format off
    const std::tuple<const char *, QString, QString, int, QString> rows[] = {
        {"example, original", Address, exampleTitle, 0, u"nightday.png"_s},
        {"example, title only", Address, exampleTitle, 1, u"Night & Day 12 WIP.png"_s},
        {"example, author", Address, exampleTitle, 2, u"mossfern - Night & Day 12 WIP.png"_s},
        {"the nine characters", Address, u"a?b\\c:d*e|f/g>h<i\"j"_s, 1, u"abcdefghij.png"_s},
        {"decoded characters are removed too", Address, u"a&gt;b&amp;c"_s, 1, u"ab&c.png"_s},
        {"extension is the site's, case kept", u"http://f/x/Pic.JPG"_s, u"Pic"_s, 1, u"Pic.JPG"_s},
    };
    // clang-format on
    for (const auto &[what, full, title, mode, out] : rows)
        EXPECT_EQ(MakeFileName(full, title, mode, User), out) << what;
}

TEST(FileNames, CharacterFilterIsOneForwardPass)
{
    const QString abc = u"abc"_s;
    // clang-format off
    const std::tuple<const char *, QString, QString> rows[] = {
        // The 169 shifts into the examined position and is not looked at again.
        {"195 then 169", abc + codes({195, 169}), abc + codes({169}) + u".png"_s},
        {"128 stays", codes({128, 129}), codes({128}) + u".png"_s},
        {"tab is not trimmed but removed", u" \tHi "_s, u"Hi.png"_s},
        // The pass skips shifted characters, but no control character survives.
        {"two controls at the start", codes({1, 2}), u"nightday.png"_s},
        {"NUL shifted into place", codes({1, 0}) + "x" + codes({0}), u"x.png"_s},
        {"shifted character removed at a later position", codes({1, 2}) + "a" + codes({2}), u"a.png"_s},
    };
    // clang-format on
    for (const auto &[what, title, out] : rows)
        EXPECT_EQ(MakeFileName(Address, title, 1, User), out) << what;
}

TEST(FileNames, EveryNameCanBeStored)
{
    const QString bare = u"http://f/x/nightday"_s;
    const QString long300 = QString(300, u'a');
    const struct
    {
        const char *what;
        QString full, title;
        int mode;
        QString user, out; // out "" when only checked for being storable
        // clang-format off
    } rows[] = {
        {"dot falls back to the address", bare, u"???"_s, 1, User, u"nightday"_s},
        {"dot dot falls back to the address", bare, u"."_s, 1, User, u"nightday"_s},
        {"address name is filtered", u"http://f/x/"_s + codes({1}) + "n", u"?"_s, 1, User, u"n"_s},
        {"user name adds no folder", Address, u"Pic"_s, 2, u"../x"_s, u"..x - Pic.png"_s},
        {"user name loses controls", Address, u"Pic"_s, 2, "a\\b\r\nc", u"abc - Pic.png"_s},
        {"fits exactly", Address, QString(251, u'a'), 1, User, QString(251, u'a') + ".png"},
        {"original ending in /", u"http://f/x/"_s, u"T"_s, 0, User, QString()},
        {"original dot dot", u"http://f/x/.."_s, u"T"_s, 0, User, QString()},
        {"too long", Address, long300, 1, User, QString()},
        {"too long in two-byte characters", Address, QString(200, QChar(169)), 1, User, QString()},
        {"too long extension", u"http://f/x/a."_s + long300, u"T"_s, 1, User, QString()},
    };
    // clang-format on
    for (const auto &row : rows) {
        const QString name = MakeFileName(row.full, row.title, row.mode, row.user);
        EXPECT_EQ(name, MakeFileName(row.full, row.title, row.mode, row.user)) << row.what;
        EXPECT_TRUE(row.out.isEmpty() || name == row.out) << row.what << " " << name.toStdString();
        EXPECT_LE(QFile::encodeName(name).size(), 255) << row.what;
        EXPECT_FALSE(name.isEmpty() || name == u"." || name == u".." || name.contains(u'/') ||
                     name.contains(QChar::ReplacementCharacter))
            << row.what;
    }
    // Shortened names keep their extension and stay apart when only their ends differ.
    const QString cut = MakeFileName(Address, long300, 1, User);
    EXPECT_TRUE(cut.startsWith(QString(200, u'a')) && cut.endsWith(u".png"_s)) << cut.toStdString();
    EXPECT_NE(cut, MakeFileName(Address, long300 + u'b', 1, User));
    EXPECT_NE(MakeFileName(u"http://f/x/"_s, {}, 0, User),
              MakeFileName(u"http://f/y/"_s, {}, 0, User));
}

namespace {

FolderRequest request(const QString &save, const QString &fav, bool common, int layout,
                      const QString &folder, const QString &user = u"mossfern"_s)
{
    return FolderRequest{save, fav, common, layout, user, folder};
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
TEST(DownloadFolders, FailedCreationCreatesNoParents)
{
    SaveRoot root;
    const QString missing = root.path(u"missing/deeper"_s);
    ASSERT_TRUE(QFile(root.path(u"taken"_s)).open(QIODevice::WriteOnly));
    const QString save = root.path(u"save"_s), top = root.temp.path();

    // clang-format off
    const std::pair<const char *, FolderRequest> rows[] = {
        {"save folder whose parent is missing", request(missing, missing, true, 2, u"gallery"_s)},
        {"user-folder under a missing save folder", request(missing, missing, true, 1, u"gallery"_s)},
        {"user level under a missing save folder", request(missing, missing, true, 0, u"gallery"_s)},
        {"favorites folder whose parent is missing", request(top, missing, true, 1, u"favorites"_s)},
        {"a file where the user level should be", request(top, top, true, 0, u"gallery"_s, u"taken"_s)},
        {"no layout selected", request(save, missing, true, -1, u"gallery"_s)},
        {"user name leaving the save folder", request(save, missing, false, 0, u"gallery"_s, u".."_s)},
    };
    // clang-format on
    for (const auto &[what, in] : rows) {
        QString error;
        EXPECT_FALSE(createDownloadFolder(planDownloadFolder(in), &error)) << what;
        EXPECT_FALSE(error.isEmpty()) << what;
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
    const std::tuple<QString, int, QString> rows[] = {
        {u"../outside"_s, 1, refused}, {u".."_s, 0, refused},   {u".."_s, 1, refused},
        {u"a/.."_s, 0, refused},       {u"a\\b"_s, 1, refused}, {u"."_s, 0, refused},
        {u"x\ny"_s, 1, control},       {u"x\ty"_s, 0, control}, {u"x\x7fy"_s, 1, control},
        {u"ab cd"_s, 1, u"User names cannot hold blanks."_s},     {u" "_s, 0, u"User names cannot hold blanks."_s},
    };
    for (const auto &[user, layout, problem] : rows) {
        SCOPED_TRACE(user.toStdString());
        EXPECT_EQ(userNameProblem(user), problem);
        const FolderPlan plan =
            planDownloadFolder(request(save, favs, false, layout, u"scraps"_s, user));
        EXPECT_TRUE(plan.folder.isEmpty() && plan.levels.isEmpty());
        EXPECT_EQ(plan.error, problem);
        QString error;
        EXPECT_FALSE(createDownloadFolder(plan, &error));
        EXPECT_EQ(error, problem);
    }
    // The user is not part of a common favorites folder.
    EXPECT_EQ(planDownloadFolder(request(save, favs, true, 1, u"favorites"_s, u".."_s)).folder,
              favs + u'/');
    EXPECT_EQ(root.folders(), (QStringList{u"outside-scraps"_s, u"save"_s, u"save/a"_s}));
}
