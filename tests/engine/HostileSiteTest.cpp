#include "TestEngine.h"

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int FirstId = 5000;

// Bob's gallery of the given titles (.png unless told), fetched by one Get.
void gallery(TestEngine &engine, const QStringList &titles, const QString &extension = u"png"_s)
{
    SimUser bob;
    bob.name = u"bob"_s;
    for (const QString &title : titles)
        bob.gallery.append(GalleryContent::make(engine.nextId++, u"bob"_s, u"art"_s, extension,
                                                title, u"general"_s, 3000));
    engine.content.addUser(bob);
}

// A Get of bob's gallery against a site set up by setup: the log lines that
// must be there, the files stored (path relative to the program folder, and
// the index of the submission whose bytes it must hold; -1 for none), whether
// the job counts errors, and the lines a second Get must show.
struct HostileCase
{
    const char *what;
    std::function<void(TestEngine &)> setup;
    QStringList lines;
    QList<std::pair<QString, int>> files;
    bool errors;
    QStringList again = {};
};

const QString Piece = u"bob-gallery/Piece.png"_s;
const QString Saved = u"Saved as Piece.png"_s;
const QString Partial = u"Retrieved only 1 submissions, see the log for errors."_s;

QString pathOf(TestEngine &engine, int index)
{
    return engine.submission(u"bob"_s, u"gallery"_s, index).filePath();
}

} // namespace

TEST(HostileSite, RepliesAndNamesThatWouldLoseOrCorruptFiles)
{
    const QString outside = QDir::temp().filePath(u"vorpaline-outside-%1"_s.arg(getpid()));
    const HostileCase cases[] = {
        {"a dangling link at the temporary file",
         [&](TestEngine &e) {
             gallery(e, {u"Piece"_s});
             QFile::link(outside, e.path(u"downloading.dat"_s));
         },
         {green(Saved)},
         {{Piece, 0}},
         false},
        {"a submission named like the temporary file",
         [](TestEngine &e) {
             gallery(e, {u"downloading"_s}, u"dat"_s);
             QByteArray page = e.pages->reply(u"/gallery/bob/1"_s);
             page.replace(".art.dat.png", ".art.dat"); // no thumbnail for this type
             e.pages->setRawReply(u"/gallery/bob/1"_s, page);
             e.settings.folderLayout = 2; // the save folder itself: the program's folder
         },
         {green(u"Saved as downloading (2).dat"_s)},
         {{u"downloading (2).dat"_s, 0}},
         false,
         {green(u"Skipping \"downloading\": Already exists"_s)}},
        {"two submissions of one title",
         [](TestEngine &e) {
             gallery(e, {u"Sketch"_s, u"Sketch?"_s, u"Sketch"_s});
         },
         {green(u"Saved as Sketch.png"_s), green(u"Saved as Sketch (2).png"_s),
          green(u"Saved as Sketch (3).png"_s)},
         {{u"bob-gallery/Sketch.png"_s, 0},
          {u"bob-gallery/Sketch (2).png"_s, 1},
          {u"bob-gallery/Sketch (3).png"_s, 2}},
         false,
         {green(u"Skipping \"Sketch?\": Already exists"_s)}},
        {"a title that leaves nothing",
         [](TestEngine &e) { gallery(e, {u"???"_s}); },
         {green(u"Saved as %1.bob.art.png"_s.arg(FirstId))},
         {{u"bob-gallery/%1.bob.art.png"_s.arg(FirstId), 0}},
         false},
        {"a chunked file",
         [](TestEngine &e) {
             gallery(e, {u"Piece"_s});
             e.files->setFault(pathOf(e, 0), GalleryFileHost::Fault::Chunked);
             e.files->setPieceSize(333);
         },
         {green(Saved), green(u"Succesfully retrieved 1 submissions."_s)},
         {{Piece, 0}},
         false},
        {"a compressed file",
         [](TestEngine &e) {
             gallery(e, {u"Piece"_s});
             e.files->setFault(pathOf(e, 0), GalleryFileHost::Fault::Gzipped);
         },
         {red(u"GS sent %1 in the gzip coding: not stored."_s.arg(
              u"/art/bob/%1.bob.art.png"_s.arg(FirstId))),
          red(Partial)},
         {{Piece, -1}},
         true},
        {"a chunked page",
         [](TestEngine &e) {
             gallery(e, {u"Piece"_s});
             e.pages->setChunked(true);
             e.pages->setPieceSize(77);
         },
         {green(Saved)},
         {{Piece, 0}},
         false},
        {"a compressed page",
         [](TestEngine &e) {
             gallery(e, {u"Piece"_s});
             e.pages->setContentCoding("gzip");
         },
         {red(u"Could not list page 1 of bob's gallery: the page came in the gzip coding, "
              u"which is not read"_s)},
         {{Piece, -1}},
         true},
        {"an unreadable entry",
         [](TestEngine &e) {
             gallery(e, {u"Piece"_s});
             QByteArray page = e.pages->reply(u"/gallery/bob/1"_s);
             page.replace("<div class=\"gallery\">",
                          "<div class=\"gallery\"><a href=\"/view/9/\">");
             e.pages->setRawReply(u"/gallery/bob/1"_s, page);
         },
         {red(u"Skipping an unreadable entry on page 1."_s), green(Saved), red(Partial)},
         {{Piece, 0}},
         true},
        {"an address refused for a control character",
         [](TestEngine &e) {
             gallery(e, {u"Piece"_s});
             QByteArray page = e.pages->reply(u"/gallery/bob/1"_s);
             page.replace(".200.thumbnail.png", ".200.thumbnail.png\tx");
             e.pages->setRawReply(u"/gallery/bob/1"_s, page);
         },
         {green(u"No submissions to download."_s)},
         {{Piece, -1}},
         true},
    };
    for (const HostileCase &row : cases) {
        SCOPED_TRACE(row.what);
        TestEngine engine;
        engine.nextId = FirstId;
        engine.start();
        engine.settings.folderLayout = 1;
        row.setup(engine);
        engine.run([&] { engine.get(u"bob"_s, true); });
        const QStringList lines = engine.colouredLines();
        for (const QString &line : row.lines)
            EXPECT_TRUE(lines.contains(line))
                << (line + u"\n"_s + lines.join(u"\n"_s)).toStdString();
        for (const auto &[file, index] : row.files)
            EXPECT_EQ(readFile(engine.path(file)),
                      index < 0 ? QByteArray("<missing>")
                                : engine.submission(u"bob"_s, u"gallery"_s, index).body)
                << file.toStdString();
        EXPECT_EQ(engine.state().DownloadErrors, row.errors);
        EXPECT_FALSE(QFileInfo::exists(outside)) << "written through a link";
        if (row.again.isEmpty())
            continue;
        engine.run([&] { engine.get(u"bob"_s, true); });
        for (const QString &line : row.again)
            EXPECT_TRUE(engine.colouredLines().mid(lines.size()).contains(line))
                << line.toStdString();
    }
}

// Transfers that would hold a run for ever: each ends as a time-out or a lost
// page within the bounds, and a steady transfer above the floor is not cut.
TEST(HostileSite, TricklesAndEndlessPagesEndWithinBounds)
{
    const QString givenUp = u"Could not list page 1 of bob's gallery: "_s;
    const HostileCase cases[] = {
        {"a trickling file",
         [](TestEngine &e) {
             e.files->setPieceSize(1);
             e.files->setPieceDelayMs(20);
         },
         {red(u"Timed out, trying again."_s),
          red(u"Could not retrieve %1.bob.art.png (timed out below 1024 bytes a second), giving "
              u"up after 2 attempts."_s.arg(FirstId))},
         {{Piece, -1}},
         true},
        {"a steady file above the floor",
         [](TestEngine &e) {
             e.files->addGeneratedFile(pathOf(e, 0), 40000);
             e.files->setPieceSize(800);
             e.files->setPieceDelayMs(20);
         },
         {green(Saved)},
         {},
         false},
        {"a trickling page",
         [](TestEngine &e) {
             e.pages->setPieceSize(20);
             e.pages->setPieceDelayMs(100);
         },
         {red(u"List socket timed out."_s),
          red(givenUp + u"it arrived at less than 1024 bytes a second"_s)},
         {{Piece, -1}},
         true},
        {"a page without end",
         [](TestEngine &e) {
             e.pages->setRawReply(u"/gallery/bob/1"_s,
                                  "HTTP/1.1 200 OK\r\n\r\n" + QByteArray(3 << 20, 'x'));
         },
         {red(givenUp + u"the page is larger than 1048576 bytes"_s)},
         {{Piece, -1}},
         true},
    };
    for (const HostileCase &row : cases) {
        SCOPED_TRACE(row.what);
        TestEngine engine;
        engine.nextId = FirstId;
        engine.timeouts.lowSpeedWindowMs = 400;
        engine.timeouts.pageBytes = 1 << 20;
        engine.timeouts.fileAttempts = 2;
        engine.timeouts.listRetries = 1;
        engine.timeouts.listRetryMs = 10;
        engine.start();
        gallery(engine, {u"Piece"_s});
        row.setup(engine);
        QElapsedTimer clock;
        clock.start();
        engine.run([&] { engine.get(u"bob"_s, true); });
        EXPECT_LT(clock.elapsed(), 10000);
        const QStringList lines = engine.colouredLines();
        for (const QString &line : row.lines)
            EXPECT_TRUE(lines.contains(line))
                << (line + u"\n"_s + lines.join(u"\n"_s)).toStdString();
        for (const auto &[file, index] : row.files)
            EXPECT_FALSE(QFileInfo::exists(engine.path(file))) << file.toStdString();
        EXPECT_EQ(engine.state().DownloadErrors, row.errors);
    }
}
