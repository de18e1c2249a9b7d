#include "TestWaits.h"

#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

// "a|b|c" as a list of lines.
QStringList lines(const QString &text)
{
    return text.split(u'|');
}

QByteArray crlfLines(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

SettingsRead readLines(const QStringList &lines)
{
    return readSettingsText(crlfLines(lines));
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Runs save while every write past a few bytes fails, even for root.
template <typename Save> bool underFileSizeLimit(Save save)
{
    rlimit original{};
    getrlimit(RLIMIT_FSIZE, &original);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = original;
    small.rlim_cur = 16;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = save();
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, handler);
    return saved;
}

// The example of a file written with one user.
SettingsSnapshot aliceSnapshot()
{
    SettingsSnapshot snapshot;
    snapshot.nameMode = 1;
    snapshot.folderMode = 1;
    snapshot.users = {UserEntry{u"alice"_s, true, false}};
    snapshot.types = {true, true, true, false};
    snapshot.ratings = {1, 1, 0};
    snapshot.savePath = u"D:\\Art"_s;
    snapshot.favPath = u"D:\\Art\\favorites"_s;
    return snapshot;
}

const QStringList AliceFile =
    lines(u"130|cookiea=|cookieb=|namemode=1|foldermode=1|username=alice|getscraps=True|"
          u"getfavs=False|delay=10|getgfx=True|gettext=True|getmusic=True|getflash=False|"
          u"getgeneral=1|getmature=1|commonfavs=1|getadult=0|shutdown=0|maxsize=0|"
          u"savepath=D:\\Art|favpath=D:\\Art\\favorites|urlfix=0"_s);

} // namespace

TEST(SettingsText, ValuesCannotBreakIntoLinesOfTheirOwn)
{
    // A pasted cookie or name with a line break must not turn into a setting of its own.
    SettingsSnapshot snapshot;
    snapshot.cookieA = u"abc\r\nshutdown=1"_s;
    snapshot.users = {UserEntry{u"eve\nusername=mallory"_s, false, false}};
    const SettingsRead read = readSettingsText(settingsText(snapshot));
    ASSERT_EQ(read.status, SettingsStatus::Loaded);
    EXPECT_EQ(read.values.cookieA, u"abcshutdown=1"_s);
    ASSERT_EQ(read.values.users.size(), 1);
    EXPECT_EQ(read.values.users[0].Name, u"eveusername=mallory"_s);
    EXPECT_EQ(read.values.shutdown, 0);
}

TEST(SettingsText, StopsAtTheTableEndAndKeepsSurplusFlagsAway)
{
    QStringList file{u"130"_s};
    for (int i = 0; i < 1100; ++i) {
        file << u"username=user%1"_s.arg(i);
        // Only the surplus names carry flags: none may land on a stored user.
        if (i >= MaxUsers)
            file << u"getscraps=True"_s << u"getfavs=True"_s;
    }
    const SettingsRead read = readLines(file);
    ASSERT_EQ(read.values.users.size(), MaxUsers);
    EXPECT_EQ(read.values.users.last().Name, u"user1023"_s);
    for (const UserEntry &user : read.values.users)
        ASSERT_FALSE(user.Scraps || user.Favs) << user.Name.toStdString();
}

TEST(SettingsFile, FailedSaveReportsAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(SettingsFileName);
    writeFile(path, crlfLines(AliceFile));
    SettingsSnapshot other = aliceSnapshot();
    other.users.append(UserEntry{u"bob"_s, false, false});
    QString error;
    EXPECT_FALSE(
        underFileSizeLimit([&] { return saveSettingsFile(path, settingsText(other), &error); }));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(path), crlfLines(AliceFile));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{SettingsFileName});

    // Into a missing folder.
    const QString missing = dir.filePath(u"missing/vorpl.dat"_s);
    error.clear();
    EXPECT_FALSE(saveSettingsFile(missing, "130\r\n", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(clearSettingsFile(missing, &error));
}
