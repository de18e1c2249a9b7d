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
    const QString usage = u"Usage: vorpaline [--help | --version]"_s;
    // Arguments, exit status, and a text of standard output (status 0) or error.
    const std::tuple<QString, int, QString> rows[] = {
        {u"--help"_s, 0, usage}, {u"--version"_s, 0, u"vorpaline 1."_s}, {u"--sync"_s, 2, usage}};
    for (const auto &[argument, expected, text] : rows) {
        const auto [status, out, err] = run(QStringLiteral(VORPALINE_BINARY), {argument}, env);
        EXPECT_EQ(status, expected) << argument.toStdString();
        EXPECT_TRUE((status == 0 ? out : err).contains(text)) << err.toStdString();
    }
}

// The demo gallery served without a window, with vorpaline-sync sent to it by
// the line the demo prints: a dry run lists and filters but writes nothing,
// then a real run saves.
TEST(DemoServe, AnswersVorpalineSyncWithTheLineItPrints)
{
    QTemporaryDir folder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess demo;
    demo.start(QStringLiteral(VORPALINE_DEMO_BINARY), {u"--serve"_s, u"--folder"_s, folder.path()});
    QString line;
    while (!line.startsWith(u"export "_s) && (demo.canReadLine() || demo.waitForReadyRead(60000)))
        line = QString::fromUtf8(demo.readLine()).trimmed();
    ASSERT_TRUE(line.startsWith(u"export VORPALINE_SYNC_HOSTS="_s)) << line.toStdString();
    env.insert(u"VORPALINE_SYNC_HOSTS"_s, line.section(u'=', 1));
    const auto sync = [&](const QStringList &arguments) {
        return run(QStringLiteral(VORPALINE_SYNC_BINARY),
                   QStringList{u"--settings"_s, folder.filePath(u"vorpl.dat"_s)} + arguments, env);
    };

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
