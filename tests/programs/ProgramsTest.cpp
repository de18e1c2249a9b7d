#include "TestTools.h"

#include <QDir>
#include <QProcess>
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
    // The demo's list holds a name without an account: a real run ends in 1 too.
    EXPECT_EQ(dryStatus, 1) << dryErr.toStdString();
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
