#include "TestWaits.h"
#include "TestWindow.h"

#include "settings/SettingsFile.h"
#include "settings/UserList.h"
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

bool nothingStored(const StoredSettings &v)
{
    const auto unset = [](const auto &values) {
        return std::none_of(values.begin(), values.end(), [](const auto &x) { return bool(x); });
    };
    return !v.cookieA && !v.cookieB && !v.nameMode && !v.folderMode && v.users.isEmpty() &&
           !v.delay && unset(v.types) && unset(v.ratings) && !v.commonFavs && !v.shutdown &&
           !v.urlFix && !v.maxSize && !v.savePath && !v.favPath;
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

constexpr auto OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QFileDevice::Permissions permissions(const QString &path)
{
    const auto any = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                     QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                     QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    return QFile::permissions(path) & any;
}

} // namespace

// Writing

TEST(SettingsText, WritesTheOneUserExampleByteForByte)
{
    EXPECT_EQ(settingsText(aliceSnapshot()), crlfLines(AliceFile));

    // With no option selected the index lines are left out.
    SettingsSnapshot snapshot = aliceSnapshot();
    snapshot.nameMode = -1;
    snapshot.folderMode = -1;
    QStringList expected = AliceFile;
    expected.removeAll(u"namemode=1"_s);
    expected.removeAll(u"foldermode=1"_s);
    EXPECT_EQ(settingsText(snapshot), crlfLines(expected));
}

TEST(SettingsText, WritesOneGroupPerNonEmptySlotInOrder)
{
    SettingsSnapshot snapshot;
    snapshot.users = {UserEntry{u"b"_s, false, true}, UserEntry{QString(), true, true},
                      UserEntry{u"a"_s, true, true}};
    const QString text = QString::fromUtf8(settingsText(snapshot));
    EXPECT_TRUE(text.contains(u"username=b\r\ngetscraps=False\r\ngetfavs=True\r\n"
                              u"username=a\r\ngetscraps=True\r\ngetfavs=True\r\ndelay="_s));
    EXPECT_EQ(text.count(u"username="_s), 2);
}

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

// Reading

TEST(SettingsText, VersionLineDecidesWhetherAnythingLoads)
{
    const QList<std::pair<QByteArray, SettingsStatus>> cases = {
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
    for (const auto &[bytes, status] : cases) {
        const SettingsRead read = readSettingsText(bytes);
        EXPECT_EQ(read.status, status) << bytes.toStdString();
        EXPECT_TRUE(status == SettingsStatus::Loaded || nothingStored(read.values))
            << bytes.toStdString();
    }
}

TEST(SettingsText, FlagLinesGoToTheUserNamedAboveThem)
{
    const auto rows = [](const SettingsRead &read) {
        QStringList texts;
        for (const UserEntry &user : read.values.users)
            texts << userRowText(user);
        return texts;
    };
    // Keys ignore letter case but not blanks.
    SettingsRead read = readLines(
        lines(u"130|USERNAME=Bob|GetScraps=True|CookieA=secret|cookieb =ignored|username =carl"_s));
    EXPECT_EQ(rows(read), QStringList{"[S ]Bob"});
    EXPECT_EQ(read.values.cookieA, u"secret"_s);
    EXPECT_FALSE(read.values.cookieB);
    // An empty name is skipped: the flags after it still belong to b.
    read = readLines(
        lines(u"130|username=a|getfavs=True|username=b|getscraps=True|username=|getfavs=True"_s));
    EXPECT_EQ(rows(read), (QStringList{"[ F]a", "[SF]b"}));
    // Other line ends.
    read = readSettingsText("130\nusername=a\rgetfavs=True\r\ndelay=20");
    EXPECT_EQ(read.status, SettingsStatus::Loaded);
    EXPECT_EQ(rows(read), QStringList{"[ F]a"});
    EXPECT_EQ(read.values.delay, 20);
}

TEST(SettingsText, SkipsEveryLineTheProgramNeverWrites)
{
    const QStringList skipped =
        lines(u"no equals sign||namemode=x|namemode=3|namemode=-1|namemode=|foldermode=1.0|"
              u"foldermode= 1|delay=abc|delay=61|delay=|delay=99999999999999999999|shutdown=2|"
              u"shutdown=-1|commonfavs=yes|urlfix=True|getgeneral=5|getmature=x|getadult=|"
              u"getgfx=maybe|getflash=|gettext=1e3|getscraps=True|getfavs=-1|username=|"
              u"getscraps=True|unknown=1|cookiea =x"_s);
    for (const QString &line : skipped) {
        const SettingsRead read = readLines({u"130"_s, line});
        EXPECT_EQ(read.status, SettingsStatus::Loaded) << line.toStdString();
        EXPECT_TRUE(nothingStored(read.values)) << line.toStdString();
    }
    // Skipping does not stop the reading of the lines after it.
    EXPECT_EQ(readLines(QStringList{"130"} + skipped + QStringList{"delay=30"}).values.delay, 30);
}

TEST(SettingsText, ReadsBooleansAsWordsOrNumbers)
{
    const QList<std::pair<QString, std::optional<bool>>> cases = {
        {"True", true}, {"False", false}, {"true", true}, {"FALSE", false}, {"-1", true},
        {"0", false},   {"1", true},      {"2.5", true},  {"0.0", false},   {"yes", {}},
        {"", {}},       {"nan", {}},      {".", {}},
    };
    for (const auto &[value, flag] : cases) {
        const SettingsRead read =
            readLines({"130", "username=u", "getfavs=" + value, "getgfx=" + value});
        ASSERT_EQ(read.values.users.size(), 1);
        EXPECT_EQ(read.values.users[0].Favs, flag.value_or(false)) << value.toStdString();
        EXPECT_EQ(read.values.types[0], flag) << value.toStdString();
    }
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

TEST(SettingsText, DelayAndSizeValues)
{
    // The delay keeps values up to the slider maximum.
    const QList<std::pair<QString, std::optional<int>>> delays = {
        {"3", 3}, {"5", 5},   {"30", 30}, {"60", 60},
        {"0", 0}, {"-4", -4}, {"61", {}}, {"-40000", {}}};
    for (const auto &[value, delay] : delays)
        EXPECT_EQ(readLines({"130", "delay=" + value}).values.delay, delay) << value.toStdString();

    // The size limit keeps only its leading number.
    const QList<std::pair<QString, QString>> sizes = {
        {"12", "12"},     {"12MB", "12"}, {"abc", "0"}, {"", "0"},     {"007", "7"},
        {"1.50x", "1.5"}, {".5", "0.5"},  {"3.", "3"},  {" 42", "42"}, {"-3x", "-3"},
        {"-0", "0"},      {"+8", "8"},    {"1,5", "1"},
    };
    for (const auto &[value, shown] : sizes) {
        EXPECT_EQ(leadingNumberText(value), shown) << value.toStdString();
        EXPECT_EQ(readLines({"130", "maxsize=" + value}).values.maxSize, shown)
            << value.toStdString();
    }
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
    EXPECT_EQ(read.values.savePath, u"D:\\Art"_s);
}

TEST(SettingsFile, IsWrittenForItsOwnerOnly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(SettingsFileName);
    QString error;
    ASSERT_TRUE(saveSettingsFile(path, "130\r\n", &error)) << error.toStdString();
    EXPECT_EQ(permissions(path), OwnerOnly);

    // An existing file that others could read is replaced by an owner-only one.
    QFile::setPermissions(path, OwnerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    ASSERT_TRUE(saveSettingsFile(path, crlfLines(AliceFile), &error)) << error.toStdString();
    EXPECT_EQ(permissions(path), OwnerOnly);
    EXPECT_EQ(fileBytes(path), crlfLines(AliceFile));

    QFile::setPermissions(path, OwnerOnly | QFileDevice::ReadOther);
    ASSERT_TRUE(clearSettingsFile(path, &error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(path).size(), 0);
    EXPECT_EQ(permissions(path), OwnerOnly);

    const QString fresh = dir.filePath(u"other.dat"_s);
    ASSERT_TRUE(clearSettingsFile(fresh, &error));
    EXPECT_TRUE(QFileInfo::exists(fresh));
    EXPECT_EQ(permissions(fresh), OwnerOnly);
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

// Through the window

namespace {

void addUser(TestWindow &test, const QString &name)
{
    test.prompts.inputs << name;
    control<QPushButton>(*test.window, "Cmd_Add")->click();
}

void expectSaveFailureReported(const TestWindow &test)
{
    const auto errors = test.prompts.ofKind(u"error"_s);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().title.startsWith(u"Could not save the settings"_s));
}

} // namespace

TEST(SettingsWindow, SavesTheOneUserExampleOnUnload)
{
    TestWindow test;
    MainWindow &window = test.open();
    addUser(test, u"alice"_s);
    control<QCheckBox>(window, "Chk_Syngetscraps")->click();
    control<QListWidget>(window, "Lst_Types")->item(3)->setCheckState(Qt::Unchecked);
    control<QCheckBox>(window, "Chk_Getadult")->setChecked(false);
    control<QLineEdit>(window, "Txt_Path")->setText(u"D:\\Art"_s);
    control<QLineEdit>(window, "Txt_Favpath")->setText(u"D:\\Art\\favorites"_s);
    window.unload();
    EXPECT_EQ(fileBytes(window.settingsFilePath()), crlfLines(AliceFile));
    EXPECT_EQ(permissions(window.settingsFilePath()), OwnerOnly);
}

TEST(SettingsWindow, EveryKeyRoundTripsThroughARestart)
{
    TestWindow first;
    MainWindow &window = first.open();
    addUser(first, u"x=y"_s);
    control<QCheckBox>(window, "Chk_Syngetfavs")->click();
    addUser(first, u"Zoë"_s);
    addUser(first, u"=lead"_s);
    control<QLineEdit>(window, "Txt_CookieA")->setText(u"a=b=c"_s);
    control<QLineEdit>(window, "Txt_CookieB")->setText(u"  spaced  "_s);
    control<QButtonGroup>(window, "Option1")->button(0)->setChecked(true);
    control<QButtonGroup>(window, "Option2")->button(2)->setChecked(true);
    control<QScrollBar>(window, "Hscr_Delay")->setValue(37);
    control<QListWidget>(window, "Lst_Types")->item(1)->setCheckState(Qt::Unchecked);
    for (const char *box : {"Chk_Getgeneral", "Chk_Getmature", "Chk_Commonfavs"})
        control<QCheckBox>(window, box)->setChecked(false);
    control<QCheckBox>(window, "Chk_Shutdown")->setChecked(true);
    control<QCheckBox>(window, "Chk_urlfix")->setChecked(true);
    control<QLineEdit>(window, "Txt_Maxsize")->setText(u"12"_s);
    control<QLineEdit>(window, "Txt_Path")->setText(u"/srv/Kunst/ärger/写真"_s);
    control<QLineEdit>(window, "Txt_Favpath")->setText(u"/srv/Kunst/ärger/favs"_s);
    window.unload();
    const QByteArray saved = fileBytes(window.settingsFilePath());

    TestWindow second;
    writeFile(second.path(SettingsFileName), saved);
    MainWindow &again = second.open();
    EXPECT_TRUE(second.prompts.shown.isEmpty());
    const JobState &state = again.state();
    ASSERT_EQ(state.UserCount, 3);
    EXPECT_EQ(state.Users[0].Name, u"x=y"_s);
    EXPECT_TRUE(state.Users[0].Favs);
    EXPECT_EQ(state.Users[1].Name, u"Zoë"_s);
    EXPECT_EQ(state.Users[2].Name, u"=lead"_s);
    EXPECT_EQ(again.cookieA(), u"a=b=c"_s);
    EXPECT_EQ(again.cookieB(), u"  spaced  "_s);
    EXPECT_EQ(again.nameMode(), 0);
    EXPECT_EQ(again.folderMode(), 2);
    EXPECT_EQ(state.Delay, 37);
    EXPECT_EQ(control<QScrollBar>(again, "Hscr_Delay")->value(), 37);
    EXPECT_FALSE(again.typeWanted(1));
    EXPECT_FALSE(again.ratingWanted(0));
    EXPECT_TRUE(again.ratingWanted(2));
    EXPECT_TRUE(again.shutdownTicked());
    EXPECT_EQ(again.savePathText(), u"/srv/Kunst/ärger/写真"_s);
    // Every other control came back as it was too: the next save writes the same bytes.
    again.unload();
    EXPECT_EQ(fileBytes(again.settingsFilePath()), saved);
}

TEST(SettingsWindow, SizeBoxShowsTheStoredNumberWholeAndSavesTheTextAsTyped)
{
    for (const auto &[stored, shown] : QList<std::pair<QString, QString>>{
             {"maxsize=12abc", "12"}, {"maxsize=123456", "123456"}}) {
        TestWindow test;
        writeFile(test.path(SettingsFileName), crlfLines({"130", stored}));
        MainWindow &window = test.open();
        EXPECT_EQ(window.maxSizeText(), shown);
        control<QLineEdit>(window, "Txt_Maxsize")->setText(u"7x"_s);
        window.unload();
        EXPECT_TRUE(fileBytes(window.settingsFilePath()).contains("\r\nmaxsize=7x\r\n"));
    }
}

TEST(SettingsWindow, OversizedUserListFillsTheTableButNotItsLastSlot)
{
    TestWindow test;
    QStringList file{u"130"_s};
    for (int i = 0; i < 1100; ++i)
        file << u"username=user%1"_s.arg(i) << u"getfavs=True"_s;
    writeFile(test.path(SettingsFileName), crlfLines(file));
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
    const auto questions = test.prompts.ofKind(u"message"_s);
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0].text, u"Clear settings ?"_s);
    EXPECT_EQ(questions[0].title, ProductName);
    EXPECT_EQ(questions[0].icon, Prompts::Icon::Question);
    EXPECT_TRUE(questions[0].yesNo);
    EXPECT_EQ(fileBytes(window.settingsFilePath()), before);

    // Unticked: neither Add nor Remove nor the exit writes.
    addUser(test, u"bob"_s);
    control<QPushButton>(window, "Command5")->click();
    window.unload();
    EXPECT_EQ(fileBytes(window.settingsFilePath()), before);

    // Ticking again asks nothing and saving resumes.
    const qsizetype shown = test.prompts.shown.size();
    box->click();
    EXPECT_EQ(test.prompts.shown.size(), shown);
    addUser(test, u"carol"_s);
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
    EXPECT_EQ(permissions(window.settingsFilePath()), OwnerOnly);
    window.unload();
    EXPECT_EQ(QFileInfo(window.settingsFilePath()).size(), 0);

    test.window.reset();
    MainWindow &again = test.open();
    EXPECT_EQ(test.prompts.ofKind(u"notice"_s).size(), 1);
    EXPECT_EQ(again.state().UserCount, 0);
}

TEST(SettingsWindow, FailedSaveIsReportedAndTheProgramGoesOn)
{
    TestWindow test;
    writeFile(test.path(SettingsFileName), crlfLines(AliceFile));
    MainWindow &window = test.open();
    addUser(test, u"bob"_s);
    const QByteArray before = fileBytes(window.settingsFilePath());
    underFileSizeLimit([&] {
        addUser(test, u"carol"_s);
        return true;
    });
    expectSaveFailureReported(test);
    EXPECT_EQ(fileBytes(window.settingsFilePath()), before);
    // Still working: the user was added, and the next save succeeds.
    EXPECT_EQ(window.state().UserCount, 3);
    window.unload();
    EXPECT_TRUE(fileBytes(window.settingsFilePath()).contains("username=carol\r\n"));
}

TEST(SettingsWindow, UnwritablePlaceIsAFirstStartAndIsNotReplaced)
{
    {
        // The program folder path names a regular file: nothing can be created below it.
        TestWindow test;
        const QString notAFolder = test.path(u"plain"_s);
        writeFile(notAFolder, "x");
        AppEnvironment env = test.environment();
        env.programFolder = notAFolder;
        MainWindow window(env);
        EXPECT_EQ(test.prompts.ofKind(u"notice"_s).size(), 1);
        window.unload();
        expectSaveFailureReported(test);
        EXPECT_EQ(fileBytes(notAFolder), QByteArray("x"));
    }
    {
        // A folder in place of the settings file.
        TestWindow test;
        ASSERT_TRUE(QDir(test.folder.path()).mkdir(SettingsFileName));
        MainWindow &window = test.open();
        EXPECT_EQ(test.prompts.ofKind(u"notice"_s).size(), 1);
        window.unload();
        expectSaveFailureReported(test);
        EXPECT_TRUE(QFileInfo(window.settingsFilePath()).isDir());
    }
}
