#include "TestEngine.h"

#include "download/Downloader.h"
#include "naming/UserNames.h"
#include "windows/ReportTexts.h"

using namespace Qt::StringLiterals;
using Fault = GalleryFileHost::Fault;

namespace {

// Bob's gallery of one submission, fetched by whole jobs against the simulated site.
class Hardening : public ::testing::Test
{
public:
    TestEngine engine;

    void SetUp() override
    {
        engine.timeouts.replyMs = 1000;
        engine.timeouts.fileAttempts = 2;
        engine.addUser(u"bob"_s, 1);
        engine.start();
    }
    Downloader &downloader() { return engine.session->downloader(); }
    QString filePath() { return engine.submission(u"bob"_s, u"gallery"_s, 0).filePath(); }
    QString saved() { return engine.path(u"bob-gallery/Gallery piece 1.png"_s); }
    // A Get of bob's gallery to its end; the log lines it added.
    QStringList get()
    {
        const int first = engine.log().lineCount();
        engine.run([this] { engine.get(u"bob"_s, true); });
        return engine.colouredLines().mid(first);
    }
};

} // namespace

// Replies whose size is unknown, untrue or empty: the limit still holds, and
// what is stored is whole or nothing.
TEST_F(Hardening, RepliesOfUnknownUntrueOrNoSize)
{
    struct Row
    {
        const char *what;
        Fault fault;
        QByteArray claimed; // Content-Length as sent, for ClaimedLength
        qint64 size;
        QString limit, line; // line: the start of a line the job logs
        bool stored;
        int requests;
    };
    const QString name = filePath().section(u'/', -1);
    const QString skip = black("Filesize ("), lost = red("Data socket disconnected. Retry..."),
                  empty = red("Could not retrieve " + name +
                              " (empty reply), giving up after 2 attempts.");
    const qint64 big = 3000000;
    // clang-format off
    const QList<Row> rows = {
        {"no size, over the limit",   Fault::NoContentLength, {},                     big,  u"1"_s, skip, false, 1},
        {"unreadable size",           Fault::ClaimedLength,   "99999999999999999999", big,  u"1"_s, skip, false, 1},
        {"negative size",             Fault::ClaimedLength,   "-1",                   big,  u"1"_s, skip, false, 1},
        {"negative size, no limit",   Fault::ClaimedLength,   "-1",                   big,  {}, green("Saved as "), true, 1},
        {"over 2 GB",                 Fault::ClaimedLength,   "3000000000",           1000, u"1"_s, black("Filesize (2861"), false, 1},
        {"exactly a limit past 2^53", Fault::ClaimedLength,   "9007199254740993",     1000, u"8589934592.000000954"_s, lost, false, 2},
        {"a close before the header", Fault::CloseAtOnce,     {},                     1000, {}, lost,  false, 2},
        {"a close in the header",     Fault::CloseMidHeader,  {},                     1000, {}, lost,  false, 2},
        {"Content-Length 0",          Fault::None,            {},                     0,    {}, empty, false, 2},
        {"a close before any byte",   Fault::NoContentLength, {},                     0,    {}, empty, false, 2},
    };
    // clang-format on
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        QFile::remove(saved());
        QFile::remove(downloader().temporaryFilePath());
        engine.files->addGeneratedFile(filePath(), row.size);
        engine.files->setFault(filePath(), row.fault);
        engine.files->setClaimedLength(row.claimed);
        engine.settings.maxSize = row.limit;
        const qsizetype before = engine.files->requests().size();
        const QStringList lines = get();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString &line) {
            return line.startsWith(row.line);
        })) << lines.join(u'\n').toStdString();
        QByteArray body(row.size, Qt::Uninitialized);
        GalleryFileHost::generateBytes(0, body.data(), row.size);
        EXPECT_EQ(readFile(saved()), row.stored ? body : QByteArray("<missing>"));
        // A transfer dropped for its size takes what it had written with it.
        EXPECT_FALSE(row.line == skip && QFile::exists(downloader().temporaryFilePath()));
        EXPECT_EQ(engine.files->requests().size() - before, row.requests);
    }
}

// A user name that would place files outside the download folders is never used.
TEST_F(Hardening, UserNamesThatLeaveTheDownloadFolders)
{
    engine.get(u"../Bob"_s, true);
    ASSERT_FALSE(engine.prompts.shown.isEmpty());
    const ScriptedPrompts::Shown &refusal = engine.prompts.shown.last();
    EXPECT_EQ(std::tuple(refusal.icon, refusal.title, refusal.text),
              std::tuple(Prompts::Icon::Exclamation, ProductName, userNameProblem(u"../bob"_s)));
    EXPECT_TRUE(engine.pages->requests().isEmpty());

    // A Sync leaves such listed users out with a red line and goes on.
    JobState &state = engine.state();
    state.Users[0].Name = u".."_s;
    state.Users[1].Name = u"bob"_s;
    state.Users[2].Name = u"a/b"_s;
    state.UserCount = 3;
    engine.run([this] { engine.session->Sync(); });
    const QStringList lines = engine.colouredLines();
    EXPECT_EQ(lines.first(), red("Skipping user \"..\": " + userNameProblem(u".."_s)));
    EXPECT_TRUE(lines.contains(red("Skipping user \"a/b\": " + userNameProblem(u"a/b"_s))));
    EXPECT_EQ(lines.last(), green("Synching done."));
    EXPECT_EQ(engine.pages->requestPaths(), (QStringList{"/gallery/bob/1", "/gallery/bob/2"}));
    EXPECT_EQ(readFile(saved()), engine.submission(u"bob"_s, u"gallery"_s, 0).body);
}

// An address that still holds a line break after the rewriting is never requested.
TEST_F(Hardening, AddressWithALineBreakIsSkipped)
{
    QByteArray page = engine.pages->reply(u"/gallery/bob/1"_s);
    page.replace(".200.thumbnail.png", ".200.thumbnail.png\nX-Injected: 1");
    engine.pages->setRawReply(u"/gallery/bob/1"_s, page);
    const QStringList lines = get();
    EXPECT_TRUE(lines.contains(red("Skipping \"Gallery piece 1\": Its address holds a line break "
                                   "or control character")));
    EXPECT_EQ(lines.last(), green("No submissions to download."));
    EXPECT_TRUE(engine.files->requests().isEmpty());
}

// A file where the folder should be: reported, nothing fetched, the file
// untouched, and the job goes on with the next folder.
TEST_F(Hardening, AFileWhereTheFolderShouldBe)
{
    ASSERT_TRUE(writeFile(engine.path(u"bob-gallery"_s), "mine"));
    engine.run([this] { engine.get(u"bob"_s, true, false, true); });
    EXPECT_TRUE(engine.colouredLines().contains(black("Found 1 submissions on 1 page(s).")));
    EXPECT_EQ(engine.lines().mid(engine.lines().indexOf(u"Listing bob's favorites..."_s)),
              (QStringList{u"Listing bob's favorites..."_s, u"No submissions to download."_s}));
    ASSERT_EQ(engine.errorReports().size(), 1);
    EXPECT_TRUE(engine.errorReports()[0].startsWith(
        u"Could not create the download folder for bob's gallery: "_s));
    EXPECT_TRUE(engine.files->requests().isEmpty());
    EXPECT_EQ(readFile(engine.path(u"bob-gallery"_s)), "mine");
}
