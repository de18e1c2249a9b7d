#include "TestEngine.h"

#include "archive/DownloadArchive.h"

#include <QCryptographicHash>

using namespace Qt::StringLiterals;

namespace {

QString sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// The rows another reader sees once the session's open transaction has committed.
QHash<qint64, ArchiveRow> archiveRows(const TestEngine &engine)
{
    QCoreApplication::processEvents();
    DownloadArchive archive(engine.path(ArchiveFileName));
    QString notice;
    QHash<qint64, ArchiveRow> rows;
    if (archive.open(DownloadArchive::Mode::ReadOnly, &notice))
        archive.forEachRow([&](const ArchiveRow &row) { rows.insert(row.id, row); });
    return rows;
}

const QString Gallery = u"alice-gallery/"_s;

} // namespace

TEST(Archive, RecordsStoredFilesAndFillsItselfFromFilesOnDisk)
{
    TestEngine engine;
    engine.addUser(u"alice"_s, 5);
    engine.content.addUser([&] {
        SimUser user = *engine.content.user(u"alice"_s);
        user.gallery[1].rating = u"adult"_s;
        return user;
    }());
    engine.start();
    engine.run([&] { engine.get(u"alice"_s, true); });
    const QHash<qint64, ArchiveRow> rows = archiveRows(engine);
    ASSERT_EQ(rows.size(), 5);
    for (int i = 0; i < 5; ++i) {
        const SimSubmission &sub = engine.submission(u"alice"_s, u"gallery"_s, i);
        SCOPED_TRACE(i);
        const ArchiveRow row = rows.value(sub.id);
        EXPECT_EQ(std::tuple(row.user, row.folder, row.rating, row.title, row.url),
                  std::tuple(u"alice"_s, u"gallery"_s, sub.rating, u"Gallery piece %1"_s.arg(i + 1),
                             u"http://"_s + TestHosts::File + sub.filePath()));
        EXPECT_EQ(row.path, engine.path(Gallery + row.title + u".png"_s));
        EXPECT_EQ(readFile(row.path), sub.body);
        EXPECT_EQ(std::pair(row.size, row.sha256),
                  std::pair(qint64(sub.body.size()), sha256(sub.body)));
        EXPECT_LE(qAbs(row.stored.secsTo(QDateTime::currentDateTimeUtc())), 60);
    }

    // A collection made before the archive: every file is recorded, none fetched.
    engine.session.reset();
    for (const QString &file : QDir(engine.path({})).entryList({ArchiveFileName + u"*"_s}))
        QFile::remove(engine.path(file));
    const qsizetype fetched = engine.files->requests().size();
    engine.start();
    engine.run([&] { engine.get(u"alice"_s, true); });
    EXPECT_EQ(engine.files->requests().size(), fetched);
    QHash<qint64, ArchiveRow> found = archiveRows(engine);
    ASSERT_EQ(found.size(), 5);
    for (const ArchiveRow &row : rows)
        EXPECT_EQ(std::tuple(found[row.id].path, found[row.id].sha256, found[row.id].size,
                             found[row.id].rating),
                  std::tuple(row.path, row.sha256, row.size, row.rating));

    // A file the archive knows is not read again.
    writeFile(rows.begin()->path, "changed");
    engine.run([&] { engine.get(u"alice"_s, true); });
    EXPECT_EQ(archiveRows(engine)[rows.begin()->id].sha256, rows.begin()->sha256);
}

// Nine submissions on three pages of four, all fetched once; then a second Get
// with the switches, the first file deleted or a new one on top.
TEST(Archive, SkipAndQuickSyncOverAKnownGallery)
{
    const QString quickLine = u"Quick sync: page %1 of alice's gallery holds nothing new: its "
                              u"later pages are not listed."_s;
    struct Case
    {
        bool skip, quick, newOnTop;
        int pages, fetched;
        QString line;
    };
    // clang-format off
    const Case cases[] = {
        {false, false, false, 4, 1, green(u"Saved as Gallery piece 1.png"_s)},
        {true, false, false, 4, 0, green(u"Skipping \"Gallery piece 1\": In the archive"_s)},
        {false, true, false, 1, 1, black(quickLine.arg(1))},
        {true, true, false, 1, 0, black(quickLine.arg(1))},
        {false, true, true, 2, 2, black(quickLine.arg(2))},
        {true, false, true, 4, 1, green(u"Saved as New piece.png"_s)},
    };
    // clang-format on
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        TestEngine engine;
        engine.addUser(u"alice"_s, 9);
        engine.start();
        engine.run([&] { engine.get(u"alice"_s, true); });
        ASSERT_EQ(engine.savedIn(Gallery), 9);
        const qsizetype pages = engine.pages->requests().size();
        const qsizetype fetched = engine.files->requests().size();
        QFile::remove(engine.path(Gallery + u"Gallery piece 1.png"_s));
        if (c.newOnTop)
            engine.content.addUser([&] {
                SimUser user = *engine.content.user(u"alice"_s);
                user.gallery.prepend(
                    GalleryContent::make(50, u"alice"_s, u"new"_s, u"png"_s, u"New piece"_s));
                return user;
            }());
        engine.settings.skipArchived = c.skip;
        engine.settings.quickSync = c.quick;
        engine.run([&] { engine.get(u"alice"_s, true); });
        EXPECT_EQ(engine.pages->requests().size() - pages, c.pages);
        EXPECT_EQ(engine.files->requests().size() - fetched, c.fetched);
        EXPECT_TRUE(engine.colouredLines().contains(c.line))
            << engine.lines().join(u'\n').toStdString();
        EXPECT_FALSE(engine.jobErrors);
    }
}

TEST(Archive, ADamagedArchiveIsMovedAsideAndTheJobGoesOn)
{
    TestEngine engine;
    engine.addUser(u"alice"_s, 1);
    const QByteArray garbage(8192, 'x');
    writeFile(engine.path(ArchiveFileName), garbage);
    engine.start();
    engine.run([&] { engine.get(u"alice"_s, true); });
    EXPECT_FALSE(engine.jobErrors);
    EXPECT_EQ(engine.savedIn(Gallery), 1);
    const QStringList red = engine.colouredLines().filter(u"red: "_s);
    ASSERT_EQ(red.size(), 1);
    EXPECT_TRUE(red.first().contains(u"was damaged"_s)) << red.first().toStdString();
    const QStringList aside = QDir(engine.path({})).entryList({ArchiveFileName + u".damaged-*"_s});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readFile(engine.path(aside.first())), garbage);
    EXPECT_EQ(archiveRows(engine).size(), 1);
}
