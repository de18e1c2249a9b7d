#include "TestEngine.h"

#include "download/Downloader.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QLocale>

#include <ctime>
#include <optional>

using namespace Qt::StringLiterals;
using Fault = GalleryFileHost::Fault;

namespace {

QString partial(int count)
{
    return red(u"Retrieved only %1 submissions, see the log for errors."_s.arg(count));
}
// The figure is written with the user's decimal point.
QString skipLine(QString figure)
{
    return black("Filesize (" + figure.replace(u'.', QLocale().decimalPoint()) +
                 ") exceeds rule. Skipping.");
}
qsizetype countStarting(const QStringList &lines, const QString &prefix)
{
    return std::count_if(lines.begin(), lines.end(),
                         [&](const QString &line) { return line.startsWith(prefix); });
}

// The downloader on a queue filled by hand, against the simulated file host.
class DownloaderTest : public ::testing::Test
{
public:
    TestEngine engine;
    std::unique_ptr<OwnPart<Downloader>> own;
    ListedFolder listed;
    QString folder;
    int firstLine = 0;
    bool errors = false; // the last queue ended with errors

    void SetUp() override
    {
        engine.timeouts.replyMs = 1000;
        engine.timeouts.fileAttempts = 3;
    }
    void open()
    {
        engine.start();
        own = std::make_unique<OwnPart<Downloader>>(engine);
        folder = engine.path(u"bob"_s);
        QDir().mkpath(folder);
        engine.settings.noWaitMode = true;
    }
    Downloader &downloader() { return own->part; }
    GalleryFileHost &host() { return *engine.files; }

    // A file of bob's saved as title.ext.
    SimSubmission add(int id, const QString &title, int size, const QString &ext = u"png"_s,
                      std::optional<QByteArray> body = {})
    {
        if (!engine.pages)
            engine.listen(engine);
        SimSubmission submission =
            GalleryContent::make(id, u"bob"_s, u"s%1"_s.arg(id), ext, title, u"general"_s, size);
        if (body)
            submission.body = *body;
        SimUser user = engine.content.user(u"bob"_s) ? *engine.content.user(u"bob"_s) : SimUser{};
        user.name = u"bob"_s;
        user.gallery.append(submission);
        engine.content.addUser(user);
        return submission;
    }
    void queue(const QList<SimSubmission> &submissions)
    {
        listed = {u"bob"_s, u"gallery"_s, {}, int16_t(submissions.size()), folder};
        for (const SimSubmission &s : submissions)
            listed.SubmissionQueue.append(
                {"http://" + TestHosts::File + s.filePath(), s.titleMarkup, s.id});
    }
    void start()
    {
        firstLine = own->log.lineCount();
        downloader().retrieveFolder(listed, false);
    }
    // Starts the queue and waits until the downloader reports it used up.
    bool run()
    {
        QSignalSpy finished(&downloader(), &Downloader::queueFinished);
        start();
        const bool ended = finished.size() > 0 || finished.wait(30000);
        errors = ended && finished.last().at(0).toBool();
        return ended;
    }
    QStringList lines() { return own->colouredLines().mid(firstLine); }
    QString saved(const QString &name) const { return QDir(folder).filePath(name); }
    QStringList savedNames() const { return QDir(folder).entryList(QDir::Files | QDir::Hidden); }
    static QString retrieving(const SimSubmission &s, int number, int count)
    {
        return black(u"Retrieving %1 (%2/%3)..."_s.arg(s.filePath().section(u'/', -1))
                         .arg(number)
                         .arg(count));
    }
};

} // namespace

// A file that appeared at a name since the listing stays as it is; a large file
// arrives in many chunks.
TEST_F(DownloaderTest, QueueIsSavedFileByFile)
{
    const SimSubmission a = add(1, u"Alpha"_s, 1000), b = add(2, u"Tom & Jerry"_s, 1),
                        c = add(3, u"Gamma"_s, 300000, u"txt"_s);
    host().setPieceSize(7000);
    open();
    ASSERT_TRUE(writeFile(saved("Alpha.png"), "earlier"));
    queue({a, b, c});
    QStringList captions; // while each file arrives
    QObject::connect(&own->log, &EventLog::lineAdded, [&](const QString &text) {
        if (text.startsWith(u"Saved"_s))
            captions << engine.display.caption;
    });
    ASSERT_TRUE(run());
    EXPECT_EQ(captions, (QStringList{u"Vorpaline 1.38b: bob's gallery (33%)"_s,
                                     u"Vorpaline 1.38b: bob's gallery (66%)"_s,
                                     u"Vorpaline 1.38b: bob's gallery (100%)"_s}));
    EXPECT_EQ(
        lines(),
        (QStringList{retrieving(a, 1, 3), black("Alpha.png is taken: saving as Alpha (2).png"),
                     green("Saved as Alpha (2).png"), retrieving(b, 2, 3),
                     green("Saved as Tom & Jerry.png"), retrieving(c, 3, 3),
                     green("Saved as Gamma.txt"), green("Succesfully retrieved 3 submissions.")}));
    EXPECT_EQ(engine.display.caption, u"Vorpaline 1.38b: bob's gallery done OK"_s);
    EXPECT_EQ(savedNames(),
              (QStringList{"Alpha (2).png", "Alpha.png", "Gamma.txt", "Tom & Jerry.png"}));
    for (const auto &[name, body] :
         {std::pair{"Alpha (2).png", a.body}, {"Tom & Jerry.png", b.body}, {"Gamma.txt", c.body}})
        EXPECT_EQ(readFile(saved(name)), body) << name;
    EXPECT_EQ(readFile(saved("Alpha.png")), "earlier");
    EXPECT_EQ(host().connectionCount(), 3);
}

TEST_F(DownloaderTest, ErrorRepliesAreNeverSaved)
{
    const SimSubmission a = add(1, u"Alpha"_s, 100), b = add(2, u"Beta"_s, 100),
                        c = add(3, u"Gamma"_s, 100), d = add(4, u"Delta"_s, 100),
                        e = add(5, u"Epsilon"_s, 100);
    host().setFault(a.filePath(), Fault::TooManyRequests, 2);
    host().setFault(b.filePath(), Fault::Unavailable);
    host().setNotFoundReason("NOT FOUND"); // any letter case
    host().setFault(c.filePath(), Fault::NotFound);
    host().setFault(d.filePath(), Fault::BadRequest);
    host().setFault(e.filePath(), Fault::Forbidden);
    open();
    queue({a, b, c, d, e});
    ASSERT_TRUE(run());

    const QString busy = "GS said 429 too many requests on " + a.filePath();
    const QString down = "GS said 503 service unavailable on " + b.filePath();
    QStringList expected;
    for (int attempt = 0; attempt < 2; ++attempt)
        expected << retrieving(a, 1, 5) << red(busy);
    expected << retrieving(a, 1, 5) << green("Saved as Alpha.png");
    for (int attempt = 0; attempt < 3; ++attempt)
        expected << retrieving(b, 2, 5) << red(down);
    expected << red("Could not retrieve " + b.filePath().section(u'/', -1) + " (" + down +
                    "), giving up after 3 attempts.")
             << retrieving(c, 3, 5) << red("GS said 404 not found on " + c.filePath())
             << retrieving(d, 4, 5) << red("GS said 400 bad request on " + d.filePath())
             << retrieving(e, 5, 5) << red("GS said 403 forbidden on " + e.filePath())
             << partial(5);
    EXPECT_EQ(lines(), expected);
    EXPECT_EQ(engine.display.caption, u"Vorpaline 1.38b: bob's gallery done with errors"_s);
    EXPECT_TRUE(errors);
    EXPECT_EQ(savedNames(), QStringList{"Alpha.png"});
    EXPECT_EQ(host().requests().size(), 3 + 3 + 3); // refusals are not retried
}

// A header over several chunks; bodies without a size, read until the host
// closes, after a sized one (no size carries over); pieces slower in all than
// the reply watch, which restarts on every chunk. Another run sharing the
// temporary folder puts its own file at the temporary file's name meanwhile.
TEST_F(DownloaderTest, UnusualRepliesAreStillSavedWhole)
{
    const SimSubmission a = add(1, u"Alpha"_s, 5000), b = add(2, u"Beta"_s, 20000),
                        c = add(3, u"Gamma"_s, 3000);
    host().setFault(a.filePath(), Fault::SplitHeader);
    host().setFault(b.filePath(), Fault::NoContentLength);
    host().setFault(c.filePath(), Fault::NoContentLength);
    host().setPieceSize(1500);
    host().setPieceDelayMs(60);
    engine.timeouts.replyMs = 400;
    open();
    queue({a, b, c});
    QSignalSpy finished(&downloader(), &Downloader::queueFinished);
    start();
    const QString temporary = downloader().temporaryFilePath();
    ASSERT_TRUE(waitUntil([&] { return QFileInfo(temporary).size() > 0; }) &&
                QFile::remove(temporary) && writeFile(temporary, QByteArray(90000, 'z')));
    ASSERT_TRUE(finished.wait(30000) || finished.size() > 0);
    EXPECT_EQ(lines().last(), green("Succesfully retrieved 3 submissions."));
    for (const SimSubmission &s : {a, b, c})
        EXPECT_EQ(readFile(saved(s.titleMarkup + ".png")), s.body);
    EXPECT_EQ(host().requests().size(), 3);
}

TEST_F(DownloaderTest, LostConnectionsAreTriedAgain)
{
    // clang-format off
    const QList<std::pair<Fault, QString>> cases = {
        {Fault::NoReply, "Timed out, trying again."},
        {Fault::StallMidBody, "Timed out, trying again."},
        {Fault::NotHttp, "Unreadable reply on /art/bob/1.bob.s1.png. Retry..."},
    };
    // clang-format on
    const SimSubmission a = add(1, u"Alpha"_s, 40000);
    engine.timeouts.replyMs = 300;
    open();
    for (const auto &[fault, retryLine] : cases) {
        SCOPED_TRACE(int(fault));
        host().clearFaults();
        host().setFault(a.filePath(), fault, 1);
        QFile::remove(saved("Alpha.png"));
        const qsizetype requestsBefore = host().requests().size();
        queue({a});
        ASSERT_TRUE(run());
        EXPECT_TRUE(lines().contains(red(retryLine)));
        EXPECT_EQ(lines().last(), green("Succesfully retrieved 1 submissions."));
        EXPECT_EQ(readFile(saved("Alpha.png")), a.body);
        EXPECT_EQ(host().requests().size(), requestsBefore + 2);
    }
}

TEST_F(DownloaderTest, OverLongBodyIsNeverSaved)
{
    const SimSubmission a = add(1, u"Tom & Jerry"_s, 1000);
    host().setFault(a.filePath(), Fault::OverLongBody, 1);
    open();
    int nestedEvents = 0;
    engine.prompts.onErrorReport = [&](const ScriptedPrompts::Shown &) {
        QCoreApplication::processEvents(); // a modal report lets events through
        ++nestedEvents;
    };
    queue({a});
    ASSERT_TRUE(run());
    EXPECT_EQ(engine.errorReports(),
              QStringList{u"Received more data than expected:\r\nRight size: 1000. Got: "
                          u"1100\r\nTom & Jerry will certainly be screwed."_s});
    EXPECT_EQ(nestedEvents, 1);
    EXPECT_EQ(readFile(saved("Tom & Jerry.png")), a.body); // the second reply was right
    EXPECT_EQ(host().requests().size(), 2);
}

TEST_F(DownloaderTest, OversizedFilesAreSkipped)
{
    const SimSubmission exact = add(1, u"exact"_s, 1048576), over = add(2, u"over"_s, 1048577),
                        big = add(3, u"big"_s, 3670016);
    open();
    engine.settings.maxSize = u"1"_s; // exactly the first file's size
    queue({exact, over, big});
    ASSERT_TRUE(run());
    EXPECT_EQ(lines().filter(u"Filesize ("_s), (QStringList{skipLine("1"), skipLine("3.5")}));
    EXPECT_EQ(savedNames(), QStringList{"exact.png"});
    EXPECT_FALSE(errors); // a skip is no error
    EXPECT_EQ(readFile(saved("exact.png")), exact.body);

    // A size text inside the body, in a chunk of its own, runs the limit again.
    const QByteArray body =
        QByteArray(3000, 'a') + "Content-Length: 100000000\r\n" + QByteArray(3000, 'b');
    const SimSubmission sized = add(4, u"sized"_s, 0, u"png"_s, body);
    host().setPieceSize(2000);
    host().setPieceDelayMs(30);
    engine.settings.maxSize = u"10"_s;
    queue({sized});
    ASSERT_TRUE(run());
    EXPECT_TRUE(lines().contains(skipLine("95.37")));
    EXPECT_FALSE(QFile::exists(saved("sized.png")));
    // Without a limit the file is saved whole: the reply's own size completes it.
    engine.settings.maxSize.clear();
    queue({sized});
    ASSERT_TRUE(run());
    EXPECT_EQ(readFile(saved("sized.png")), body);
}

TEST_F(DownloaderTest, PauseBetweenFilesSleeps)
{
    const SimSubmission a = add(1, u"Alpha"_s, 100), b = add(2, u"Beta"_s, 100);
    open();
    engine.settings.noWaitMode = false;
    engine.settings.delay = 3;
    queue({a, b});

    QElapsedTimer clock;
    clock.start();
    QList<qint64> requestMs;
    QObject::connect(&host(), &GalleryFileHost::requestReceived,
                     [&] { requestMs << clock.elapsed(); });
    QStringList captions;
    QObject::connect(&downloader(), &Downloader::queueFinished, [&] { captions << "end"; });
    // The event loop sleeps until something happens, as the real one does; a
    // slow timer samples the caption.
    QEventLoop loop;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, &loop, [&] {
        const QString status = engine.display.status;
        if (status.startsWith(u"Waiting"_s) && (captions.isEmpty() || captions.last() != status))
            captions.append(status);
        if (captions.contains("end") || clock.elapsed() > 30000)
            loop.quit();
    });
    sampler.start(100);
    const std::clock_t cpuBefore = std::clock(); // processor time of the whole process
    start();
    loop.exec();
    const double cpu = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC,
                 elapsed = clock.elapsed() / 1000.0;

    ASSERT_EQ(requestMs.size(), 2);
    EXPECT_LT(requestMs[0], 2000); // at once
    EXPECT_GT(requestMs[1] - requestMs[0], 3000);
    EXPECT_TRUE(captions.contains(u"Waiting a bit (3s)"_s)) << captions.join(u',').toStdString();
    EXPECT_TRUE(captions.contains(u"Waiting a bit (1s)"_s)) << captions.join(u',').toStdString();
    EXPECT_FALSE(captions.contains(u"Waiting a bit (0s)"_s));
    // A loop that pumps events while it waits would keep a core busy.
    EXPECT_LT(cpu / elapsed, 0.25) << cpu << " s of processor time in " << elapsed << " s";
}

// An abort ends it too (a new job superseding one that pauses).
TEST_F(DownloaderTest, PauseEndsOnceItsSettingsNoLongerHoldIt)
{
    const SimSubmission a = add(1, u"Alpha"_s, 100);
    open();
    queue({a});
    ASSERT_TRUE(run()); // a file has ended: the next one waits
    engine.settings.noWaitMode = false;
    engine.settings.delay = 60;
    start();
    ASSERT_TRUE(downloader().isPausing());
    EXPECT_EQ(engine.display.status, u"Waiting a bit (60s)"_s);

    // The hidden no-wait mode ends the pause at once.
    engine.settings.noWaitMode = true;
    downloader().pauseSettingsChanged();
    EXPECT_FALSE(downloader().isPausing());
    ASSERT_TRUE(waitUntil([&] { return host().requests().size() == 2; }));

    // A shorter delay, already over, ends it too.
    ASSERT_TRUE(waitUntil([&] { return countStarting(lines(), green("Saved as ")) == 1; }));
    engine.settings.noWaitMode = false;
    downloader().retrieveFolder(listed, false);
    ASSERT_TRUE(downloader().isPausing());
    engine.settings.delay = 0;
    downloader().pauseSettingsChanged();
    EXPECT_FALSE(downloader().isPausing());
    ASSERT_TRUE(waitUntil([&] { return host().requests().size() == 3; }));

    // In the hidden no-wait mode none starts.
    ASSERT_TRUE(waitUntil([&] { return countStarting(lines(), green("Saved as ")) == 2; }));
    engine.settings.noWaitMode = true;
    downloader().retrieveFolder(listed, false);
    EXPECT_FALSE(downloader().isPausing() || engine.display.status.startsWith(u"Waiting"_s));
}

TEST_F(DownloaderTest, StorageFailuresMoveOnToTheNextFile)
{
    const SimSubmission a = add(1, QString(250, u'A'), 100);
    const SimSubmission b = add(2, u"Beta"_s, 100), c = add(3, u"Gamma"_s, 100);
    open();
    // A name too long for any path in so deep a folder: stored once as "Badfilename".
    while (folder.size() < 3950)
        folder += u'/' + QString(std::min<qsizetype>(200, 3950 - folder.size()), u'd');
    ASSERT_TRUE(QDir().mkpath(folder));
    queue({a, b});
    ASSERT_TRUE(run());
    EXPECT_TRUE(lines().contains(green("Saved as Badfilename")));
    EXPECT_EQ(readFile(saved("Badfilename")), a.body);
    EXPECT_FALSE(errors);

    // An earlier "Badfilename" is never replaced: a red line and the next file.
    QFile::remove(saved("Beta.png"));
    ASSERT_TRUE(writeFile(saved("Badfilename"), "earlier"));
    queue({a, b});
    ASSERT_TRUE(run());
    EXPECT_EQ(countStarting(lines(), red("Could not save ")), 1);
    EXPECT_EQ(readFile(saved("Badfilename")), "earlier");
    EXPECT_TRUE(lines().contains(green("Saved as Beta.png")));
    EXPECT_EQ(lines().last(), partial(2));

    // The temporary file cannot be written.
    QFile::remove(downloader().temporaryFilePath());
    ASSERT_TRUE(QDir(engine.folder.path()).mkpath(u"downloading.dat/inside"_s));
    queue({b, c});
    ASSERT_TRUE(run());
    EXPECT_EQ(countStarting(lines(), red("Could not write ")), 2);
    EXPECT_EQ(host().requests().size(), 6); // each file asked for once

    // A full disk: files of this process cannot grow beyond 64 KB.
    ASSERT_TRUE(QDir(engine.path(u"downloading.dat"_s)).removeRecursively());
    QFile::remove(saved("Beta.png"));
    const SimSubmission big = add(4, u"Big"_s, 200000);
    queue({big, b});
    {
        const FileSizeLimit full(64 * 1024);
        ASSERT_TRUE(run());
    }
    EXPECT_EQ(countStarting(lines(), red("Could not write ")), 1);
    EXPECT_EQ(readFile(saved("Beta.png")), b.body);
    EXPECT_FALSE(QFile::exists(saved("Big.png")));
    EXPECT_EQ(lines().last(), partial(2));
}

// With resuming on, a file cut off asks only for the rest where its host
// allows it, and is stored whole either way.
TEST_F(DownloaderTest, CutFilesResumeWhereTheHostAllows)
{
    using R = GalleryFileHost::RangeReply;
    const SimSubmission a = add(1, u"Alpha"_s, 40000);
    // What, the host's ranges, resuming on, what the second request adds, a line it logs
    // (the start of one), the requests taken: a third asks for the whole file again.
    // clang-format off
    const QByteArray tag = "\"v1\"", date = "Wed, 21 Oct 2015 07:28:00 GMT", asked = "Range: bytes=15000-\r\nIf-Range: ";
    const QString cut = red("Data socket disconnected. Retry..."), resumed = black("Resuming from byte 15000 of 40000."),
                  refused = red("Could not resume /art/bob/1.bob.s1.png (");
    const std::tuple<const char *, GalleryFileHost::Ranges, bool, QByteArray, QString, int> rows[] = {
        {"strong tag",         {true, tag, date, R::Honest},    true,  asked + tag, resumed, 2},
        {"weak tag, a date",   {true, "W/" + tag, date},        true,  asked + date, resumed, 2},
        {"switched off",       {true, tag, date},               false, {}, cut, 2},
        {"no ranges",          {false, tag, date},              true,  {}, cut, 2},
        {"weak tag only",      {true, "W/" + tag, {}},          true,  {}, cut, 2},
        {"the whole file",     {true, tag, {}, R::Ignored},     true,  asked + tag, cut, 2},
        {"a byte early",       {true, tag, {}, R::WrongStart},  true,  asked + tag, refused + "Content-Range bytes 14999-39999/40000 does not continue byte 15000 of 40000). Retry...", 3},
        {"a larger total",     {true, tag, {}, R::WrongTotal},  true,  asked + tag, refused + "Content-Range", 3},
        {"no Content-Range",   {true, tag, {}, R::NoContentRange}, true, asked + tag, refused + "no Content-Range", 3},
        {"416",                {true, tag, {}, R::Unsatisfiable}, true, asked + tag, refused + "416", 3},
        {"another tag",        {true, tag, {}, R::OtherTag},    true,  asked + tag, refused + "the file changed", 3},
    };
    // clang-format on
    open();
    for (const auto &[what, ranges, on, added, line, requests] : rows) {
        SCOPED_TRACE(what);
        host().setRanges(ranges);
        host().cutOnce(a.filePath(), 15000);
        engine.settings.resumeCutFiles = on;
        QFile::remove(saved("Alpha.png"));
        const qsizetype before = host().requests().size();
        queue({a});
        QString checksum; // the archive's, of the whole file however it came
        QObject scope;
        QObject::connect(&downloader(), &Downloader::fileStored, &scope,
                         [&](const ArchiveRow &row) { checksum = row.sha256; });
        ASSERT_TRUE(run());
        EXPECT_EQ(countStarting(lines(), line), 1) << lines().join(u'\n').toStdString();
        EXPECT_EQ(readFile(saved("Alpha.png")), a.body);
        EXPECT_EQ(checksum.toLatin1(),
                  QCryptographicHash::hash(a.body, QCryptographicHash::Sha256).toHex());
        const QList<QByteArray> sent = host().requests().mid(before);
        ASSERT_EQ(sent.size(), requests);
        EXPECT_EQ(sent[1], sent[0].chopped(2) + added + (added.isEmpty() ? "" : "\r\n") + "\r\n");
        EXPECT_EQ(sent.last(), requests > 2 ? sent[0] : sent.last());
        EXPECT_FALSE(QFile::exists(engine.path(u"downloading.resume"_s)));
    }
}

namespace {

// Bob's gallery of one submission, fetched by whole jobs against the simulated site.
class DownloadJobTest : public ::testing::Test
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
TEST_F(DownloadJobTest, RepliesOfUnknownSizeAreStoredWholeOrNotAtAll)
{
    const QString name = filePath().section(u'/', -1);
    const QString skip = black("Filesize ("), lost = red("Data socket disconnected. Retry..."),
                  empty = red("Could not retrieve " + name +
                              " (empty reply), giving up after 2 attempts.");
    const qint64 big = 3000000;
    // What, the fault, the Content-Length sent for ClaimedLength, the file's size, the size
    // limit, the start of a line the job logs, whether it is stored, the requests it takes.
    // clang-format off
    const std::tuple<const char *, Fault, QByteArray, qint64, QString, QString, bool, int> rows[] = {
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
    for (const auto &[what, fault, claimed, size, limit, line, stored, requests] : rows) {
        SCOPED_TRACE(what);
        QFile::remove(saved());
        QFile::remove(engine.session->temporaryFilePath());
        engine.files->addGeneratedFile(filePath(), size);
        engine.files->setFault(filePath(), fault);
        engine.files->setClaimedLength(claimed);
        engine.settings.maxSize = limit;
        const qsizetype before = engine.files->requests().size();
        const QStringList lines = get();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&, start = line](const QString &l) {
            return l.startsWith(start);
        })) << lines.join(u'\n').toStdString();
        QByteArray body(size, Qt::Uninitialized);
        GalleryFileHost::generateBytes(0, body.data(), size);
        EXPECT_EQ(readFile(saved()), stored ? body : QByteArray("<missing>"));
        // A transfer dropped for its size takes what it had written with it.
        EXPECT_FALSE(line == skip && QFile::exists(engine.session->temporaryFilePath()));
        EXPECT_EQ(engine.files->requests().size() - before, requests);
    }
}

// A job stopped in the middle of a file keeps its part for the next job, which
// asks for the rest; a part changed since, or another file's, is fetched whole.
TEST_F(DownloadJobTest, AStoppedJobLeavesItsPartToTheNext)
{
    const QString part = engine.session->temporaryFilePath(), record = part.chopped(3) + "resume";
    engine.files->setRanges({true, "\"v1\"", {}});
    engine.files->addGeneratedFile(filePath(), 400000);
    engine.files->setPieceSize(20000);
    engine.files->setPieceDelayMs(20);
    // What; Esc or the job dropped and its files closed (as by a signal); then bytes added to
    // the part, an address put in its record, resuming still on; whether the next job resumes.
    // clang-format off
    const std::tuple<const char *, bool, QByteArray, QByteArray, bool, bool> rows[] = {
        {"Esc", true, {}, {}, true, true}, {"signal", false, {}, {}, true, true}, {"switched off", true, {}, {}, false, false},
        {"a byte more", true, "x", {}, true, false}, {"another file's part", true, {}, "1001.bob", true, false},
    };
    // clang-format on
    for (const auto &[what, esc, added, address, on, resumed] : rows) {
        SCOPED_TRACE(what);
        engine.settings.resumeCutFiles = true;
        QFile::remove(saved());
        QFile::remove(part);
        engine.get(u"bob"_s, true);
        ASSERT_TRUE(waitUntil([&] { return QFileInfo(part).size() >= 40000; }));
        esc ? engine.session->stopJobByUser() : engine.session->stopJob();
        engine.session->closeOpenFiles();
        const qint64 kept = QFileInfo(part).size();
        EXPECT_EQ(QFileInfo(record).permissions(), QFileDevice::Permissions(0x6600)); // 0600
        ASSERT_TRUE(added.isEmpty() || writeFile(part, readFile(part) + added));
        ASSERT_TRUE(address.isEmpty() ||
                    writeFile(record, readFile(record).replace("1000.bob", address)));
        engine.settings.resumeCutFiles = on;
        const QStringList lines = get();
        const QByteArray range = "Range: bytes=" + QByteArray::number(kept);
        EXPECT_EQ(engine.files->requests().last().contains(range), resumed);
        EXPECT_EQ(lines.contains(black(u"Resuming from byte %1 of 400000."_s.arg(kept))), resumed);
        EXPECT_EQ(QFileInfo(saved()).size(), 400000);
    }
}
