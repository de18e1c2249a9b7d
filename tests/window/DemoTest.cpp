// The demo end to end: the built vorpaline-demo runs unattended on a fresh
// folder, presses "Sync all" and must fill the folders with real files.

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct DemoRun
{
    int exitCode = -1;
    bool finished = false;
    QString log;
};

QString demoProgram()
{
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("../vorpaline-demo"));
}

DemoRun runDemo(const QString &folder, const QString &screenshot)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(demoProgram(),
                  {QStringLiteral("--folder"), folder, QStringLiteral("--screenshot"), screenshot});
    DemoRun run;
    run.finished = process.waitForFinished(120000);
    if (!run.finished)
        process.kill();
    run.exitCode = process.exitCode();
    run.log = QString::fromLocal8Bit(process.readAllStandardOutput());
    return run;
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Downloaded files, relative to the folder; the program's own two files left out.
QStringList downloads(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = QDir(folder).relativeFilePath(it.next());
        if (path != QLatin1String("vorpl.dat") && path != QLatin1String("downloading.dat"))
            files.append(path);
    }
    files.sort();
    return files;
}

class DemoTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(demoProgram()))
            GTEST_SKIP() << "vorpaline-demo is not built";
        ASSERT_TRUE(temp.isValid());
        folder = temp.filePath(QStringLiteral("demo-data"));
        shot = temp.filePath(QStringLiteral("shot.png"));
    }

    QTemporaryDir temp;
    QString folder;
    QString shot;
};

} // namespace

TEST_F(DemoTest, SyncAllFillsTheFoldersWithRealFiles)
{
    const DemoRun run = runDemo(folder, shot);
    ASSERT_TRUE(run.finished) << qPrintable(run.log);
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.log);

    EXPECT_TRUE(run.log.contains(QLatin1String("No updates.")));
    EXPECT_TRUE(run.log.contains(QLatin1String("User ghostvole doesn't exist")));
    EXPECT_TRUE(run.log.trimmed().endsWith(QLatin1String("Synching done.")));
    // The user after the missing one is still synced.
    EXPECT_TRUE(run.log.contains(QLatin1String("Listing kestrelink's gallery...")));

    const QStringList files = downloads(folder);
    // Six galleries, the scraps and favorites the list asks for.
    EXPECT_EQ(files.size(), 49) << qPrintable(files.join(u'\n'));

    struct Expected
    {
        const char *path;
        const char *magic;
    };
    const Expected samples[] = {
        {"mossfern-gallery/Salt & Pepper Hills.jpg", "\xFF\xD8\xFF"}, // "&amp;" decoded
        {"mossfern-gallery/Study Birches in Snow.png", "\x89PNG"},    // colon dropped
        {"mossfern-gallery/Caf at Dawn.jpg", "\xFF\xD8\xFF"},         // Latin-1 letter dropped
        {"mossfern-scraps/Colour swatches & notes.png", "\x89PNG"},
        {"favorites/Tide Song (loop).mp3", "ID3"},
        {"emberlark-gallery/Fire Dance (animation).swf", "FWS"},
        {"emberlark-gallery/Dragon Tale Chapter One.txt", "Dragon Tale: Chapter One"},
    };
    for (const Expected &sample : samples) {
        const QString path = QDir(folder).filePath(QString::fromUtf8(sample.path));
        EXPECT_TRUE(read(path).startsWith(sample.magic)) << sample.path;
    }
    const QImage picture(
        QDir(folder).filePath(QStringLiteral("mossfern-gallery/Misty Valley.png")));
    EXPECT_EQ(picture.size(), QSize(640, 400));
    const QImage photo(QDir(folder).filePath(QStringLiteral("saltmarsh-gallery/Reed Beds.jpg")));
    EXPECT_EQ(photo.size(), QSize(640, 400));

    const QImage window(shot);
    EXPECT_GT(window.width(), 400);
    EXPECT_GT(window.height(), 400);

    // The settings the program saved on exit still hold the demo's list, and
    // only their owner may read them (they may hold login cookies).
    const QString settings = QDir(folder).filePath(QStringLiteral("vorpl.dat"));
    const QByteArray saved = read(settings);
    EXPECT_TRUE(saved.startsWith("130\r\n"));
    EXPECT_TRUE(saved.contains("username=ghostvole\r\n"));
    EXPECT_TRUE(saved.contains("delay=5\r\n"));
    EXPECT_EQ(QFileInfo(settings).permissions() &
                  (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup |
                   QFileDevice::WriteOther),
              QFileDevice::Permissions());

    // A second Sync finds everything on disk and fetches nothing.
    const DemoRun again = runDemo(folder, shot);
    ASSERT_EQ(again.exitCode, 0) << qPrintable(again.log);
    EXPECT_FALSE(again.log.contains(QLatin1String("Saved as ")));
    EXPECT_TRUE(
        again.log.contains(QLatin1String("Skipping \"Salt & Pepper Hills\": Already exists")));
    EXPECT_EQ(downloads(folder), files);
}

TEST_F(DemoTest, KeepsASettingsFileThePersonChanged)
{
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile settings(QDir(folder).filePath(QStringLiteral("vorpl.dat")));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("130\r\nusername=kestrelink\r\ngetscraps=True\r\ndelay=5\r\n");
    settings.close();

    const DemoRun run = runDemo(folder, shot);
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.log);
    EXPECT_FALSE(run.log.contains(QLatin1String("mossfern")));
    EXPECT_EQ(downloads(folder).size(), 6); // kestrelink's gallery of five and one scrap
    EXPECT_TRUE(QFileInfo::exists(
        QDir(folder).filePath(QStringLiteral("kestrelink-scraps/Palette test.png"))));
}
