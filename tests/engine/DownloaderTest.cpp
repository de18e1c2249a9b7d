#include "LogLines.h"
#include "TestWaits.h"
#include "TestWindow.h"

#include "GalleryContent.h"
#include "GalleryFileHost.h"
#include "download/Downloader.h"
#include "log/EventLog.h"
#include "log/LogColors.h"
#include "platform/Clock.h"

#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

const auto black = [](const QString &text) { return coloured(LogBlack, text); };
const auto red = [](const QString &text) { return coloured(LogRed, text); };
const auto green = [](const QString &text) { return coloured(LogGreen, text); };
const auto partial = [](int count) {
    return red(u"Retrieved only %1 submissions, see the log for errors."_s.arg(count));
};
// The figure is written with the user's decimal point.
const auto skipLine = [](QString figure) {
    return black("Filesize (" + figure.replace(u'.', QLocale().decimalPoint()) +
                 ") exceeds rule. Skipping.");
};

qsizetype countRed(const QStringList &lines, const QString &prefix)
{
    return std::count_if(lines.begin(), lines.end(),
                         [&](const QString &line) { return line.startsWith(red(prefix)); });
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class DownloaderTest : public ::testing::Test
{
public:
    GalleryContent content;
    GalleryFileHost host{content};
    TestWindow test;
    MainWindow *window = nullptr;
    QString folder;
    int firstLine = 0;

    void SetUp() override
    {
        ASSERT_TRUE(host.listen());
        test.ports[TestHosts::File] = host.port();
        test.timeouts.replyMs = 1000;
        test.timeouts.fileAttempts = 3;
    }

    void open()
    {
        window = &test.open();
        folder = test.path(u"bob"_s);
        QDir().mkpath(folder);
        state().NoWait = true;
    }

    JobState &state() { return window->state(); }
    Downloader &downloader() { return window->downloader(); }

    // A file of bob's saved as title.ext.
    SimSubmission add(int id, const QString &title, int size, const QString &ext = u"png"_s,
                      std::optional<QByteArray> body = {})
    {
        SimSubmission submission =
            GalleryContent::make(id, u"bob"_s, u"s%1"_s.arg(id), ext, title, u"general"_s, size);
        if (body)
            submission.body = *body;
        SimUser user = content.user(u"bob"_s) ? *content.user(u"bob"_s) : SimUser{};
        user.name = u"bob"_s;
        user.gallery.append(submission);
        content.addUser(user);
        return submission;
    }

    void queue(const QList<SimSubmission> &submissions)
    {
        JobState &s = state();
        s.CurrentUser = u"bob"_s;
        s.CurrentFolder = u"gallery"_s;
        for (int i = 0; i < submissions.size(); ++i)
            s.SubmissionQueue[size_t(i)] = {"http://" + TestHosts::File + submissions[i].filePath(),
                                            submissions[i].titleMarkup};
        s.QueueCount = int16_t(submissions.size());
        s.QueueIndex = 0;
        s.DownloadFolder = folder;
    }

    // A pause of delay seconds counted from lastEnd.
    void pausing(int delay, double lastEnd)
    {
        state().NoWait = false;
        state().Delay = int16_t(delay);
        state().LastFileEnd = lastEnd;
    }

    void start()
    {
        firstLine = window->eventLog().lineCount();
        downloader().Retrieve();
    }

    // Starts the queue and waits for the folder's summary line.
    bool run()
    {
        start();
        return waitUntil([this] { return finished(); });
    }

    bool finished() const
    {
        const QString log = linesSinceStart().join(u'\n');
        return log.contains(green("Succesfully retrieved")) || log.contains(red("Retrieved only"));
    }

    // The download side's lines (the start-up's update check may log at any time).
    QStringList linesSinceStart() const
    {
        QStringList lines;
        const EventLog &log = window->eventLog();
        for (int i = firstLine; i < log.lineCount(); ++i)
            if (!log.lineText(i).contains(u"update"_s, Qt::CaseInsensitive) &&
                !log.lineText(i).startsWith(u"New version"_s))
                lines.append(coloured(log.lineColor(i), log.lineText(i)));
        return lines;
    }

    QString label(const QString &name) const { return window->findChild<QLabel *>(name)->text(); }
    QString status() const { return label(u"Lbl_Status"_s); }
    QString speed() const { return label(u"Label12"_s); }
    void setSizeLimit(const QString &text)
    {
        window->findChild<QLineEdit *>(u"Txt_Maxsize"_s)->setText(text);
    }
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

TEST_F(DownloaderTest, QueueIsSavedFileByFileWithEveryLineInOrder)
{
    const SimSubmission a = add(1, u"Alpha"_s, 1000);
    const SimSubmission b = add(2, u"Tom & Jerry"_s, 0);
    const SimSubmission c = add(3, u"Gamma"_s, 300000, u"txt"_s);
    host.setPieceSize(7000); // many chunks for the large one
    open();
    {
        // A longer file of the same name is replaced whole, without leftovers.
        QFile old(saved("Alpha.png"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'o'));
    }
    QStringList titles;
    QObject::connect(window, &QWidget::windowTitleChanged, window,
                     [&](const QString &title) { titles << title; });
    queue({a, b, c});
    // What the window shows when the second file starts.
    QString statusAtNext, speedAtNext;
    QObject::connect(&window->eventLog(), &EventLog::lineAdded, window, [&](const QString &text) {
        if (text.endsWith(u"(2/3)..."_s) && statusAtNext.isEmpty()) {
            statusAtNext = status();
            speedAtNext = speed();
        }
    });

    ASSERT_TRUE(run());
    EXPECT_EQ(
        linesSinceStart(),
        (QStringList{retrieving(a, 1, 3), green("Saved as Alpha.png"), retrieving(b, 2, 3),
                     green("Saved as Tom & Jerry.png"), retrieving(c, 3, 3),
                     green("Saved as Gamma.txt"), green("Succesfully retrieved 3 submissions.")}));
    EXPECT_EQ(statusAtNext, u"1000 bytes downloaded."_s);
    EXPECT_TRUE(speedAtNext.startsWith(u"Speed: "_s));
    EXPECT_NE(speedAtNext, u"Speed: 0Kb/s"_s);

    EXPECT_EQ(savedNames(), (QStringList{"Alpha.png", "Gamma.txt", "Tom & Jerry.png"}));
    for (const auto &[name, body] :
         {std::pair{"Alpha.png", a.body}, {"Tom & Jerry.png", b.body}, {"Gamma.txt", c.body}})
        EXPECT_EQ(readFile(saved(name)), body) << name;
    // The temporary file keeps the last body.
    EXPECT_EQ(readFile(downloader().temporaryFilePath()), c.body);

    // One request per connection, byte for byte.
    QList<QByteArray> requests;
    for (const SimSubmission &s : {a, b, c})
        requests << "GET " + s.filePath().toLatin1() +
                        " HTTP/1.0\r\nHost: " + TestHosts::File.toLatin1() +
                        "\r\nConnection: Keep-Alive\r\n\r\n";
    EXPECT_EQ(host.requests(), requests);
    EXPECT_EQ(host.connectionCount(), 3);

    for (const char *percent : {"33", "66", "100"})
        EXPECT_TRUE(titles.contains(u"Vorpaline 1.38b: bob's gallery (%1%)"_s.arg(percent)))
            << percent;
    EXPECT_EQ(window->windowTitle(), u"Vorpaline 1.38b: bob's gallery done OK"_s);
    EXPECT_EQ(status(), QString());
    EXPECT_EQ(window->fileProgress(), 0);
    EXPECT_EQ(window->queueProgress(), 0);
    EXPECT_TRUE(speed().startsWith(u"Speed: "_s) && speed().endsWith("Kb/s"));
    EXPECT_EQ(state().QueueIndex, 3);
    EXPECT_GT(state().LastFileEnd, 0);
    EXPECT_FALSE(state().DownloadErrors);

    // A window that is not normal shows the short caption; the end is always long.
    window->setWindowState(Qt::WindowMaximized);
    titles.clear();
    queue({a, b});
    ASSERT_TRUE(run());
    EXPECT_TRUE(titles.contains(u"bob's gallery (50%)"_s));
    EXPECT_TRUE(titles.contains(u"bob's gallery (100%)"_s));
    EXPECT_EQ(window->windowTitle(), u"Vorpaline 1.38b: bob's gallery done OK"_s);
}

TEST_F(DownloaderTest, RefusedFilesAreNotRetriedAndBusyHostsAreGivenUpAfterTheLastAttempt)
{
    const SimSubmission a = add(1, u"Alpha"_s, 100);
    const SimSubmission b = add(2, u"Beta"_s, 100);
    const SimSubmission c = add(3, u"Gamma"_s, 100);
    const SimSubmission d = add(4, u"Delta"_s, 100);
    const SimSubmission e = add(5, u"Epsilon"_s, 100);
    host.setFault(a.filePath(), GalleryFileHost::Fault::TooManyRequests, 2);
    host.setFault(b.filePath(), GalleryFileHost::Fault::Unavailable);
    host.setNotFoundReason("NOT FOUND"); // any letter case
    host.setFault(c.filePath(), GalleryFileHost::Fault::NotFound);
    host.setFault(d.filePath(), GalleryFileHost::Fault::BadRequest);
    host.setFault(e.filePath(), GalleryFileHost::Fault::Forbidden);
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
                    "), giving up after 3 attempts.");
    const QStringList lines = linesSinceStart();
    EXPECT_EQ(lines.mid(0, expected.size()), expected);
    for (const QString &line : {red("GS said 404 not found on " + c.filePath()),
                                red("GS said 400 bad request on " + d.filePath()),
                                red("GS said 403 forbidden on " + e.filePath())})
        EXPECT_TRUE(lines.contains(line)) << line.toStdString();
    EXPECT_EQ(lines.last(), partial(5));
    EXPECT_EQ(window->windowTitle(), u"Vorpaline 1.38b: bob's gallery done with errors"_s);
    EXPECT_TRUE(state().DownloadErrors);
    // An error page is never stored as the submission.
    EXPECT_EQ(savedNames(), QStringList{"Alpha.png"});
    EXPECT_EQ(host.requests().size(), 3 + 3 + 3); // refusals are not retried
}

TEST_F(DownloaderTest, UnusualRepliesAreStillSavedWhole)
{
    // Header over several chunks, a body without a size (read until the host
    // closes), and a sized file before it so that no size carries over.
    const SimSubmission a = add(1, u"Alpha"_s, 5000);
    const SimSubmission b = add(2, u"Beta"_s, 20000);
    const SimSubmission c = add(3, u"Gamma"_s, 3000);
    host.setFault(a.filePath(), GalleryFileHost::Fault::SplitHeader);
    host.setFault(b.filePath(), GalleryFileHost::Fault::NoContentLength);
    host.setFault(c.filePath(), GalleryFileHost::Fault::NoContentLength);
    host.setPieceSize(1500);
    host.setPieceDelayMs(5);
    open();
    queue({a, b, c});

    ASSERT_TRUE(run());
    EXPECT_EQ(linesSinceStart().last(), green("Succesfully retrieved 3 submissions."));
    for (const SimSubmission &s : {a, b, c})
        EXPECT_EQ(readFile(saved(s.titleMarkup + ".png")), s.body);
    EXPECT_EQ(state().FileSize, 3000);
}

TEST_F(DownloaderTest, LostConnectionsAreTriedAgain)
{
    using F = GalleryFileHost::Fault;
    const QList<std::pair<F, QString>> cases = {
        {F::CloseMidBody, "Data socket disconnected. Retry..."},
        {F::NoReply, "Timed out, trying again."},
        {F::StallMidBody, "Timed out, trying again."},
        {F::NotHttp, "Unreadable reply on /art/bob/1.bob.s1.png. Retry..."},
    };
    const SimSubmission a = add(1, u"Alpha"_s, 40000);
    test.timeouts.replyMs = 300;
    open();
    for (const auto &[fault, retryLine] : cases) {
        SCOPED_TRACE(int(fault));
        host.clearFaults();
        host.setFault(a.filePath(), fault, 1);
        QFile::remove(saved("Alpha.png"));
        const qsizetype requestsBefore = host.requests().size();
        queue({a});
        ASSERT_TRUE(run());
        const QStringList lines = linesSinceStart();
        EXPECT_TRUE(lines.contains(red(retryLine)));
        EXPECT_EQ(lines.last(), green("Succesfully retrieved 1 submissions."));
        EXPECT_EQ(readFile(saved("Alpha.png")), a.body);
        EXPECT_EQ(host.requests().size(), requestsBefore + 2);
    }
}

TEST_F(DownloaderTest, UnreachableHostIsGivenUpAfterTheLastAttempt)
{
    const SimSubmission a = add(1, u"Alpha"_s, 100);
    open();
    for (const bool refused : {true, false}) {
        SCOPED_TRACE(refused ? "refused" : "not found");
        if (refused)
            host.setRefusing(true);
        else
            test.ports.remove(TestHosts::File);
        queue({a});
        state().DownloadErrors = false;
        ASSERT_TRUE(run());
        const QStringList lines = linesSinceStart();
        ASSERT_GE(lines.size(), 2);
        EXPECT_EQ(countRed(lines, "Data socket error "), 2);
        for (const QString &line : lines)
            EXPECT_TRUE(!line.contains("Data socket error ") || line.endsWith(". Retry..."))
                << line.toStdString();
        const QString givenUp = lines[lines.size() - 2];
        EXPECT_TRUE(givenUp.startsWith(red("Could not retrieve ") + a.filePath().section(u'/', -1) +
                                       (refused ? " (error 10061" : " (error 11001")))
            << givenUp.toStdString();
        EXPECT_EQ(lines.last(), partial(1));
        EXPECT_TRUE(state().DownloadErrors);
        host.setRefusing(false);
        test.ports[TestHosts::File] = host.port();
    }
}

TEST_F(DownloaderTest, OverLongBodyIsReportedOnceAndNeverSaved)
{
    const SimSubmission a = add(1, u"Tom & Jerry"_s, 1000);
    host.setFault(a.filePath(), GalleryFileHost::Fault::OverLongBody, 1);
    open();
    int nestedEvents = 0;
    test.prompts.onErrorReport = [&](const ScriptedPrompts::Shown &) {
        // A modal report lets events through.
        QCoreApplication::processEvents();
        ++nestedEvents;
    };
    queue({a});
    ASSERT_TRUE(run());

    const auto reports = test.prompts.ofKind(u"error"_s);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports[0].title, u"Received more data than expected:\r\nRight size: 1000. Got: "
                                u"1100\r\nTom & Jerry will certainly be screwed."_s);
    EXPECT_EQ(nestedEvents, 1);
    // Tried again, and the second reply was right.
    EXPECT_EQ(readFile(saved("Tom & Jerry.png")), a.body);
    EXPECT_EQ(host.requests().size(), 2);

    // Always too long: given up, and the final name never appears.
    host.setFault(a.filePath(), GalleryFileHost::Fault::OverLongBody);
    QFile::remove(saved("Tom & Jerry.png"));
    queue({a});
    ASSERT_TRUE(run());
    EXPECT_EQ(test.prompts.ofKind(u"error"_s).size(), 4);
    EXPECT_FALSE(QFile::exists(saved("Tom & Jerry.png")));
    EXPECT_EQ(linesSinceStart().last(), partial(1));
}

TEST_F(DownloaderTest, SizeLimit)
{
    const SimSubmission exact = add(1, u"exact"_s, 1048576);
    const SimSubmission over = add(2, u"over"_s, 1048577);
    const SimSubmission big = add(3, u"big"_s, 3670016);
    open();
    struct Case
    {
        QString limit;
        QStringList savedNames;
        QStringList skips;
    };
    const QList<Case> cases = {
        {"1", {"exact.png"}, {skipLine("1"), skipLine("3.5")}},
        {"3MB", {"exact.png", "over.png"}, {skipLine("3.5")}},
        {"", {"big.png", "exact.png", "over.png"}, {}},
        {"0", {"big.png", "exact.png", "over.png"}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.limit.toStdString());
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        setSizeLimit(c.limit);
        queue({exact, over, big});
        ASSERT_TRUE(run());
        QStringList skips;
        for (const QString &line : linesSinceStart())
            if (line.contains("Filesize ("))
                skips.append(line);
        EXPECT_EQ(skips, c.skips);
        EXPECT_EQ(savedNames(), c.savedNames);
        EXPECT_FALSE(state().DownloadErrors); // a skip is no error
    }
    EXPECT_EQ(readFile(saved("big.png")), big.body);

    // A size text inside the body, in a chunk of its own, runs the limit again.
    const QByteArray body =
        QByteArray(3000, 'a') + "Content-Length: 100000000\r\n" + QByteArray(3000, 'b');
    const SimSubmission sized = add(4, u"sized"_s, 0, u"png"_s, body);
    host.setPieceSize(2000);
    host.setPieceDelayMs(30);
    setSizeLimit(u"10"_s);
    queue({sized});
    ASSERT_TRUE(run());
    EXPECT_TRUE(linesSinceStart().contains(skipLine("95.37")));
    EXPECT_FALSE(QFile::exists(saved("sized.png")));
    // Without a limit the file is saved whole: the reply's own size completes it.
    setSizeLimit(QString());
    queue({sized});
    ASSERT_TRUE(run());
    EXPECT_EQ(readFile(saved("sized.png")), body);
}

TEST_F(DownloaderTest, PauseBetweenFilesCountsDownAndSleeps)
{
    const SimSubmission a = add(1, u"Alpha"_s, 100);
    const SimSubmission b = add(2, u"Beta"_s, 100);
    open();
    ASSERT_EQ(state().LastFileEnd, 0); // nothing has ended yet in this run
    pausing(5, 0);
    queue({a, b});

    QElapsedTimer clock;
    clock.start();
    QList<qint64> requestMs;
    QObject::connect(&host, &GalleryFileHost::requestReceived, window,
                     [&] { requestMs << clock.elapsed(); });
    // The event loop sleeps until something happens, as the real one does; a
    // slow timer samples the caption.
    QEventLoop loop;
    QStringList captions;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, &loop, [&] {
        if (status().startsWith(u"Waiting"_s) &&
            (captions.isEmpty() || captions.last() != status()))
            captions.append(status());
        if (finished() || clock.elapsed() > 30000)
            loop.quit();
    });
    sampler.start(100);
    const double cpuBefore = cpuSeconds();
    start();
    loop.exec();
    const double cpu = cpuSeconds() - cpuBefore;
    const double elapsed = clock.elapsed() / 1000.0;

    ASSERT_TRUE(finished());
    ASSERT_EQ(requestMs.size(), 2);
    EXPECT_LT(requestMs[0], 3000); // at once
    EXPECT_GT(requestMs[1] - requestMs[0], 5000);
    const std::string shown = captions.join(", ").toStdString();
    EXPECT_TRUE(captions.contains(u"Waiting a bit (5s)"_s)) << shown;
    EXPECT_TRUE(captions.contains(u"Waiting a bit (1s)"_s)) << shown;
    EXPECT_FALSE(captions.contains(u"Waiting a bit (0s)"_s)) << shown;
    // A loop that pumps events while it waits would keep a core busy.
    EXPECT_LT(cpu / elapsed, 0.25) << cpu << " s of processor time in " << elapsed << " s";
}

TEST_F(DownloaderTest, PauseEndsAtOnceWhenNoWaitIsSwitchedOnAndTheSliderSwitchesItOff)
{
    const SimSubmission a = add(1, u"Alpha"_s, 100);
    open();
    pausing(60, clockSeconds());
    queue({a});
    start();
    ASSERT_TRUE(downloader().isPausing());
    EXPECT_EQ(status(), u"Waiting a bit (60s)"_s);
    EXPECT_TRUE(host.requests().isEmpty());

    // The hidden no-wait mode ends the pause.
    state().NoWait = true;
    downloader().pauseSettingsChanged();
    EXPECT_FALSE(downloader().isPausing());
    ASSERT_TRUE(waitUntil([&] { return finished(); }));

    // Moving the slider switches the no-wait mode off again: the next file waits.
    auto *slider = window->findChild<QScrollBar *>(u"Hscr_Delay"_s);
    ASSERT_NE(slider->value(), 6);
    slider->setValue(6);
    EXPECT_FALSE(state().NoWait);
    queue({a});
    downloader().Retrieve();
    EXPECT_TRUE(downloader().isPausing());
    // A shorter delay, already over: the pause ends at the next look.
    state().LastFileEnd = clockSeconds() - 10;
    slider->setValue(5);
    EXPECT_FALSE(downloader().isPausing());
    ASSERT_TRUE(waitUntil([&] { return host.requests().size() == 2; }));
}

TEST_F(DownloaderTest, AbortStopsThePauseAndTheTransfer)
{
    open();
    pausing(5, clockSeconds() - 4.7); // the pause would end within a second
    queue({add(1, u"Alpha"_s, 100)});
    downloader().Retrieve();
    ASSERT_TRUE(downloader().isPausing());
    downloader().abort();
    EXPECT_FALSE(downloader().isPausing());
    waitUntil([] { return false; }, 1500);
    EXPECT_TRUE(host.requests().isEmpty());
}

TEST_F(DownloaderTest, StorageFailuresAndAFullDiskMoveOnWithoutLooping)
{
    const SimSubmission a = add(1, QString(300, u'x'), 100); // a name too long for any disk
    const SimSubmission b = add(2, u"Beta"_s, 100);
    const SimSubmission c = add(3, u"Gamma"_s, 100);
    open();

    // Refused name: stored once as "Badfilename".
    queue({a, b});
    ASSERT_TRUE(run());
    EXPECT_TRUE(linesSinceStart().contains(green("Saved as Badfilename")));
    EXPECT_EQ(readFile(saved("Badfilename")), a.body);
    EXPECT_FALSE(state().DownloadErrors);

    // "Badfilename" refused as well: a red line and the next file.
    QFile::remove(saved("Badfilename"));
    ASSERT_TRUE(QDir(folder).mkpath(u"Badfilename/inside"_s));
    queue({a, b});
    ASSERT_TRUE(run());
    QStringList lines = linesSinceStart();
    EXPECT_EQ(countRed(lines, "Could not save "), 1);
    EXPECT_TRUE(lines.contains(green("Saved as Beta.png")));
    EXPECT_EQ(lines.last(), partial(2));

    // The download folder is gone.
    state().DownloadErrors = false;
    queue({b, c});
    state().DownloadFolder = test.path(u"missing/folder"_s);
    ASSERT_TRUE(run());
    lines = linesSinceStart();
    EXPECT_EQ(countRed(lines, "Could not save "), 2);
    EXPECT_EQ(lines.last(), partial(2));

    // The temporary file cannot be written.
    state().DownloadErrors = false;
    QFile::remove(downloader().temporaryFilePath());
    ASSERT_TRUE(QDir(test.folder.path()).mkpath(u"downloading.dat/inside"_s));
    queue({b, c});
    ASSERT_TRUE(run());
    EXPECT_EQ(countRed(linesSinceStart(), "Could not write "), 2);
    EXPECT_EQ(host.requests().size(), 8); // each file asked for once

    // A full disk: files of this process cannot grow beyond 64 KB.
    ASSERT_TRUE(QDir(test.path(u"downloading.dat"_s)).removeRecursively());
    QFile::remove(saved("Beta.png"));
    const SimSubmission big = add(4, u"Big"_s, 200000);
    queue({big, b});
    rlimit original{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &original), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = original;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool done = run();
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, previous);
    ASSERT_TRUE(done);
    lines = linesSinceStart();
    EXPECT_EQ(countRed(lines, "Could not write "), 1);
    EXPECT_EQ(readFile(saved("Beta.png")), b.body);
    EXPECT_FALSE(QFile::exists(saved("Big.png")));
    EXPECT_EQ(lines.last(), partial(2));
}
