#include "TestWindow.h"

#include "GalleryContent.h"
#include "GalleryFileHost.h"
#include "download/Downloader.h"
#include "log/EventLog.h"
#include "log/LogColors.h"
#include "platform/Clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScrollBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <optional>
#include <ostream>
#include <sys/resource.h>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

struct Line
{
    QString text;
    int32_t color;
    bool operator==(const Line &) const = default;
};

void PrintTo(const Line &line, std::ostream *out)
{
    const char *color = line.color == LogRed     ? "red"
                        : line.color == LogGreen ? "green"
                        : line.color == LogBlack ? "black"
                                                 : "?";
    *out << color << " \"" << line.text.toStdString() << '"';
}

Line black(const QString &text)
{
    return {text, LogBlack};
}
Line red(const QString &text)
{
    return {text, LogRed};
}
Line green(const QString &text)
{
    return {text, LogGreen};
}

// The figure is written with the user's decimal point.
Line skipLine(QString figure)
{
    figure.replace(u'.', QLocale().decimalPoint());
    return black("Filesize (" + figure + ") exceeds rule. Skipping.");
}

Line partial(int count)
{
    return red(QStringLiteral("Retrieved only %1 submissions, see the log for errors.").arg(count));
}

qsizetype countRed(const QList<Line> &lines, const QString &prefix)
{
    return std::count_if(lines.begin(), lines.end(), [&](const Line &line) {
        return line.color == LogRed && line.text.startsWith(prefix);
    });
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Files of this process cannot grow beyond the given size, as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_original);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = m_original;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_original);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_original{};
    void (*m_handler)(int) = nullptr;
};

// Records every caption the window shows.
class TitleRecorder final : public QObject
{
public:
    QStringList titles;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::WindowTitleChange)
            titles.append(static_cast<QWidget *>(watched)->windowTitle());
        return false;
    }
};

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
        folder = test.path(QStringLiteral("bob"));
        QDir().mkpath(folder);
        state().NoWait = true;
    }

    JobState &state() { return window->state(); }
    Downloader &downloader() { return window->downloader(); }

    SimSubmission add(int id, const QString &title, int size, const QString &ext = "png",
                      std::optional<QByteArray> body = {})
    {
        SimSubmission submission =
            GalleryContent::make(id, QStringLiteral("bob"), QStringLiteral("s%1").arg(id), ext,
                                 title, QStringLiteral("general"), size);
        if (body)
            submission.body = *body;
        SimUser user;
        if (const SimUser *known = content.user(QStringLiteral("bob")))
            user = *known;
        user.name = QStringLiteral("bob");
        user.gallery.append(submission);
        content.addUser(user);
        return submission;
    }

    void queue(const QList<std::pair<QString, QString>> &entries) // path, title
    {
        JobState &s = state();
        s.CurrentUser = QStringLiteral("bob");
        s.CurrentFolder = QStringLiteral("gallery");
        for (int i = 0; i < entries.size(); ++i)
            s.SubmissionQueue[size_t(i)] = {"http://" + TestHosts::File + entries[i].first,
                                            entries[i].second};
        s.QueueCount = int16_t(entries.size());
        s.QueueIndex = 0;
        s.DownloadFolder = folder;
    }

    void queue(const QList<SimSubmission> &submissions)
    {
        QList<std::pair<QString, QString>> entries;
        for (const SimSubmission &submission : submissions)
            entries.append({submission.filePath(), submission.titleMarkup});
        queue(entries);
    }

    // Sets up a pause of delay seconds counted from lastEnd.
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
    bool run(int timeoutMs = 20000)
    {
        start();
        return waitUntil([this] { return finished(); }, timeoutMs);
    }

    bool finished() const
    {
        for (const Line &line : linesSinceStart())
            if (line.text.startsWith(QStringLiteral("Succesfully retrieved")) ||
                line.text.startsWith(QStringLiteral("Retrieved only")))
                return true;
        return false;
    }

    // The download side's lines (the start-up's update check may log at any time).
    QList<Line> linesSinceStart() const
    {
        QList<Line> lines;
        const EventLog &log = window->eventLog();
        for (int i = firstLine; i < log.lineCount(); ++i) {
            const QString text = log.lineText(i);
            if (!text.contains(QStringLiteral("update"), Qt::CaseInsensitive) &&
                !text.startsWith(QStringLiteral("New version")))
                lines.append({text, log.lineColor(i)});
        }
        return lines;
    }

    QString status() const
    {
        return window->findChild<QLabel *>(QStringLiteral("Lbl_Status"))->text();
    }
    QString speed() const { return window->findChild<QLabel *>(QStringLiteral("Label12"))->text(); }
    void setSizeLimit(const QString &text)
    {
        window->findChild<QLineEdit *>(QStringLiteral("Txt_Maxsize"))->setText(text);
    }
    QString saved(const QString &name) const { return QDir(folder).filePath(name); }
    QStringList savedNames() const { return QDir(folder).entryList(QDir::Files | QDir::Hidden); }
    static Line retrieving(const SimSubmission &s, int number, int count)
    {
        return black(QStringLiteral("Retrieving %1 (%2/%3)...")
                         .arg(s.filePath().section(u'/', -1))
                         .arg(number)
                         .arg(count));
    }
};

} // namespace

TEST_F(DownloaderTest, QueueIsSavedFileByFileWithEveryLineInOrder)
{
    const SimSubmission a = add(1, QStringLiteral("Alpha"), 1000);
    const SimSubmission b = add(2, QStringLiteral("Tom & Jerry"), 0);
    const SimSubmission c = add(3, QStringLiteral("Gamma"), 300000, QStringLiteral("txt"));
    host.setPieceSize(7000); // many chunks for the large one
    open();
    {
        // A longer file of the same name is replaced whole, without leftovers.
        QFile old(saved("Alpha.png"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'o'));
    }
    TitleRecorder titles;
    window->installEventFilter(&titles);
    queue({a, b, c});
    // What the window shows when the second file starts.
    QString statusAtNext, speedAtNext;
    QObject::connect(&window->eventLog(), &EventLog::lineAdded, window, [&](const QString &text) {
        if (text.endsWith(QStringLiteral("(2/3)...")) && statusAtNext.isEmpty()) {
            statusAtNext = status();
            speedAtNext = speed();
        }
    });

    ASSERT_TRUE(run());
    EXPECT_EQ(
        linesSinceStart(),
        (QList<Line>{retrieving(a, 1, 3), green("Saved as Alpha.png"), retrieving(b, 2, 3),
                     green("Saved as Tom & Jerry.png"), retrieving(c, 3, 3),
                     green("Saved as Gamma.txt"), green("Succesfully retrieved 3 submissions.")}));
    EXPECT_EQ(statusAtNext, QStringLiteral("1000 bytes downloaded."));
    EXPECT_TRUE(speedAtNext.startsWith(QStringLiteral("Speed: ")));
    EXPECT_NE(speedAtNext, QStringLiteral("Speed: 0Kb/s"));

    EXPECT_EQ(savedNames(), (QStringList{"Alpha.png", "Gamma.txt", "Tom & Jerry.png"}));
    EXPECT_EQ(readFile(saved("Alpha.png")), a.body);
    EXPECT_EQ(readFile(saved("Tom & Jerry.png")), b.body);
    EXPECT_EQ(readFile(saved("Gamma.txt")), c.body);
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
        EXPECT_TRUE(titles.titles.contains(
            QStringLiteral("Vorpaline 1.38b: bob's gallery (%1%)").arg(percent)))
            << percent;
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vorpaline 1.38b: bob's gallery done OK"));
    EXPECT_EQ(status(), QString());
    EXPECT_EQ(window->fileProgress(), 0);
    EXPECT_EQ(window->queueProgress(), 0);
    EXPECT_TRUE(speed().startsWith(QStringLiteral("Speed: ")) && speed().endsWith("Kb/s"));
    EXPECT_EQ(state().QueueIndex, 3);
    EXPECT_GT(state().LastFileEnd, 0);
    EXPECT_FALSE(state().DownloadErrors);
    window->removeEventFilter(&titles);
}

TEST_F(DownloaderTest, ShortCaptionWhenTheWindowIsNotNormal)
{
    const SimSubmission a = add(1, QStringLiteral("Alpha"), 100);
    const SimSubmission b = add(2, QStringLiteral("Beta"), 10);
    open();
    window->setWindowState(Qt::WindowMaximized);
    TitleRecorder titles;
    window->installEventFilter(&titles);
    queue({a, b});
    ASSERT_TRUE(run());
    EXPECT_TRUE(titles.titles.contains(QStringLiteral("bob's gallery (50%)")));
    EXPECT_TRUE(titles.titles.contains(QStringLiteral("bob's gallery (100%)")));
    // The end of the folder is always the long form.
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vorpaline 1.38b: bob's gallery done OK"));
    window->removeEventFilter(&titles);
}

TEST_F(DownloaderTest, RefusedFilesAreLoggedAndTheFolderEndsWithErrors)
{
    const SimSubmission a = add(1, QStringLiteral("Alpha"), 100);
    const SimSubmission b = add(2, QStringLiteral("Beta"), 100);
    const SimSubmission c = add(3, QStringLiteral("Gamma"), 100);
    const SimSubmission d = add(4, QStringLiteral("Delta"), 100);
    host.setNotFoundReason("NOT FOUND"); // any letter case
    host.setFault(b.filePath(), GalleryFileHost::Fault::NotFound);
    host.setFault(c.filePath(), GalleryFileHost::Fault::BadRequest);
    host.setFault(d.filePath(), GalleryFileHost::Fault::Forbidden);
    open();
    queue({a, b, c, d});

    ASSERT_TRUE(run());
    const QList<Line> lines = linesSinceStart();
    for (const Line &line : {red("GS said 404 not found on " + b.filePath()),
                             red("GS said 400 bad request on " + c.filePath()),
                             red("GS said 403 forbidden on " + d.filePath())})
        EXPECT_TRUE(lines.contains(line)) << line.text.toStdString();
    EXPECT_EQ(lines.last(), partial(4));
    EXPECT_EQ(window->windowTitle(),
              QStringLiteral("Vorpaline 1.38b: bob's gallery done with errors"));
    EXPECT_TRUE(state().DownloadErrors);
    // An error page is never stored as the submission.
    EXPECT_EQ(savedNames(), QStringList{"Alpha.png"});
    EXPECT_EQ(host.requests().size(), 4); // refusals are not retried
}

TEST_F(DownloaderTest, BusyHostIsAskedAgainAndGivenUpAfterTheLastAttempt)
{
    const SimSubmission a = add(1, QStringLiteral("Alpha"), 100);
    const SimSubmission b = add(2, QStringLiteral("Beta"), 100);
    host.setFault(a.filePath(), GalleryFileHost::Fault::TooManyRequests, 2);
    host.setFault(b.filePath(), GalleryFileHost::Fault::Unavailable);
    open();
    queue({a, b});

    ASSERT_TRUE(run());
    const QString busy = "GS said 429 too many requests on " + a.filePath();
    const QString down = "GS said 503 service unavailable on " + b.filePath();
    QList<Line> expected;
    for (int attempt = 0; attempt < 2; ++attempt)
        expected << retrieving(a, 1, 2) << red(busy);
    expected << retrieving(a, 1, 2) << green("Saved as Alpha.png");
    for (int attempt = 0; attempt < 3; ++attempt)
        expected << retrieving(b, 2, 2) << red(down);
    expected << red("Could not retrieve " + b.filePath().section(u'/', -1) + " (" + down +
                    "), giving up after 3 attempts.")
             << partial(2);
    EXPECT_EQ(linesSinceStart(), expected);
    EXPECT_EQ(readFile(saved("Alpha.png")), a.body);
    EXPECT_FALSE(QFile::exists(saved("Beta.png")));
}

TEST_F(DownloaderTest, UnusualRepliesAreStillSavedWhole)
{
    // Header over several chunks, a body without a size (read until the host
    // closes), and a sized file before it so that no size carries over.
    const SimSubmission a = add(1, QStringLiteral("Alpha"), 5000);
    const SimSubmission b = add(2, QStringLiteral("Beta"), 20000);
    const SimSubmission c = add(3, QStringLiteral("Gamma"), 3000);
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
    struct Case
    {
        const char *name;
        GalleryFileHost::Fault fault;
        QString retryLine;
    };
    const QList<Case> cases = {
        {"closed in the middle of the body", GalleryFileHost::Fault::CloseMidBody,
         "Data socket disconnected. Retry..."},
        {"no reply", GalleryFileHost::Fault::NoReply, "Timed out, trying again."},
        {"silent in the middle of the body", GalleryFileHost::Fault::StallMidBody,
         "Timed out, trying again."},
        {"not an http reply", GalleryFileHost::Fault::NotHttp,
         "Unreadable reply on /art/bob/1.bob.s1.png. Retry..."},
    };
    const SimSubmission a = add(1, QStringLiteral("Alpha"), 40000);
    test.timeouts.replyMs = 300;
    open();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        host.clearFaults();
        host.setFault(a.filePath(), c.fault, 1);
        QFile::remove(saved("Alpha.png"));
        const qsizetype requestsBefore = host.requests().size();
        queue({a});
        ASSERT_TRUE(run());
        const QList<Line> lines = linesSinceStart();
        EXPECT_TRUE(lines.contains(red(c.retryLine)));
        EXPECT_EQ(lines.last(), green("Succesfully retrieved 1 submissions."));
        EXPECT_EQ(readFile(saved("Alpha.png")), a.body);
        EXPECT_EQ(host.requests().size(), requestsBefore + 2);
    }
}

TEST_F(DownloaderTest, UnreachableHostIsGivenUpAfterTheLastAttempt)
{
    const SimSubmission a = add(1, QStringLiteral("Alpha"), 100);
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
        const QList<Line> lines = linesSinceStart();
        ASSERT_GE(lines.size(), 2);
        EXPECT_EQ(countRed(lines, "Data socket error "), 2);
        for (const Line &line : lines)
            EXPECT_TRUE(!line.text.startsWith("Data socket error ") ||
                        line.text.endsWith(". Retry..."))
                << line.text.toStdString();
        const QString givenUp = lines[lines.size() - 2].text;
        EXPECT_TRUE(givenUp.startsWith("Could not retrieve " + a.filePath().section(u'/', -1) +
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
    const SimSubmission a = add(1, QStringLiteral("Tom & Jerry"), 1000);
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

    const auto reports = test.prompts.ofKind(QStringLiteral("error"));
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports[0].title,
              QStringLiteral("Received more data than expected:\r\nRight size: 1000. Got: 1100\r\n"
                             "Tom & Jerry will certainly be screwed."));
    EXPECT_EQ(nestedEvents, 1);
    // Tried again, and the second reply was right.
    EXPECT_EQ(readFile(saved("Tom & Jerry.png")), a.body);
    EXPECT_EQ(host.requests().size(), 2);

    // Always too long: given up, and the final name never appears.
    host.setFault(a.filePath(), GalleryFileHost::Fault::OverLongBody);
    QFile::remove(saved("Tom & Jerry.png"));
    queue({a});
    ASSERT_TRUE(run());
    EXPECT_EQ(test.prompts.ofKind(QStringLiteral("error")).size(), 4);
    EXPECT_FALSE(QFile::exists(saved("Tom & Jerry.png")));
    EXPECT_EQ(linesSinceStart().last(), partial(1));
}

TEST_F(DownloaderTest, SizeLimit)
{
    const QString exact = QStringLiteral("/art/bob/exact.png");
    const QString over = QStringLiteral("/art/bob/over.png");
    const QString bigger = QStringLiteral("/art/bob/big.png");
    host.addGeneratedFile(exact, 1048576);
    host.addGeneratedFile(over, 1048577);
    host.addGeneratedFile(bigger, 3670016);
    open();

    struct Case
    {
        QString limit;
        QStringList savedNames;
        QList<Line> skips;
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
        queue({{exact, "exact"}, {over, "over"}, {bigger, "big"}});
        ASSERT_TRUE(run());
        QList<Line> skips;
        for (const Line &line : linesSinceStart())
            if (line.text.startsWith("Filesize ("))
                skips.append(line);
        EXPECT_EQ(skips, c.skips);
        EXPECT_EQ(savedNames(), c.savedNames);
        EXPECT_FALSE(state().DownloadErrors); // a skip is no error
    }
    EXPECT_EQ(readFile(saved("big.png")).size(), 3670016);
}

TEST_F(DownloaderTest, SizeTextInsideTheBodyRunsTheLimitAgain)
{
    const QByteArray body =
        QByteArray(3000, 'a') + "Content-Length: 100000000\r\n" + QByteArray(3000, 'b');
    const SimSubmission a = add(1, QStringLiteral("Alpha"), 0, QStringLiteral("png"), body);
    host.setPieceSize(2000);
    host.setPieceDelayMs(30); // the size text comes in a body chunk of its own
    open();

    setSizeLimit(QStringLiteral("10"));
    queue({a});
    ASSERT_TRUE(run());
    EXPECT_TRUE(linesSinceStart().contains(skipLine("95.37")));
    EXPECT_FALSE(QFile::exists(saved("Alpha.png")));

    // Without a limit the file is saved whole: the reply's own size completes it.
    setSizeLimit(QString());
    queue({a});
    ASSERT_TRUE(run());
    EXPECT_EQ(readFile(saved("Alpha.png")), body);
}

TEST_F(DownloaderTest, PauseBetweenFilesCountsDownAndFollowsTheSettings)
{
    const SimSubmission a = add(1, QStringLiteral("Alpha"), 100);
    const SimSubmission b = add(2, QStringLiteral("Beta"), 100);
    open();
    ASSERT_EQ(state().LastFileEnd, 0); // nothing has ended yet in this run
    pausing(5, 0);
    queue({a, b});

    QStringList captions;
    QElapsedTimer clock;
    clock.start();
    QList<qint64> requestMs;
    QObject::connect(&host, &GalleryFileHost::requestReceived, window,
                     [&] { requestMs << clock.elapsed(); });
    start();
    ASSERT_TRUE(waitUntil(
        [&] {
            if (status().startsWith(QStringLiteral("Waiting")) &&
                (captions.isEmpty() || captions.last() != status()))
                captions.append(status());
            return finished();
        },
        30000));
    ASSERT_EQ(requestMs.size(), 2);
    EXPECT_LT(requestMs[0], 3000); // at once
    EXPECT_GT(requestMs[1] - requestMs[0], 5000);
    const std::string shown = captions.join(", ").toStdString();
    EXPECT_TRUE(captions.contains(QStringLiteral("Waiting a bit (5s)"))) << shown;
    EXPECT_TRUE(captions.contains(QStringLiteral("Waiting a bit (1s)"))) << shown;
    EXPECT_FALSE(captions.contains(QStringLiteral("Waiting a bit (0s)"))) << shown;
}

TEST_F(DownloaderTest, PauseEndsAtOnceWhenNoWaitIsSwitchedOnAndTheSliderSwitchesItOff)
{
    const SimSubmission a = add(1, QStringLiteral("Alpha"), 100);
    open();
    pausing(60, clockSeconds());
    queue({a});
    start();
    ASSERT_TRUE(downloader().isPausing());
    EXPECT_EQ(status(), QStringLiteral("Waiting a bit (60s)"));
    EXPECT_TRUE(host.requests().isEmpty());

    // The hidden no-wait mode ends the pause.
    state().NoWait = true;
    downloader().pauseSettingsChanged();
    EXPECT_FALSE(downloader().isPausing());
    ASSERT_TRUE(waitUntil([&] { return finished(); }));

    // Moving the slider switches the no-wait mode off again: the next file waits.
    auto *slider = window->findChild<QScrollBar *>(QStringLiteral("Hscr_Delay"));
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

TEST_F(DownloaderTest, PauseSleepsInsteadOfSpinning)
{
    const SimSubmission a = add(1, QStringLiteral("Alpha"), 100);
    open();
    pausing(2, clockSeconds());
    queue({a});

    const auto cpuSeconds = [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    };
    // The event loop sleeps until something happens, as the real one does.
    QEventLoop loop;
    QObject::connect(&host, &GalleryFileHost::requestReceived, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = cpuSeconds();
    downloader().Retrieve();
    ASSERT_TRUE(downloader().isPausing());
    loop.exec();
    const double cpu = cpuSeconds() - cpuBefore;
    const double elapsed = wall.elapsed() / 1000.0;
    ASSERT_EQ(host.requests().size(), 1);
    EXPECT_GT(elapsed, 2.0);
    // A loop that pumps events while it waits would keep a core busy.
    EXPECT_LT(cpu / elapsed, 0.25) << cpu << " s of processor time in " << elapsed << " s";
}

TEST_F(DownloaderTest, AbortStopsThePauseAndTheTransfer)
{
    const SimSubmission a = add(1, QStringLiteral("Alpha"), 100);
    open();
    pausing(5, clockSeconds() - 4.7); // the pause would end within a second
    queue({a});
    downloader().Retrieve();
    ASSERT_TRUE(downloader().isPausing());
    downloader().abort();
    EXPECT_FALSE(downloader().isPausing());
    waitUntil([] { return false; }, 1500);
    EXPECT_TRUE(host.requests().isEmpty());
}

TEST_F(DownloaderTest, StorageFailuresMoveOnWithoutLooping)
{
    const SimSubmission a = add(1, QString(300, u'x'), 100); // a name too long for any disk
    const SimSubmission b = add(2, QStringLiteral("Beta"), 100);
    const SimSubmission c = add(3, QStringLiteral("Gamma"), 100);
    open();

    // Refused name: stored once as "Badfilename".
    queue({a, b});
    ASSERT_TRUE(run());
    EXPECT_TRUE(linesSinceStart().contains(green("Saved as Badfilename")));
    EXPECT_EQ(readFile(saved("Badfilename")), a.body);
    EXPECT_FALSE(state().DownloadErrors);

    // "Badfilename" refused as well: a red line and the next file.
    QFile::remove(saved("Badfilename"));
    ASSERT_TRUE(QDir(folder).mkpath(QStringLiteral("Badfilename/inside")));
    queue({a, b});
    ASSERT_TRUE(run());
    QList<Line> lines = linesSinceStart();
    EXPECT_EQ(countRed(lines, "Could not save "), 1);
    EXPECT_TRUE(lines.contains(green("Saved as Beta.png")));
    EXPECT_EQ(lines.last(), partial(2));

    // The download folder is gone.
    state().DownloadErrors = false;
    queue({b, c});
    state().DownloadFolder = test.path(QStringLiteral("missing/folder"));
    ASSERT_TRUE(run());
    lines = linesSinceStart();
    EXPECT_EQ(countRed(lines, "Could not save "), 2);
    EXPECT_EQ(lines.last(), partial(2));

    // The temporary file cannot be written.
    state().DownloadErrors = false;
    QFile::remove(downloader().temporaryFilePath());
    ASSERT_TRUE(QDir(test.folder.path()).mkpath(QStringLiteral("downloading.dat/inside")));
    queue({b, c});
    ASSERT_TRUE(run());
    EXPECT_EQ(countRed(linesSinceStart(), "Could not write "), 2);
    EXPECT_EQ(host.requests().size(), 8); // each file asked for once
}

TEST_F(DownloaderTest, FullDiskGivesARedLineAndTheNextFile)
{
    const SimSubmission a = add(1, QStringLiteral("Alpha"), 200000);
    const SimSubmission b = add(2, QStringLiteral("Beta"), 1000);
    open();
    queue({a, b});
    bool done = false;
    {
        const FileSizeLimit limit(64 * 1024);
        done = run();
    }
    ASSERT_TRUE(done);
    const QList<Line> lines = linesSinceStart();
    EXPECT_GE(countRed(lines, "Could not write "), 1);
    EXPECT_EQ(readFile(saved("Beta.png")), b.body);
    EXPECT_FALSE(QFile::exists(saved("Alpha.png")));
    EXPECT_EQ(lines.last(), partial(2));
}
