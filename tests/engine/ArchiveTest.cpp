#include "TestEngine.h"

#include "archive/DownloadArchive.h"

#include <QCryptographicHash>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// "number size checksum" of each row, as another reader sees them.
QStringList rowsOf(const QString &path)
{
    DownloadArchive archive(path);
    QString notice;
    QStringList rows;
    if (archive.open(DownloadArchive::Mode::ReadOnly, &notice))
        archive.forEachRow([&](const ArchiveRow &row) {
            rows << u"%1 %2 %3"_s.arg(row.id).arg(row.size).arg(row.sha256);
        });
    return rows;
}

QString rowOf(qint64 id, const QByteArray &bytes)
{
    return u"%1 %2 "_s.arg(id).arg(bytes.size()) +
           QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

} // namespace

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
    QStringList expected;
    for (int i : {0, 1}) {
        const SimSubmission &sub = engine.submission(u"alice"_s, u"gallery"_s, i);
        expected << rowOf(sub.id, sub.body);
    }
    EXPECT_EQ(rowsOf(engine.path(ArchiveFileName)), expected);
    QFile::remove(engine.path(u"alice-gallery/Gallery piece 1.png"_s));
    engine.settings.skipArchived = true;
    engine.run([&] { engine.get(u"alice"_s, true); });
    EXPECT_TRUE(
        engine.colouredLines().contains(green(u"Skipping \"Gallery piece 1\": In the archive"_s)));
}

// Files found on disk are read later, a piece at a time, and what is left when
// the archive closes then; by that time one may have become a FIFO. A page
// may give no rating or title.
TEST(Archive, OnlyRegularFilesFoundOnDiskAreRead)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(u"fifo"_s), file = dir.filePath(u"file"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QByteArray bytes(3 << 20, 'b'); // three pieces and an empty one
    writeFile(file, bytes);
    {
        DownloadArchive archive(dir.filePath(ArchiveFileName));
        QString notice;
        ASSERT_TRUE(archive.open(DownloadArchive::Mode::ReadWrite, &notice));
        archive.recordExisting(ArchiveRow{1, {}, {}, {}, {}, {}, fifo});
        archive.recordExisting(ArchiveRow{2, {}, {}, {}, {}, {}, file});
    }
    EXPECT_EQ(rowsOf(dir.filePath(ArchiveFileName)), QStringList{rowOf(2, bytes)});
}
