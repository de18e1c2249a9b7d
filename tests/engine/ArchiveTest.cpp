#include "TestEngine.h"

#include "archive/DownloadArchive.h"

#include <QCryptographicHash>
#include <QSignalSpy>

using namespace Qt::StringLiterals;

// Each stored file has its row as soon as control is back in the event loop,
// a page without a rating included; the skip of archived submissions logs its
// own line; a file found on disk is read a piece a turn, closing never waits.
TEST(Archive, StoredFilesAreRecordedAtOnce)
{
    TestEngine engine;
    engine.addUser(u"alice"_s, 2);
    SimUser alice = *engine.content.user(u"alice"_s);
    alice.gallery[1].rating.clear();
    engine.content.addUser(alice);
    engine.start();
    engine.run([&] { engine.get(u"alice"_s, true); });
    QCoreApplication::processEvents();

    DownloadArchive archive(engine.path(ArchiveFileName));
    QString notice;
    QStringList rows, expected;
    ASSERT_TRUE(archive.open(DownloadArchive::Mode::ReadOnly, &notice));
    archive.forEachRow([&](const ArchiveRow &row) {
        rows << u"%1 %2 %3 %4"_s.arg(row.id).arg(row.rating, row.sha256).arg(row.size);
    });
    for (const SimSubmission &sub : alice.gallery)
        expected << u"%1 %2 %3 %4"_s.arg(sub.id)
                        .arg(sub.rating,
                             QCryptographicHash::hash(sub.body, QCryptographicHash::Sha256).toHex())
                        .arg(sub.body.size());
    EXPECT_EQ(rows, expected);
    QFile::remove(engine.path(u"alice-gallery/Gallery piece 1.png"_s));
    engine.settings.skipArchived = true;
    engine.run([&] { engine.get(u"alice"_s, true); });
    EXPECT_TRUE(
        engine.colouredLines().contains(green(u"Skipping \"Gallery piece 1\": In the archive"_s)));
    writeFile(engine.path(u"found.png"_s), QByteArray(3 << 20, 'f'));
    for (const bool wait : {false, true}) {
        const QString file = engine.path(u"%1.sqlite"_s.arg(wait));
        auto other = std::make_unique<DownloadArchive>(file);
        other->open(DownloadArchive::Mode::ReadWrite, &notice);
        other->recordExisting({7, {}, {}, {}, {}, {}, engine.path(u"found.png"_s)});
        EXPECT_TRUE(!wait || QSignalSpy(other.get(), &DownloadArchive::readingDone).wait(10000));
        other = std::make_unique<DownloadArchive>(file);
        other->open(DownloadArchive::Mode::ReadOnly, &notice);
        EXPECT_EQ(other->contains(7), wait);
    }
}
