#include "TestEngine.h"

#include "naming/DownloadFolders.h"

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using E = TestEngine;
using F = GalleryFileHost::Fault;
constexpr int Id = 5000; // of bob's first submission

// Bob's gallery of these titles; his first page has from replaced by to.
void gallery(E &e, const QStringList &titles = {u"Piece"_s}, const char *from = "",
             const char *to = "", const QString &extension = u"png"_s)
{
    SimUser bob{u"bob"_s, {}, {}, {}};
    for (const QString &title : titles)
        bob.gallery.append(GalleryContent::make(e.nextId++, u"bob"_s, u"art"_s, extension, title,
                                                u"general"_s, 40000));
    e.content.addUser(bob);
    if (*from)
        e.pages->setRawReply(u"/gallery/bob/1"_s,
                             e.pages->reply(u"/gallery/bob/1"_s).replace(from, to));
}
const auto first = [](E &e) { return e.submission(u"bob"_s, u"gallery"_s, 0).filePath(); };
const QString Lost = u"red: Could not list page 1 of bob's gallery: "_s;

} // namespace

// A Get of bob's gallery from a hostile site, with a link at the temporary file: the log lines
// it must show ("|" between them, every "Saved as" among them), whether the job counts errors,
// and a line a second Get must show. Each file saved holds its submission's bytes.
TEST(HostileSite, NothingLostCorruptedOrEndless)
{
    const QString outside = QDir::temp().filePath(u"vorpaline-outside-%1"_s.arg(getpid()));
    const QByteArray flood(3 << 20, 'x');
    const QString saved = u"green: Saved as Piece.png"_s;
    // clang-format off
    const std::tuple<const char *, std::function<void(E &)>, QString, bool, QString> rows[] = {
        {"link at the temporary file", [](E &e) { gallery(e); }, saved, false, {}},
        {"named like the temporary file", [](E &e) {
             gallery(e, {u"downloading"_s}, ".art.dat.png", ".art.dat", u"dat"_s); // no thumbnail
             e.settings.folderLayout = 2; }, // the save folder, here the program's folder
         u"green: Saved as downloading (2).dat"_s, false, u"green: Skipping \"downloading\": Already exists"_s},
        {"one title twice", [](E &e) { gallery(e, {u"Sketch"_s, u"Sketch?"_s}); },
         u"green: Saved as Sketch.png|green: Saved as Sketch (2).png"_s, false, u"green: Skipping \"Sketch?\": Already exists"_s},
        {"a folder and a dangling link at the names", [](E &e) { gallery(e), QDir().mkpath(e.path(u"bob-gallery/Piece.png"_s)), QFile::link(u"gone"_s, e.path(u"bob-gallery/Piece (2).png"_s)); },
         u"black: Piece.png is taken: saving as Piece (3).png|green: Saved as Piece (3).png"_s, false, u"green: Skipping \"Piece\": Already exists"_s},
        {"title that leaves nothing", [](E &e) { gallery(e, {u"???"_s}); }, u"green: Saved as %1.bob.art.png"_s.arg(Id), false, {}},
        {"chunked file, its framing not counted", [](E &e) { gallery(e), e.files->setFault(first(e), F::Chunked), e.files->setPieceSize(333), e.settings.maxSize = u"0.0382"_s; },
         saved + u"|green: Succesfully retrieved 1 submissions."_s, false, {}},
        {"chunked file, its coding folded", [](E &e) { gallery(e), e.files->setFault(first(e), F::Chunked), e.files->setCodingField("Transfer-Encoding:\r\n chunked"); }, saved, false, {}},
        {"compressed file", [](E &e) { gallery(e), e.files->setFault(first(e), F::Gzipped); },
         u"red: GS sent /art/bob/%1.bob.art.png in the gzip coding: not stored."_s.arg(Id), true, {}},
        {"chunked page", [](E &e) { gallery(e), e.pages->setChunked(true), e.pages->setPieceSize(77); }, saved, false, {}},
        {"compressed page", [](E &e) { gallery(e), e.pages->setContentCoding("gzip"); },
         Lost + u"the page came in the gzip coding, which is not read"_s, true, {}},
        {"compressed page, its coding folded", [](E &e) { gallery(e), e.pages->setContentCoding("\r\n\tgzip"); },
         Lost + u"the page came in the gzip coding, which is not read"_s, true, {}},
        {"unreadable entry", [](E &e) { gallery(e, {u"Piece"_s}, "<div class=\"gallery\">", "<a href=\"/view/9/\">"); },
         saved + u"|red: Skipping an unreadable entry on page 1.|red: Retrieved only 1 submissions, see the log for errors."_s, true, {}},
        {"address with a line break", [](E &e) { gallery(e, {u"Piece"_s}, ".200.thumbnail.png", ".png\nX-Injected: 1"); },
         u"red: Skipping \"Piece\": Its address holds a line break or control character|green: No submissions to download."_s, true, {}},
        {"trickling file", [](E &e) { gallery(e), e.files->setPieceSize(1), e.files->setPieceDelayMs(20); },
         u"red: Timed out, trying again.|red: Could not retrieve %1.bob.art.png (timed out below 1024 bytes a second), giving up after 2 attempts."_s.arg(Id), true, {}},
        {"steady file above the floor", [](E &e) { gallery(e), e.files->setPieceSize(800), e.files->setPieceDelayMs(20); }, saved, false, {}},
        {"trickling page", [](E &e) { gallery(e), e.pages->setPieceSize(20), e.pages->setPieceDelayMs(100); },
         u"red: List socket timed out.|"_s + Lost + u"it arrived at less than 1024 bytes a second"_s, true, {}},
        {"page without end", [&](E &e) { gallery(e, {u"Piece"_s}, "<html", flood.constData()); },
         Lost + u"the page is larger than 1048576 bytes"_s, true, {}},
    };
    // clang-format on
    for (const auto &[what, setup, lines, errors, again] : rows) {
        SCOPED_TRACE(what);
        TestEngine engine;
        engine.nextId = Id;
        engine.timeouts.lowSpeedWindowMs = 400;
        engine.timeouts.pageBytes = 1 << 20;
        engine.timeouts.fileAttempts = 2;
        engine.timeouts.listRetries = 1;
        engine.start();
        setup(engine);
        QFile::link(outside, engine.path(u"downloading.dat"_s));
        engine.run([&] { engine.get(u"bob"_s, true); }); // fails after 30 s
        const QStringList log = engine.colouredLines();
        for (const QString &line : lines.split(u'|'))
            EXPECT_TRUE(log.contains(line)) << (line + u"\n"_s + log.join(u"\n"_s)).toStdString();
        const QStringList stored = log.filter(u"green: Saved as "_s);
        EXPECT_EQ(stored.size(), lines.count(u"Saved as"_s));
        const QDir folder(MakeDLFolder(engine.settings.answers(), u"bob"_s, u"gallery"_s, false));
        for (qsizetype k = 0; k < stored.size(); ++k)
            EXPECT_EQ(readFile(folder.filePath(stored[k].mid(16))),
                      engine.submission(u"bob"_s, u"gallery"_s, int(k)).body);
        EXPECT_EQ(engine.jobErrors, errors);
        EXPECT_FALSE(QFileInfo::exists(outside)) << "written through a link";
        if (!again.isEmpty()) {
            engine.run([&] { engine.get(u"bob"_s, true); });
            EXPECT_TRUE(engine.colouredLines().mid(log.size()).contains(again));
        }
    }
}
