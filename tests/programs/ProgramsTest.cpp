#include "TestTools.h"
#include "TestWindow.h"
#include "job/RunLock.h"

#include <QCheckBox>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Exit status (-1: crashed or hung), standard output and standard error.
using Ran = std::tuple<int, QString, QString>;

Ran run(const QString &program, const QStringList &arguments, const QProcessEnvironment &env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        process.kill();
    process.waitForFinished();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

TEST(WindowProgram, CommandLineIsReadWithoutADisplay)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    const QString usage = u"Usage: vorpaline [--help | --version]"_s, window = VORPALINE_BINARY,
                  demo = VORPALINE_DEMO_BINARY;
    // Program, arguments, exit status, and a text of standard output (status 0) or error.
    // clang-format off
    const std::tuple<QString, QString, int, QString> rows[] = {
        {window, u"--help"_s, 0, usage}, {window, u"--version"_s, 0, u"vorpaline 1."_s}, {window, u"--sync"_s, 2, usage},
        {window, u"-session"_s, 2, u"-session needs a value."_s}, // as the session manager restarts it
        {demo, u"--help"_s, 0, u"vorpaline-demo [options]"_s}, {demo, u"--version"_s, 0, u"vorpaline-demo 1."_s}};
    // clang-format on
    for (const auto &[program, argument, expected, text] : rows) {
        const auto [status, out, err] = run(program, {argument}, env);
        EXPECT_EQ(status, expected) << argument.toStdString();
        EXPECT_TRUE((status == 0 ? out : err).contains(text)) << err.toStdString();
    }
}

// The demo gallery served without a window, in a folder the shell needs quoted and with a link
// at the settings file (replaced, not written through). The lines it prints run as they stand
// and send vorpaline-sync to it: a dry run lists and filters but writes nothing, a real one saves.
TEST(DemoServe, AnswersVorpalineSyncWithTheLineItPrints)
{
    QTemporaryDir folder(QDir::temp().filePath(u"vorpaline demo's XXXXXX"_s)), outside;
    ASSERT_TRUE(QFile::link(outside.filePath(u"settings"_s), folder.filePath(u"vorpl.dat"_s)));
    QProcess demo;
    demo.start(QStringLiteral(VORPALINE_DEMO_BINARY), {u"--serve"_s, u"--folder"_s, folder.path()});
    QByteArray printed; // a heading, the export line, the line to run
    while (printed.count('\n') < 3 && demo.waitForReadyRead(60000))
        printed += demo.readAll();
    const QString commands = QString::fromUtf8(printed).section(u'\n', 1, 2);
    ASSERT_TRUE(commands.startsWith(u"export VORPALINE_SYNC_HOSTS="_s)) << printed.constData();
    const auto sync = [&](const QStringList &arguments) {
        return run(u"/bin/sh"_s, QStringList{u"-c"_s, commands + u" \"$@\""_s, u"sh"_s} + arguments,
                   QProcessEnvironment::systemEnvironment());
    };
    EXPECT_FALSE(QFileInfo(folder.filePath(u"vorpl.dat"_s)).isSymLink() ||
                 QFileInfo::exists(outside.filePath(u"settings"_s)));

    QDir(folder.path()).mkpath(u"mossfern-gallery"_s);
    ASSERT_TRUE(writeFile(folder.filePath(u"mossfern-gallery/Misty Valley.png"_s), "old"));
    const auto [dryStatus, dryOut, dryErr] = sync({u"--dry-run"_s});
    // The demo's list holds a name without an account, and nothing fails: 3, as a real run.
    EXPECT_EQ(dryStatus, 3) << dryErr.toStdString();
    EXPECT_TRUE(dryOut.contains(u"Skipping \"Misty Valley\": Already exists"_s));
    EXPECT_TRUE(
        dryOut.contains(u"Would retrieve 102.mossfern.salt-and-pepper-hills.jpg (1/8) as "_s +
                        folder.filePath(u"mossfern-gallery/Salt & Pepper Hills.jpg"_s)))
        << dryOut.toStdString();
    // No download folder, temporary file or lock, and the old file untouched.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({u"mossfern-gallery"_s, u"vorpl.dat"_s}));
    EXPECT_EQ(readFile(folder.filePath(u"mossfern-gallery/Misty Valley.png"_s)), "old");

    const auto [status, out, err] =
        sync({u"--get"_s, u"corvidae"_s, u"--no-gallery"_s, u"--scraps"_s});
    EXPECT_EQ(status, 0) << err.toStdString();
    EXPECT_TRUE(QFile::exists(folder.filePath(u"corvidae-scraps/Sketch sheet.png"_s)));
    demo.kill(); // and wait for it
    demo.waitForFinished();
}

// The user list without a window: the window's rules, the rows as the window shows them, and
// the file the window writes for the same list, byte for byte and private; a file that does
// not exist yet gets the window's first-start settings.
TEST(SyncProgram, UserListCommandsWriteWhatTheWindowWrites)
{
    TestEnvironment test;
    const QString file = test.path(u"vorpl.dat"_s);
    const auto sync = [&](const QStringList &arguments) {
        return run(QStringLiteral(VORPALINE_SYNC_BINARY),
                   QStringList{u"--settings"_s, file} + arguments,
                   QProcessEnvironment::systemEnvironment());
    };
    // Arguments, exit status, and standard output (status 0) or a text of standard error.
    // clang-format off
    const std::tuple<QStringList, int, QString> steps[] = {
        {{u"--list-users"_s}, 0, {}}, {{u"--remove-user"_s, u"bob"_s}, 2, u"\"bob\" is not in the userlist."_s},
        {{u"--add-user"_s, u"Alice"_s, u"--scraps"_s}, 0, u"Added [S ]Alice\n"_s}, {{u"--add-user"_s, u"bob"_s, u"--favorites"_s}, 0, u"Added [ F]bob\n"_s},
        {{u"--add-user"_s, u"alice"_s}, 0, u"Added [  ]alice\n"_s}, {{u"--add-user"_s, u"Alice"_s, u"--favorites"_s}, 2, u"\"Alice\" is already in the userlist."_s},
        {{u"--add-user"_s, u"a/b"_s}, 2, u"User names cannot"_s}, {{u"--remove-user"_s, u"BOB"_s}, 2, u"\"BOB\" is not in the userlist."_s},
        {{u"--remove-user"_s, u"bob"_s}, 0, u"Removed [ F]bob\n"_s}, {{u"--list-users"_s}, 0, u"[S ]Alice\n[  ]alice\n"_s},
    };
    // clang-format on
    for (const auto &[arguments, expected, text] : steps) {
        const auto [status, out, err] = sync(arguments);
        EXPECT_EQ(status, expected) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(status == 0 ? out == text : err.contains(text)) << err.toStdString();
    }
    EXPECT_EQ(QFile::permissions(file) & (QFile::ReadGroup | QFile::ReadOther), 0);

    const QByteArray written = readFile(file);
    QFile::remove(file);
    test.prompts.inputs = QStringList{u"Alice"_s, u"bob"_s, u"alice"_s};
    MainWindow window(test.environment());
    auto *scraps = control<QCheckBox>(window, "Chk_Unigetscraps");
    for (const bool tick : {true, false, false})
        scraps->setChecked(tick), control<QPushButton>(window, "Cmd_Add")->click();
    control<QListWidget>(window, "Lst_Names")->setCurrentRow(1);
    control<QPushButton>(window, "Command5")->click();
    EXPECT_EQ(readFile(file), written);

    // Refused while a job holds the lock, and when the list is full.
    RunLock lock(test.folder.path());
    ASSERT_TRUE(lock.tryAcquire());
    EXPECT_TRUE(std::get<2>(sync({u"--add-user"_s, u"carol"_s})).contains(u"vorpl.lock"_s));
    lock.release();
    QByteArray full = "130\r\n";
    for (int user = 0; user < 1024; ++user)
        full += "username=u" + QByteArray::number(user) + "\r\n";
    writeFile(file, full);
    EXPECT_TRUE(std::get<2>(sync({u"--add-user"_s, u"carol"_s})).contains(u"list is full (1024"_s));
    EXPECT_EQ(readFile(file), full);
}

// --help, the manual page and the README list the same exit statuses in the same words.
TEST(SyncProgram, ExitStatusesAgreeInHelpManualAndReadme)
{
    // The statuses and their words of the part between two marks, one "statuses|words" each.
    const auto rows = [](const QString &text, const QString &from, const QString &to,
                         const QString &pattern) {
        QStringList found;
        const QRegularExpression row(pattern, QRegularExpression::MultilineOption);
        for (const auto &match : row.globalMatch(text.section(from, 1, 1).section(to, 0, 0)))
            found
                << QString(match.captured(1) + u'|' + match.captured(2)).replace(u"\\-"_s, u"-"_s);
        return found;
    };
    const auto source = [](const QString &file) {
        return QString::fromUtf8(readFile(QStringLiteral(VORPALINE_SOURCE_DIR) + file));
    };
    const QStringList help =
        rows(std::get<1>(run(QStringLiteral(VORPALINE_SYNC_BINARY), {u"--help"_s},
                             QProcessEnvironment::systemEnvironment())),
             u"Exit status:\n"_s, u"\n\n"_s, u"^  (\\S+(?:, \\d+)*)  (.+)$"_s);
    EXPECT_GE(help.size(), 5);
    EXPECT_EQ(rows(source(u"/packaging/man/vorpaline-sync.1.in"_s), u".SH EXIT STATUS"_s,
                   u"\n.PP"_s, u"^\\.B (.+)\n([^.].*)$"_s),
              help);
    EXPECT_EQ(rows(source(u"/README.md"_s), u"`vorpaline-sync`:\n\n"_s, u"\n\n"_s,
                   u"^\\| ([^|]+) \\| ([^|]+) \\|$"_s)
                  .mid(1), // under the heading row
              help);
}
