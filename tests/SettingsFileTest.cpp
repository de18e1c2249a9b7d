#include "TestWindow.h"

#include "settings/SettingsFile.h"
#include "windows/ReportTexts.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

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
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

bool nothingStored(const StoredSettings &values)
{
    return !values.cookieA && !values.cookieB && !values.nameMode && !values.folderMode &&
           values.users.isEmpty() && !values.delay && !values.types[0] && !values.types[1] &&
           !values.types[2] && !values.types[3] && !values.ratings[0] && !values.ratings[1] &&
           !values.ratings[2] && !values.commonFavs && !values.shutdown && !values.urlFix &&
           !values.maxSize && !values.savePath && !values.favPath;
}

// The example of a file written with one user.
SettingsSnapshot aliceSnapshot()
{
    SettingsSnapshot snapshot;
    snapshot.nameMode = 1;
    snapshot.folderMode = 1;
    snapshot.users = {UserEntry{QStringLiteral("alice"), true, false}};
    snapshot.delay = 10;
    snapshot.types = {true, true, true, false};
    snapshot.ratings = {1, 1, 0};
    snapshot.commonFavs = 1;
    snapshot.shutdown = 0;
    snapshot.maxSize = QStringLiteral("0");
    snapshot.savePath = QStringLiteral("D:\\Art");
    snapshot.favPath = QStringLiteral("D:\\Art\\favorites");
    snapshot.urlFix = 0;
    return snapshot;
}

const QStringList AliceFile = {QStringLiteral("130"),
                               QStringLiteral("cookiea="),
                               QStringLiteral("cookieb="),
                               QStringLiteral("namemode=1"),
                               QStringLiteral("foldermode=1"),
                               QStringLiteral("username=alice"),
                               QStringLiteral("getscraps=True"),
                               QStringLiteral("getfavs=False"),
                               QStringLiteral("delay=10"),
                               QStringLiteral("getgfx=True"),
                               QStringLiteral("gettext=True"),
                               QStringLiteral("getmusic=True"),
                               QStringLiteral("getflash=False"),
                               QStringLiteral("getgeneral=1"),
                               QStringLiteral("getmature=1"),
                               QStringLiteral("commonfavs=1"),
                               QStringLiteral("getadult=0"),
                               QStringLiteral("shutdown=0"),
                               QStringLiteral("maxsize=0"),
                               QStringLiteral("savepath=D:\\Art"),
                               QStringLiteral("favpath=D:\\Art\\favorites"),
                               QStringLiteral("urlfix=0")};

constexpr auto OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr auto AnyPermission =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
    QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
    QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

} // namespace

// Writing

TEST(SettingsText, WritesTheOneUserExampleByteForByte)
{
    EXPECT_EQ(settingsText(aliceSnapshot()), crlfLines(AliceFile));
}

TEST(SettingsText, LeavesOutIndexLinesWhenNoOptionIsSelected)
{
    SettingsSnapshot snapshot = aliceSnapshot();
    snapshot.nameMode = -1;
    snapshot.folderMode = -1;
    QStringList expected = AliceFile;
    expected.removeAll(QStringLiteral("namemode=1"));
    expected.removeAll(QStringLiteral("foldermode=1"));
    EXPECT_EQ(settingsText(snapshot), crlfLines(expected));
}

TEST(SettingsText, WritesOneGroupPerNonEmptySlotInOrder)
{
    SettingsSnapshot snapshot;
    snapshot.users = {UserEntry{QStringLiteral("b"), false, true}, UserEntry{QString(), true, true},
                      UserEntry{QStringLiteral("a"), true, true}};
    const QString text = QString::fromUtf8(settingsText(snapshot));
    EXPECT_TRUE(text.contains(QStringLiteral("username=b\r\ngetscraps=False\r\ngetfavs=True\r\n"
                                             "username=a\r\ngetscraps=True\r\ngetfavs=True\r\n"
                                             "delay=")));
    EXPECT_EQ(text.count(QStringLiteral("username=")), 2);
}

TEST(SettingsText, ValuesCannotBreakIntoLinesOfTheirOwn)
{
    // A pasted cookie or name with a line break must not turn into a setting of its own.
    SettingsSnapshot snapshot;
    snapshot.cookieA = QStringLiteral("abc\r\nshutdown=1");
    snapshot.users = {UserEntry{QStringLiteral("eve\nusername=mallory"), false, false}};
    const SettingsRead read = readSettingsText(settingsText(snapshot));
    ASSERT_EQ(read.status, SettingsStatus::Loaded);
    EXPECT_EQ(read.values.cookieA, QStringLiteral("abcshutdown=1"));
    ASSERT_EQ(read.values.users.size(), 1);
    EXPECT_EQ(read.values.users[0].Name, QStringLiteral("eveusername=mallory"));
    EXPECT_EQ(read.values.shutdown, 0);
}

// Reading

TEST(SettingsText, RoundTripsEveryKey)
{
    SettingsSnapshot snapshot;
    snapshot.cookieA = QStringLiteral("a=b=c");
    snapshot.cookieB = QStringLiteral("  spaced  ");
    snapshot.nameMode = 2;
    snapshot.folderMode = 0;
    snapshot.users = {UserEntry{QStringLiteral("x=y"), true, false},
                      UserEntry{QStringLiteral("Zoë"), false, true},
                      UserEntry{QStringLiteral("=lead"), true, true}};
    snapshot.delay = 42;
    snapshot.types = {false, true, false, true};
    snapshot.ratings = {0, 1, 0};
    snapshot.commonFavs = 0;
    snapshot.shutdown = 1;
    snapshot.maxSize = QStringLiteral("25");
    snapshot.savePath = QStringLiteral("/home/ü/Bilder/画像");
    snapshot.favPath = QStringLiteral("/home/ü/Bilder/画像/favorites");
    snapshot.urlFix = 1;

    const SettingsRead read = readSettingsText(settingsText(snapshot));
    ASSERT_EQ(read.status, SettingsStatus::Loaded);
    const StoredSettings &v = read.values;
    EXPECT_EQ(v.cookieA, snapshot.cookieA);
    EXPECT_EQ(v.cookieB, snapshot.cookieB);
    EXPECT_EQ(v.nameMode, 2);
    EXPECT_EQ(v.folderMode, 0);
    ASSERT_EQ(v.users.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(v.users[i].Name, snapshot.users[i].Name);
        EXPECT_EQ(v.users[i].Scraps, snapshot.users[i].Scraps);
        EXPECT_EQ(v.users[i].Favs, snapshot.users[i].Favs);
    }
    EXPECT_EQ(v.delay, 42);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(v.types[i], snapshot.types[i]) << i;
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(v.ratings[i], snapshot.ratings[i]) << i;
    EXPECT_EQ(v.commonFavs, 0);
    EXPECT_EQ(v.shutdown, 1);
    EXPECT_EQ(v.maxSize, QStringLiteral("25"));
    EXPECT_EQ(v.savePath, snapshot.savePath);
    EXPECT_EQ(v.favPath, snapshot.favPath);
    EXPECT_EQ(v.urlFix, 1);
}

TEST(SettingsText, VersionLineDecidesWhetherAnythingLoads)
{
    struct Case
    {
        QByteArray bytes;
        SettingsStatus status;
    };
    const QList<Case> cases = {
        {"", SettingsStatus::Empty},
        {"130", SettingsStatus::Loaded},
        {"130\r\n", SettingsStatus::Loaded},
        {"130\r\ndelay=30\r\n", SettingsStatus::Loaded},
        {"131\r\ndelay=30\r\n", SettingsStatus::Incompatible},
        {"130 \r\ndelay=30\r\n", SettingsStatus::Incompatible},
        {" 130\r\n", SettingsStatus::Incompatible},
        {"\r\n130\r\n", SettingsStatus::Incompatible},
        {"delay=30\r\n", SettingsStatus::Incompatible},
    };
    for (const Case &c : cases) {
        const SettingsRead read = readSettingsText(c.bytes);
        EXPECT_EQ(read.status, c.status) << c.bytes.toStdString();
        if (read.status != SettingsStatus::Loaded) {
            EXPECT_TRUE(nothingStored(read.values)) << c.bytes.toStdString();
        }
    }
}

TEST(SettingsText, KeysIgnoreLetterCaseButNotBlanks)
{
    const SettingsRead read =
        readLines({QStringLiteral("130"), QStringLiteral("USERNAME=Bob"),
                   QStringLiteral("GetScraps=True"), QStringLiteral("CookieA=secret"),
                   QStringLiteral("cookieb =ignored"), QStringLiteral("username =carl")});
    ASSERT_EQ(read.values.users.size(), 1);
    EXPECT_EQ(read.values.users[0].Name, QStringLiteral("Bob"));
    EXPECT_TRUE(read.values.users[0].Scraps);
    EXPECT_EQ(read.values.cookieA, QStringLiteral("secret"));
    EXPECT_FALSE(read.values.cookieB);
}

TEST(SettingsText, SkipsEveryLineTheProgramNeverWrites)
{
    const QStringList lines = {
        QStringLiteral("no equals sign"), QStringLiteral(""),
        QStringLiteral("namemode=x"),     QStringLiteral("namemode=3"),
        QStringLiteral("namemode=-1"),    QStringLiteral("namemode="),
        QStringLiteral("foldermode=1.0"), QStringLiteral("foldermode= 1"),
        QStringLiteral("delay=abc"),      QStringLiteral("delay=61"),
        QStringLiteral("delay="),         QStringLiteral("delay=99999999999999999999"),
        QStringLiteral("shutdown=2"),     QStringLiteral("shutdown=-1"),
        QStringLiteral("commonfavs=yes"), QStringLiteral("urlfix=True"),
        QStringLiteral("getgeneral=5"),   QStringLiteral("getmature=x"),
        QStringLiteral("getadult="),      QStringLiteral("getgfx=maybe"),
        QStringLiteral("getflash="),      QStringLiteral("gettext=1e3"),
        QStringLiteral("getscraps=True"), QStringLiteral("getfavs=-1"),
        QStringLiteral("username="),      QStringLiteral("getscraps=True"),
        QStringLiteral("unknown=1"),      QStringLiteral("cookiea =x"),
    };
    for (const QString &line : lines) {
        const SettingsRead read = readLines({QStringLiteral("130"), line});
        EXPECT_EQ(read.status, SettingsStatus::Loaded) << line.toStdString();
        EXPECT_TRUE(nothingStored(read.values)) << line.toStdString();
    }
    // Skipping does not stop the reading of the lines after it.
    const SettingsRead read = readLines(QStringList{QStringLiteral("130")} + lines +
                                        QStringList{QStringLiteral("delay=30")});
    EXPECT_EQ(read.values.delay, 30);
}

TEST(SettingsText, ReadsBooleansAsWordsOrNumbers)
{
    struct Case
    {
        QString value;
        std::optional<bool> flag;
    };
    const QList<Case> cases = {
        {QStringLiteral("True"), true},      {QStringLiteral("False"), false},
        {QStringLiteral("true"), true},      {QStringLiteral("FALSE"), false},
        {QStringLiteral("-1"), true},        {QStringLiteral("0"), false},
        {QStringLiteral("1"), true},         {QStringLiteral("2.5"), true},
        {QStringLiteral("0.0"), false},      {QStringLiteral("yes"), std::nullopt},
        {QStringLiteral(""), std::nullopt},  {QStringLiteral("nan"), std::nullopt},
        {QStringLiteral("."), std::nullopt},
    };
    for (const Case &c : cases) {
        const SettingsRead read =
            readLines({QStringLiteral("130"), QStringLiteral("username=u"),
                       QStringLiteral("getfavs=") + c.value, QStringLiteral("getgfx=") + c.value});
        ASSERT_EQ(read.values.users.size(), 1);
        EXPECT_EQ(read.values.users[0].Favs, c.flag.value_or(false)) << c.value.toStdString();
        EXPECT_EQ(read.values.types[0], c.flag) << c.value.toStdString();
    }
}

TEST(SettingsText, FlagLinesGoToTheUserNamedAboveThem)
{
    const SettingsRead read = readLines(
        {QStringLiteral("130"), QStringLiteral("username=a"), QStringLiteral("getfavs=True"),
         QStringLiteral("username=b"), QStringLiteral("getscraps=True"),
         QStringLiteral("username="), QStringLiteral("getfavs=True")});
    ASSERT_EQ(read.values.users.size(), 2);
    EXPECT_FALSE(read.values.users[0].Scraps);
    EXPECT_TRUE(read.values.users[0].Favs);
    // An empty name is skipped: the flags after it still belong to b.
    EXPECT_TRUE(read.values.users[1].Scraps);
    EXPECT_TRUE(read.values.users[1].Favs);
}

TEST(SettingsText, StopsAtTheTableEndAndKeepsSurplusFlagsAway)
{
    QStringList lines{QStringLiteral("130")};
    for (int i = 0; i < 1100; ++i) {
        lines << QStringLiteral("username=user%1").arg(i);
        // Only the surplus names carry flags: none may land on a stored user.
        if (i >= MaxUsers)
            lines << QStringLiteral("getscraps=True") << QStringLiteral("getfavs=True");
    }
    const SettingsRead read = readLines(lines);
    ASSERT_EQ(read.values.users.size(), MaxUsers);
    EXPECT_EQ(read.values.users.last().Name, QStringLiteral("user1023"));
    for (const UserEntry &user : read.values.users)
        ASSERT_FALSE(user.Scraps || user.Favs) << user.Name.toStdString();
}

TEST(SettingsText, DelayKeepsValuesUpToTheSliderMaximum)
{
    struct Case
    {
        QString value;
        std::optional<int> delay;
    };
    const QList<Case> cases = {{QStringLiteral("3"), 3},
                               {QStringLiteral("5"), 5},
                               {QStringLiteral("30"), 30},
                               {QStringLiteral("60"), 60},
                               {QStringLiteral("0"), 0},
                               {QStringLiteral("-4"), -4},
                               {QStringLiteral("61"), std::nullopt},
                               {QStringLiteral("-40000"), std::nullopt}};
    for (const Case &c : cases) {
        const SettingsRead read =
            readLines({QStringLiteral("130"), QStringLiteral("delay=") + c.value});
        EXPECT_EQ(read.values.delay, c.delay) << c.value.toStdString();
    }
}

TEST(SettingsText, SizeLimitKeepsOnlyItsLeadingNumber)
{
    const QList<std::pair<QString, QString>> cases = {
        {QStringLiteral("12"), QStringLiteral("12")},
        {QStringLiteral("12MB"), QStringLiteral("12")},
        {QStringLiteral("abc"), QStringLiteral("0")},
        {QStringLiteral(""), QStringLiteral("0")},
        {QStringLiteral("007"), QStringLiteral("7")},
        {QStringLiteral("1.50x"), QStringLiteral("1.5")},
        {QStringLiteral(".5"), QStringLiteral("0.5")},
        {QStringLiteral("3."), QStringLiteral("3")},
        {QStringLiteral(" 42"), QStringLiteral("42")},
        {QStringLiteral("-3x"), QStringLiteral("-3")},
        {QStringLiteral("-0"), QStringLiteral("0")},
        {QStringLiteral("+8"), QStringLiteral("8")},
        {QStringLiteral("1,5"), QStringLiteral("1")},
    };
    for (const auto &[value, shown] : cases) {
        EXPECT_EQ(leadingNumberText(value), shown) << value.toStdString();
        const SettingsRead read =
            readLines({QStringLiteral("130"), QStringLiteral("maxsize=") + value});
        EXPECT_EQ(read.values.maxSize, shown) << value.toStdString();
    }
}

TEST(SettingsText, ToleratesOtherLineEnds)
{
    const SettingsRead read = readSettingsText("130\nusername=a\rgetfavs=True\r\ndelay=20");
    ASSERT_EQ(read.status, SettingsStatus::Loaded);
    ASSERT_EQ(read.values.users.size(), 1);
    EXPECT_TRUE(read.values.users[0].Favs);
    EXPECT_EQ(read.values.delay, 20);
}

// The file

TEST(SettingsFile, MissingEmptyAndPresent)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(SettingsFileName);
    EXPECT_EQ(loadSettingsFile(path).status, SettingsStatus::Missing);
    writeFile(path, QByteArray());
    EXPECT_EQ(loadSettingsFile(path).status, SettingsStatus::Empty);
    writeFile(path, crlfLines(AliceFile));
    const SettingsRead read = loadSettingsFile(path);
    EXPECT_EQ(read.status, SettingsStatus::Loaded);
    EXPECT_EQ(read.values.savePath, QStringLiteral("D:\\Art"));
}

TEST(SettingsFile, IsWrittenForItsOwnerOnly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(SettingsFileName);
    QString error;
    ASSERT_TRUE(saveSettingsFile(path, "130\r\n", &error)) << error.toStdString();
    EXPECT_EQ(QFile::permissions(path) & AnyPermission, OwnerOnly);

    // An existing file that others could read is replaced by an owner-only one.
    QFile::setPermissions(path, OwnerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    ASSERT_TRUE(saveSettingsFile(path, crlfLines(AliceFile), &error)) << error.toStdString();
    EXPECT_EQ(QFile::permissions(path) & AnyPermission, OwnerOnly);
    EXPECT_EQ(fileBytes(path), crlfLines(AliceFile));

    QFile::setPermissions(path, OwnerOnly | QFileDevice::ReadOther);
    ASSERT_TRUE(clearSettingsFile(path, &error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(path).size(), 0);
    EXPECT_EQ(QFile::permissions(path) & AnyPermission, OwnerOnly);

    const QString fresh = dir.filePath(QStringLiteral("other.dat"));
    ASSERT_TRUE(clearSettingsFile(fresh, &error));
    EXPECT_TRUE(QFileInfo::exists(fresh));
    EXPECT_EQ(QFile::permissions(fresh) & AnyPermission, OwnerOnly);
}

TEST(SettingsFile, FailedSaveReportsAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(SettingsFileName);
    writeFile(path, crlfLines(AliceFile));

    // A file size limit makes every write past a few bytes fail, even for root.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    SettingsSnapshot other = aliceSnapshot();
    other.users.append(UserEntry{QStringLiteral("bob"), false, false});
    const bool saved1 = saveSettingsFile(path, settingsText(other), &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved1);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(path), crlfLines(AliceFile));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{SettingsFileName});
}

TEST(SettingsFile, SaveIntoAMissingFolderFails)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(
        saveSettingsFile(dir.filePath(QStringLiteral("missing/vorpl.dat")), "130\r\n", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(clearSettingsFile(dir.filePath(QStringLiteral("missing/vorpl.dat")), &error));
}

// Through the window

namespace {

template <typename T> T *control(MainWindow &window, const char *name)
{
    T *widget = window.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

void addUser(TestWindow &test, const QString &name)
{
    test.prompts.inputs << name;
    control<QPushButton>(*test.window, "Cmd_Add")->click();
}

} // namespace

TEST(SettingsWindow, SavesTheOneUserExampleOnUnload)
{
    TestWindow test;
    MainWindow &window = test.open();
    addUser(test, QStringLiteral("alice"));
    control<QCheckBox>(window, "Chk_Syngetscraps")->click();
    control<QListWidget>(window, "Lst_Types")->item(3)->setCheckState(Qt::Unchecked);
    control<QCheckBox>(window, "Chk_Getadult")->setChecked(false);
    control<QLineEdit>(window, "Txt_Path")->setText(QStringLiteral("D:\\Art"));
    control<QLineEdit>(window, "Txt_Favpath")->setText(QStringLiteral("D:\\Art\\favorites"));
    window.unload();
    EXPECT_EQ(fileBytes(window.settingsFilePath()), crlfLines(AliceFile));
    EXPECT_EQ(QFile::permissions(window.settingsFilePath()) & AnyPermission, OwnerOnly);
}

TEST(SettingsWindow, RoundTripsThroughARestart)
{
    TestWindow first;
    MainWindow &window = first.open();
    addUser(first, QStringLiteral("x=y"));
    control<QCheckBox>(window, "Chk_Syngetfavs")->click();
    addUser(first, QStringLiteral("Zoë"));
    control<QLineEdit>(window, "Txt_CookieA")->setText(QStringLiteral("cookie=a"));
    control<QLineEdit>(window, "Txt_CookieB")->setText(QStringLiteral("b"));
    control<QButtonGroup>(window, "Option1")->button(0)->setChecked(true);
    control<QButtonGroup>(window, "Option2")->button(2)->setChecked(true);
    control<QScrollBar>(window, "Hscr_Delay")->setValue(37);
    control<QListWidget>(window, "Lst_Types")->item(1)->setCheckState(Qt::Unchecked);
    control<QCheckBox>(window, "Chk_Getgeneral")->setChecked(false);
    control<QCheckBox>(window, "Chk_Getmature")->setChecked(false);
    control<QCheckBox>(window, "Chk_Commonfavs")->setChecked(false);
    control<QCheckBox>(window, "Chk_Shutdown")->setChecked(true);
    control<QCheckBox>(window, "Chk_urlfix")->setChecked(true);
    control<QLineEdit>(window, "Txt_Maxsize")->setText(QStringLiteral("12"));
    control<QLineEdit>(window, "Txt_Path")->setText(QStringLiteral("/srv/Kunst/ärger/写真"));
    control<QLineEdit>(window, "Txt_Favpath")->setText(QStringLiteral("/srv/Kunst/ärger/favs"));
    window.unload();

    TestWindow second;
    writeFile(second.path(SettingsFileName), fileBytes(window.settingsFilePath()));
    MainWindow &again = second.open();
    EXPECT_TRUE(second.prompts.ofKind(QStringLiteral("notice")).isEmpty());
    EXPECT_TRUE(second.prompts.ofKind(QStringLiteral("error")).isEmpty());
    const JobState &state = again.state();
    ASSERT_EQ(state.UserCount, 2);
    EXPECT_EQ(state.Users[0].Name, QStringLiteral("x=y"));
    EXPECT_TRUE(state.Users[0].Favs);
    EXPECT_EQ(state.Users[1].Name, QStringLiteral("Zoë"));
    EXPECT_EQ(again.cookieA(), QStringLiteral("cookie=a"));
    EXPECT_EQ(again.cookieB(), QStringLiteral("b"));
    EXPECT_EQ(again.nameMode(), 0);
    EXPECT_EQ(again.folderMode(), 2);
    EXPECT_EQ(state.Delay, 37);
    EXPECT_EQ(control<QScrollBar>(again, "Hscr_Delay")->value(), 37);
    EXPECT_TRUE(again.typeWanted(0));
    EXPECT_FALSE(again.typeWanted(1));
    EXPECT_FALSE(again.ratingWanted(0));
    EXPECT_FALSE(again.ratingWanted(1));
    EXPECT_TRUE(again.ratingWanted(2));
    EXPECT_FALSE(again.commonFavs());
    EXPECT_TRUE(again.shutdownTicked());
    EXPECT_TRUE(again.urlFix());
    EXPECT_EQ(again.maxSizeText(), QStringLiteral("12"));
    EXPECT_EQ(again.savePathText(), QStringLiteral("/srv/Kunst/ärger/写真"));
    EXPECT_EQ(again.favPathText(), QStringLiteral("/srv/Kunst/ärger/favs"));
}

TEST(SettingsWindow, SizeBoxTextIsSavedAsTyped)
{
    TestWindow test;
    writeFile(test.path(SettingsFileName),
              crlfLines({QStringLiteral("130"), QStringLiteral("maxsize=12abc")}));
    MainWindow &window = test.open();
    EXPECT_EQ(window.maxSizeText(), QStringLiteral("12"));
    control<QLineEdit>(window, "Txt_Maxsize")->setText(QStringLiteral("7x"));
    window.unload();
    EXPECT_TRUE(fileBytes(window.settingsFilePath()).contains("\r\nmaxsize=7x\r\n"));
}

TEST(SettingsWindow, OversizedUserListFillsTheTableButNotItsLastSlot)
{
    TestWindow test;
    QStringList lines{QStringLiteral("130")};
    for (int i = 0; i < 1100; ++i)
        lines << QStringLiteral("username=user%1").arg(i) << QStringLiteral("getfavs=True");
    writeFile(test.path(SettingsFileName), crlfLines(lines));
    MainWindow &window = test.open();
    EXPECT_EQ(window.state().UserCount, MaxUsers);
    EXPECT_TRUE(window.state().Users[size_t(MaxUsers)].Name.isEmpty());
    EXPECT_EQ(control<QListWidget>(window, "Lst_Names")->count(), MaxUsers);
    EXPECT_TRUE(window.state().Users[1023].Favs);
}

TEST(SettingsWindow, SaveSettingsBoxGovernsEveryWrite)
{
    TestWindow test;
    writeFile(test.path(SettingsFileName), crlfLines(AliceFile));
    MainWindow &window = test.open();
    const QByteArray before = fileBytes(window.settingsFilePath());
    auto *box = control<QCheckBox>(window, "Chk_Savesets");
    EXPECT_TRUE(box->isChecked());

    test.prompts.answers << Prompts::Answer::No;
    box->click();
    ASSERT_EQ(test.prompts.ofKind(QStringLiteral("message")).size(), 1);
    const auto question = test.prompts.ofKind(QStringLiteral("message")).first();
    EXPECT_EQ(question.text, QStringLiteral("Clear settings ?"));
    EXPECT_EQ(question.title, ProductName);
    EXPECT_EQ(question.icon, Prompts::Icon::Question);
    EXPECT_TRUE(question.yesNo);
    EXPECT_EQ(fileBytes(window.settingsFilePath()), before);

    // Unticked: neither Add nor Remove nor the exit writes.
    addUser(test, QStringLiteral("bob"));
    control<QPushButton>(window, "Command5")->click();
    window.unload();
    EXPECT_EQ(fileBytes(window.settingsFilePath()), before);

    // Ticking again asks nothing and saving resumes.
    const qsizetype shown = test.prompts.shown.size();
    box->click();
    EXPECT_EQ(test.prompts.shown.size(), shown);
    addUser(test, QStringLiteral("carol"));
    EXPECT_TRUE(fileBytes(window.settingsFilePath()).contains("username=carol\r\n"));
}

TEST(SettingsWindow, ClearingEmptiesTheFileAndTheNextStartIsAFirstStart)
{
    TestWindow test;
    writeFile(test.path(SettingsFileName), crlfLines(AliceFile));
    MainWindow &window = test.open();
    test.prompts.answers << Prompts::Answer::Yes;
    control<QCheckBox>(window, "Chk_Savesets")->click();
    EXPECT_EQ(QFileInfo(window.settingsFilePath()).size(), 0);
    EXPECT_EQ(QFile::permissions(window.settingsFilePath()) & AnyPermission, OwnerOnly);
    window.unload();
    EXPECT_EQ(QFileInfo(window.settingsFilePath()).size(), 0);

    test.window.reset();
    MainWindow &again = test.open();
    EXPECT_EQ(test.prompts.ofKind(QStringLiteral("notice")).size(), 1);
    EXPECT_EQ(again.state().UserCount, 0);
}

TEST(SettingsWindow, FailedSaveIsReportedAndTheProgramGoesOn)
{
    TestWindow test;
    writeFile(test.path(SettingsFileName), crlfLines(AliceFile));
    MainWindow &window = test.open();
    addUser(test, QStringLiteral("bob"));
    const QByteArray before = fileBytes(window.settingsFilePath());

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    addUser(test, QStringLiteral("carol"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    const auto errors = test.prompts.ofKind(QStringLiteral("error"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().title.startsWith(QStringLiteral("Could not save the settings")));
    EXPECT_EQ(fileBytes(window.settingsFilePath()), before);
    // Still working: the user was added, and the next save succeeds.
    EXPECT_EQ(window.state().UserCount, 3);
    window.unload();
    EXPECT_TRUE(fileBytes(window.settingsFilePath()).contains("username=carol\r\n"));
}

TEST(SettingsWindow, ProgramFolderThatIsAFileReportsTheFailedSave)
{
    TestWindow test;
    // The program folder path names a regular file: nothing can be created below it.
    const QString notAFolder = test.path(QStringLiteral("plain"));
    writeFile(notAFolder, "x");
    AppEnvironment env = test.environment();
    env.programFolder = notAFolder;
    MainWindow window(env);
    EXPECT_EQ(test.prompts.ofKind(QStringLiteral("notice")).size(), 1);
    window.unload();
    const auto errors = test.prompts.ofKind(QStringLiteral("error"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().title.startsWith(QStringLiteral("Could not save the settings")));
    EXPECT_EQ(fileBytes(notAFolder), QByteArray("x"));
}

TEST(SettingsWindow, FolderInPlaceOfTheFileIsAFirstStartAndIsNotReplaced)
{
    TestWindow test;
    ASSERT_TRUE(QDir(test.folder.path()).mkdir(SettingsFileName));
    MainWindow &window = test.open();
    EXPECT_EQ(test.prompts.ofKind(QStringLiteral("notice")).size(), 1);
    window.unload();
    const auto errors = test.prompts.ofKind(QStringLiteral("error"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().title.startsWith(QStringLiteral("Could not save the settings")));
    EXPECT_TRUE(QFileInfo(window.settingsFilePath()).isDir());
}

TEST(SettingsWindow, LongStoredSizeLimitIsNotCutShort)
{
    TestWindow test;
    writeFile(test.path(SettingsFileName),
              crlfLines({QStringLiteral("130"), QStringLiteral("maxsize=123456")}));
    MainWindow &window = test.open();
    EXPECT_EQ(window.maxSizeText(), QStringLiteral("123456"));
}
