#include "TestEngine.h"

#include <QDirIterator>

using namespace Qt::StringLiterals;

namespace {

// Where each folder layout puts a user's folder, and the common favorites folder.
const QString Layouts[] = {u"{user}/{folder}/"_s, u"{user}-{folder}/"_s, QString()};
const QString CommonFavorites = u"favorites/"_s;
// The stored name in each naming mode ("own": the name in the file's address).
const QString Namings[] = {u"{own}"_s, u"{title}.{ext}"_s, u"{user} - {title}.{ext}"_s};

QString fill(QString pattern, const QList<std::pair<const char *, QString>> &values)
{
    for (const auto &[key, value] : values)
        pattern.replace(u'{' + QString::fromLatin1(key) + u'}', value);
    return pattern;
}

// The user table: its slot, the name as listed, the scraps and favorites
// flags, and the gallery's size (-1: not on the site).
struct MatrixUser
{
    int slot;
    QString name;
    bool scraps, favorites;
    int gallery;
};
const MatrixUser Users[] = {
    {0, u"ann"_s, false, false, 1}, {1, u"Bob"_s, true, false, 1},
    {4, u"cy"_s, false, true, 1},   {9, u".."_s, true, true, 1},
    {10, u"dee"_s, true, true, 2},  {1023, u"ghost"_s, true, false, -1},
};

using Files = QMap<QString, QByteArray>; // relative path, bytes

class SyncMatrix : public ::testing::Test
{
protected:
    TestEngine engine;
    QString art;

    void SetUp() override
    {
        engine.start();
        int id = 500;
        for (const MatrixUser &user : Users) {
            engine.settings.users.Users[size_t(user.slot)] =
                UserEntry{user.name, user.scraps, user.favorites};
            if (user.gallery < 0 || user.name == u"..")
                continue;
            SimUser site{user.name, {}, {}, {}};
            const QString artist = user.name.toLower();
            for (int i = 1; i <= user.gallery; ++i)
                site.gallery.append(GalleryContent::make(id++, artist, u"work"_s, u"png"_s,
                                                         user.name + u" piece %1"_s.arg(i)));
            site.scraps.append(
                GalleryContent::make(id++, artist, u"scrap"_s, u"jpg"_s, user.name + u" scrap"_s));
            site.favorites.append(GalleryContent::make(id++, u"other"_s, u"fav"_s, u"gif"_s,
                                                       user.name + u"'s pick"_s));
            engine.content.addUser(site);
        }
        engine.settings.users.UserCount = 1024;
        engine.settings.noWaitMode = true;
        art = engine.path(u"art"_s);
        engine.settings.savePath = art;
        engine.settings.favPath = art + u"/favorites"_s;
    }

    // What a Sync is expected to log and store, from the tables above.
    QStringList model(int layout, int naming, bool common, bool again, Files *stored)
    {
        QStringList lines;
        bool errors = false; // from the first error to the end of the job
        for (const MatrixUser &user : Users) {
            if (user.name == u"..") {
                lines << red(
                    u"Skipping user \"..\": User names cannot hold / or \\ or be . or .."_s);
                errors = true;
                continue;
            }
            QStringList folders{u"gallery"_s};
            if (user.scraps)
                folders << u"scraps"_s;
            if (user.favorites)
                folders << u"favorites"_s;
            for (const QString &folder : folders) {
                lines << black(u"Listing "_s + user.name + u"'s "_s + folder + u"..."_s);
                if (user.gallery < 0) {
                    lines << red(u"User "_s + user.name + u" doesn't exist"_s);
                    break;
                }
                const QList<SimSubmission> &files = *engine.content.user(user.name)->folder(folder);
                lines << black(u"Parsing page 1. Submissions found: 0"_s);
                if (!again)
                    lines << black(u"Found %1 submissions on 1 page(s)."_s.arg(files.size()));
                const QString where =
                    common && folder == u"favorites"
                        ? CommonFavorites
                        : fill(Layouts[layout], {{"user", user.name}, {"folder", folder}});
                for (int i = 0; i < files.size(); ++i) {
                    const QString own = files[i].filePath().section(u'/', -1);
                    const QString name = fill(Namings[naming], {{"own", own},
                                                                {"title", files[i].titleMarkup},
                                                                {"ext", files[i].extension},
                                                                {"user", user.name}});
                    if (again) {
                        lines << green(u"Skipping \""_s + files[i].titleMarkup +
                                       u"\": Already exists"_s);
                        continue;
                    }
                    lines << black(u"Retrieving %1 (%2/%3)..."_s.arg(own).arg(i + 1).arg(
                                 files.size()))
                          << green(u"Saved as "_s + name);
                    stored->insert(where + name, files[i].body);
                }
                if (again)
                    lines << green(u"No submissions to download."_s);
                else if (errors)
                    lines << red(u"Retrieved only %1 submissions, see the log for errors."_s.arg(
                        files.size()));
                else
                    lines << green(u"Succesfully retrieved %1 submissions."_s.arg(files.size()));
            }
        }
        return lines << green(u"Synching done."_s);
    }

    // Every file under the save folder.
    Files storedFiles() const
    {
        Files files;
        QDirIterator it(art, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            files.insert(QDir(art).relativeFilePath(path), readFile(path));
        }
        return files;
    }
};

} // namespace

// Every folder layout, naming mode and common favorites setting, each with
// users of every flag combination, a name that is refused and a missing user;
// a second Sync finds every file already there.
TEST_F(SyncMatrix, EveryFileLandsWhereItsLayoutAndNamingPutIt)
{
    for (int layout = 0; layout < 3; ++layout) {
        for (int naming = 0; naming < 3; ++naming) {
            for (const bool common : {false, true}) {
                SCOPED_TRACE(testing::Message() << "layout " << layout << ", naming " << naming
                                                << (common ? ", common favorites" : ""));
                QDir(art).removeRecursively();
                ASSERT_TRUE(QDir().mkpath(art));
                engine.settings.folderLayout = layout;
                engine.settings.naming = naming;
                engine.settings.allFavsTogether = common;
                Files expected;
                for (const bool again : {false, true}) {
                    const QStringList lines = model(layout, naming, common, again, &expected);
                    engine.run([&] { engine.session->Sync(); });
                    EXPECT_EQ(engine.colouredLines(), lines)
                        << (again ? "second Sync" : "first Sync");
                    EXPECT_TRUE(engine.jobErrors); // the refused name
                }
                const Files stored = storedFiles();
                EXPECT_EQ(stored.keys(), expected.keys());
                EXPECT_TRUE(stored == expected) << "the bytes of a stored file";
            }
        }
    }
    EXPECT_TRUE(engine.errorReports().isEmpty());

    // An empty table does nothing at all, not even clearing the log.
    const QStringList before = engine.colouredLines();
    for (UserEntry &user : engine.settings.users.Users)
        user = UserEntry{};
    engine.session->Sync();
    EXPECT_EQ(engine.colouredLines(), before);
}

TEST_F(SyncMatrix, ShutdownOnlyWhenConfirmed)
{
    engine.prompts.answers = {Prompts::Answer::No, Prompts::Answer::Yes};
    for (const bool yes : {false, true}) {
        engine.settings.shutdown = true;
        engine.run([&] { engine.session->Sync(); });
        const ScriptedPrompts::Shown question = engine.prompts.ofKind(u"message"_s).last();
        EXPECT_EQ(question.text, u"Warning: Computer will shut down after synching is "
                                 u"done.\r\nStill want this ?"_s);
        EXPECT_TRUE(question.yesNo);
        EXPECT_EQ(engine.settings.shutdown, yes);
        EXPECT_EQ(engine.colouredLines().last(),
                  yes ? black(u"Everything is going down !"_s) : green(u"Synching done."_s));
        EXPECT_EQ(engine.shutdownRequests, yes ? 1 : 0);
    }
}
