#include "TestEngine.h"

#include "archive/DownloadArchive.h"

#include <QCryptographicHash>

using namespace Qt::StringLiterals;

// Then each stored file has its row, readable as soon as control is back in
// the event loop, and the skip of archived submissions logs its own line.
TEST(Archive, ADamagedArchiveIsMovedAsideAndTheJobGoesOn)
{
    TestEngine engine;
    engine.addUser(u"alice"_s, 2);
    const QByteArray garbage(8192, 'x');
    writeFile(engine.path(ArchiveFileName), garbage);
    engine.start();
    engine.run([&] { engine.get(u"alice"_s, true); });
    EXPECT_FALSE(engine.jobErrors);
    const QStringList red = engine.colouredLines().filter(u"red: "_s);
    ASSERT_EQ(red.size(), 1);
    EXPECT_TRUE(red.first().contains(u"was damaged"_s)) << red.first().toStdString();
    const QStringList aside = QDir(engine.path({})).entryList({ArchiveFileName + u".damaged-*"_s});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readFile(engine.path(aside.first())), garbage);

    QCoreApplication::processEvents();
    DownloadArchive archive(engine.path(ArchiveFileName));
    QString notice;
    QStringList paths;
    ASSERT_TRUE(archive.open(DownloadArchive::Mode::ReadOnly, &notice));
    archive.forEachRow([&](const ArchiveRow &row) {
        paths.append(row.path);
        const QByteArray bytes = readFile(row.path);
        EXPECT_EQ(row.sha256, QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    });
    EXPECT_EQ(paths.size(), 2);
    QFile::remove(paths.value(0));
    engine.settings.skipArchived = true;
    engine.run([&] { engine.get(u"alice"_s, true); });
    EXPECT_TRUE(engine.colouredLines().contains(
        green(u"Skipping \"%1\": In the archive"_s.arg(QFileInfo(paths.value(0)).baseName()))));
}
