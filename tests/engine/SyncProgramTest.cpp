#include "TestEngine.h"

#include "archive/ArchiveRules.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <csignal>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

struct Finished
{
    int status = -1;
    QStringList out;
    QString err;
};

// The simulated site on loopback and a folder holding the settings file; the
// program under test is sent to the site through its host seam.
struct SyncSite : TestEnvironment, TestSite
{
    SyncSite() { listen(*this, QStringLiteral(BUILT_FILE_HOST)); }

    // A settings file of the given lines after the version line.
    void writeLines(const QStringList &lines, const QString &version = u"130"_s)
    {
        QDir(folder.path()).mkpath(u"art"_s);
        writeSettings((QStringList{version} + lines).join("\r\n"_L1).toUtf8() + "\r\n");
    }
    using Adjust = std::function<void(QProcess &, QProcessEnvironment &)>;
    std::unique_ptr<QProcess> start(const QStringList &arguments, const QString &settings = {},
                                    const Adjust &adjust = {}, bool nohup = false)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (adjust)
            adjust(*process, env);
        // Host names in any case.
        env.insert(u"VORPALINE_SYNC_HOSTS"_s, u"%1=127.0.0.1:%2,%3=127.0.0.1:%4"_s
                                                  .arg(QStringLiteral(BUILT_PAGE_HOST).toUpper())
                                                  .arg(pages->port())
                                                  .arg(QStringLiteral(BUILT_FILE_HOST))
                                                  .arg(files->port()));
        process->setProcessEnvironment(env);
        // As from a terminal, whatever this run ignores (nohup, a background job).
        process->setChildProcessModifier(
            [nohup] { ::signal(SIGHUP, nohup ? SIG_IGN : SIG_DFL), ::signal(SIGINT, SIG_DFL); });
        process->start(
            QStringLiteral(VORPALINE_SYNC_BINARY),
            QStringList{u"--settings"_s, settings.isEmpty() ? path(u"vorpl.dat"_s) : settings} +
                arguments);
        process->waitForStarted();
        return process;
    }
    // The sites answer from this thread: events are pumped while the program runs.
    static Finished finish(QProcess &process)
    {
        if (!waitUntil([&] { return process.state() == QProcess::NotRunning; }, 30000)) {
            process.kill(); // a run that hangs is a failure, not a success
            process.waitForFinished();
        }
        Finished result;
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n');
        result.out.removeAll(QString());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }
    Finished run(const QStringList &arguments, const QString &settings = {})
    {
        return finish(*start(arguments, settings));
    }
    // Files under the download folder, by relative path.
    QStringList saved() const
    {
        QStringList result;
        QDirIterator it(path(u"art"_s), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            result.append(QDir(path(u"art"_s)).relativeFilePath(it.next()));
        result.sort();
        return result;
    }
};

// "alice bob+": settings lines for alice, and for bob with his scraps.
QStringList userLines(const QString &users)
{
    QStringList lines;
    for (const QString &user : users.split(u' ')) {
        const bool scraps = user.endsWith(u'+');
        lines << u"username="_s + user.chopped(scraps ? 1 : 0)
              << u"getscraps="_s + (scraps ? u"True"_s : u"False"_s);
    }
    return lines;
}

} // namespace

// The naming, layout and favorites settings of the file apply as in the window.
TEST(SyncProgram, PrintsTheWindowsLogLines)
{
    SyncSite site;
    site.addUser(u"alice"_s, 1);
    site.addUser(u"bob"_s, 0, 0, 1);
    site.writeLines(userLines(u"alice bob"_s)
                    << u"getfavs=1"_s << u"namemode=2"_s << u"foldermode=0"_s << u"commonfavs=0"_s
                    << u"delay=5"_s << u"shutdown=1"_s << u"savepath="_s + site.path(u"art"_s));
    const QByteArray settings = readFile(site.path(u"vorpl.dat"_s));
    Finished run = site.run({});
    const QString summary = run.out.isEmpty() ? QString() : run.out.takeLast();
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out,
              u"Listing alice's gallery...|Parsing page 1. Submissions found: 0|Found 1 "
              u"submissions on 1 page(s).|Retrieving 1000.alice.work.png (1/1)...|Saved as "
              u"alice - Gallery piece 1.png|Succesfully retrieved 1 submissions.|Listing bob's "
              u"gallery...|No submissions to download.|Listing bob's favorites...|Parsing page 1. "
              u"Submissions found: 0|Found 1 submissions on 1 page(s).|Retrieving "
              u"1001.otherartist.fav.gif "
              u"(1/1)...|Saved as bob - Favorite 1.gif|Succesfully retrieved 1 "
              u"submissions.|Synching done."_s.split(u'|'));
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_TRUE(site.pages->requests().first().contains("\r\nHost: " BUILT_PAGE_HOST_ALIAS "\r\n"));
    EXPECT_EQ(site.saved(), (QStringList{u"alice/gallery/alice - Gallery piece 1.png"_s,
                                         u"bob/favorites/bob - Favorite 1.gif"_s}));
    EXPECT_FALSE(QFile::exists(site.path(u"downloading.dat"_s)));
    EXPECT_EQ(readFile(site.path(u"vorpl.dat"_s)), settings); // read, never written

    // One line after the window's last sums the run up; the next run finds both files there.
    qint64 bytes = 0;
    for (const QString &saved : site.saved())
        bytes += QFileInfo(site.path(u"art/"_s + saved)).size();
    const QRegularExpression shape(u"^Summary: users listed: 2, folders: 3, (.*), failed: 0, users "
                                   "missing: 0, duration: \\d+ s$"_s);
    EXPECT_EQ(shape.match(summary).captured(1),
              u"files saved: 2 (%1 bytes), already there: 0"_s.arg(bytes));
    EXPECT_EQ(shape.match(site.run({}).out.join(u'\n').section(u'\n', -1)).captured(1),
              u"files saved: 0 (0 bytes), already there: 2"_s);
}

TEST(SyncProgram, ExitStatusTellsWhatHappened)
{
    SyncSite site;
    site.addUser(u"alice"_s, 1);
    const QString art = u"savepath="_s + site.path(u"art"_s);
    enum Scene
    {
        Plain,
        LostPage,
        FolderTaken,
        EmptyFile,
        LockTaken, // a folder where the lock goes
        LockLinked // a link there, to nothing
    };
    const QString fifo = site.path(u"fifo"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Settings lines and version (none: no settings file), arguments, what goes wrong, the exit
    // status, a message on standard error or output and a part of the run's summary; refused
    // runs end at once, without the lock or a summary. The last rows name another settings file.
    // clang-format off
    const std::tuple<QStringList, QString, QStringList, Scene, int, QString, QString> cases[] = {
        {userLines(u"ghost alice"_s) << art, u"130"_s, {}, Plain, 3, u"User ghost doesn't exist"_s, u"listed: 2, folders: 2, files saved: 1"_s},
        {userLines(u"ghost alice"_s) << art, u"130"_s, {}, LostPage, 1, u"User ghost doesn't exist"_s, u"failed: 1, users missing: 1"_s},
        {userLines(u".. alice"_s) << art, u"130"_s, {}, Plain, 1, u"Skipping user \"..\""_s, u"failed: 1, users missing: 0"_s},
        {userLines(u"alice"_s) << art, u"130"_s, {}, LostPage, 1, u"Could not list page 1 of alice's gallery"_s, u"files saved: 0 (0 bytes)"_s},
        {userLines(u"alice"_s) << art, u"130"_s, {}, FolderTaken, 1, u"Could not create the download folder"_s, u"failed: 1,"_s},
        {{}, u"130"_s, {}, EmptyFile, 2, u"is empty: there are no users to sync"_s, {}},
        {{art}, u"130"_s, {u"--get"_s, u"Ghost"_s}, Plain, 3, u"User ghost doesn't exist"_s, u"users listed: 1, folders: 1,"_s},
        {{art}, u"130"_s, {u"--get"_s, u"ALICE"_s, u"--scraps"_s}, Plain, 0, u"Listing alice's scraps..."_s, u"folders: 2, files saved: 1"_s},
        {userLines(u"alice"_s), u"131"_s, {}, Plain, 2, u"vorpl.dat might be incompatible with this version"_s, {}},
        {{}, {}, {}, Plain, 2, u"vorpl.dat does not exist"_s, {}},
        {{art}, u"130"_s, {u"--scraps"_s}, Plain, 2, u"go with --get"_s, {}},
        {{art}, u"130"_s, {u"--get"_s, u"alice"_s, u"--no-gallery"_s}, Plain, 2, u"leaves nothing to get"_s, {}},
        {{art}, u"130"_s, {u"--get"_s, u".."_s}, Plain, 2, u"User names cannot"_s, {}},
        {{art}, u"130"_s, {u"--get"_s, u"a\tb"_s}, Plain, 2, u"User names cannot"_s, {}},
        {{art}, u"130"_s, {u"--get"_s, u"ab cd"_s}, Plain, 2, u"User names cannot hold blanks."_s, {}},
        {{art}, u"130"_s, {u"--get"_s, u"a"_s, u"--add-user"_s, u"b"_s}, Plain, 2, u"go one at a time"_s, {}},
        {{art}, u"130"_s, {u"--remove-user"_s, u"a"_s, u"--scraps"_s}, Plain, 2, u"--remove-user nothing more"_s, {}},
        {{art}, u"130"_s, {u"--list-users"_s, u"--dry-run"_s}, Plain, 2, u"--dry-run goes with a Sync"_s, {}},
        {{art}, u"130"_s, {u"--export-archive"_s, u"--get"_s, u"alice"_s}, Plain, 2, u"goes without --get"_s, {}},
        {userLines(u"alice"_s) << art, u"130"_s, {}, LockTaken, 2, u"vorpl.lock: it is a folder, not a file."_s, {}},
        {userLines(u"alice"_s) << art, u"130"_s, {}, LockLinked, 2, u"vorpl.lock: it is a link, not a file."_s, {}},
        {userLines(u"alice"_s) << art, u"130"_s, {}, Plain, 2, u"art: it is a folder, not a file"_s, {}},
        {userLines(u"alice"_s) << art, u"130"_s, {}, Plain, 2, u"zero: it is a device, not a file"_s, {}},
        {userLines(u"alice"_s) << art, u"130"_s, {}, Plain, 2, u"fifo: it is a FIFO, not a file"_s, {}},
    };
    const QString otherFiles[] = {site.path(u"art"_s), u"/dev/zero"_s, fifo};
    int row = 0;
    // clang-format on
    for (const auto &[settings, version, arguments, scene, status, message, summary] : cases) {
        SCOPED_TRACE(message.toStdString());
        QFile::remove(site.path(u"vorpl.dat"_s));
        QDir(site.path(u"art"_s)).removeRecursively();
        if (!version.isEmpty())
            site.writeLines(settings, version);
        if (scene == LostPage)
            site.pages->dropNext(4, u"/gallery/alice/1"_s); // the first try and every retry
        if (scene == FolderTaken)
            writeFile(site.path(u"art/alice-gallery"_s), "mine");
        if (scene == EmptyFile)
            site.writeSettings({});
        const QString lock = site.path(u"vorpl.lock"_s);
        if (scene == LockTaken)
            QDir().mkpath(lock);
        if (scene == LockLinked)
            QFile::link(site.path(u"elsewhere"_s), lock);
        const int other = row++ - int(std::size(cases)) + int(std::size(otherFiles));
        const Finished run = site.run(arguments, other >= 0 ? otherFiles[other] : QString());
        EXPECT_EQ(run.status, status) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(message) || run.out.join(u'\n').contains(message))
            << run.err.toStdString();
        const QString last = run.out.value(run.out.size() - 1);
        EXPECT_EQ(last.startsWith(u"Summary: "_s), status != 2) << last.toStdString();
        EXPECT_TRUE(last.contains(summary)) << last.toStdString();
        EXPECT_TRUE(status != 2 || !arguments.isEmpty() || scene >= LockTaken || other >= 0 ||
                    run.err.contains(site.path(u"vorpl.dat"_s)))
            << "names the file";
        EXPECT_EQ(QFileInfo::exists(lock), scene == LockTaken)
            << "released, not written through a link";
        QDir().rmdir(lock), QFile::remove(lock);
    }
}

// For the journal (only when standard output is the stream it names) and for log files.
TEST(SyncProgram, LinesCarryPriorityAndTimeWhenAsked)
{
    SyncSite site;
    site.addUser(u"alice"_s, 1);
    site.writeLines(userLines(u"ghost alice"_s) << u"savepath="_s + site.path(u"art"_s));
    const QString out = site.path(u"out.txt"_s), time = u"\\d{4}(-\\d\\d){2}T\\d\\d(:\\d\\d){2}"_s;
    writeFile(out, {});
    struct stat file = {};
    ASSERT_EQ(::stat(QFile::encodeName(out).constData(), &file), 0);
    // Arguments, whether JOURNAL_STREAM names the output (or another file), the time zone,
    // whether alice's page is lost, and the whole output.
    // clang-format off
    const std::tuple<QStringList, bool, QString, bool, QString> rows[] = {
        {{}, true, u"UTC0"_s, false, u"<6>Listing ghost's gallery\\.\\.\\.\n<3>User ghost doesn't exist.*\n(<[356]>.*\n)*<5>Synching done\\.\n<5>Summary: .*\n"_s},
        {{u"--quiet"_s}, true, u"UTC0"_s, true, u"<3>User ghost .*\n(<3>.*\n)*<3>Summary: .*failed: 1.*\n"_s},
        {{u"--timestamps"_s}, true, u"XYZ-05:30"_s, false, u"(<[356]>"_s + time + u"\\+05:30 [LPFRSU].*\n)+"_s},
        {{u"--timestamps"_s, u"--quiet"_s}, false, u"XYZ+03:00"_s, false, time + u"-03:00 User ghost.*\n"_s + time + u"-03:00 Summary: .*\n"_s},
    };
    // clang-format on
    for (const auto &[arguments, journal, zone, lostPage, expected] : rows) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        if (lostPage)
            site.pages->dropNext(4, u"/gallery/alice/1"_s);
        QDir(site.path(u"art/alice-gallery"_s)).removeRecursively();
        SyncSite::finish(*site.start(arguments, {}, [&](QProcess &process, auto &env) {
            process.setStandardOutputFile(out, QIODevice::Truncate);
            env.insert(u"JOURNAL_STREAM"_s,
                       u"%1:%2"_s.arg(file.st_dev).arg(file.st_ino + !journal));
            env.insert(u"TZ"_s, zone);
        }));
        const QString printed = QString::fromUtf8(readFile(out));
        const QRegularExpression whole(QRegularExpression::anchoredPattern(expected));
        EXPECT_TRUE(whole.match(printed).hasMatch()) << printed.toStdString();
    }
}

// An ended process reads 0: a signal to 0 would reach the test runner too.
static void sendSignal(const QProcess &process, int signal)
{
    if (const qint64 pid = process.processId(); pid > 0)
        ::kill(pid_t(pid), signal);
}

static void stallOneFile(SyncSite &site)
{
    site.addUser(u"alice"_s, 1);
    const QString slow = site.submission(u"alice"_s, u"gallery"_s, 0).filePath();
    site.files->addGeneratedFile(slow, 4'000'000);
    site.files->setFault(slow, GalleryFileHost::Fault::StallMidBody);
    site.writeLines(userLines(u"alice"_s) << u"savepath="_s + site.path(u"art"_s));
}

TEST(SyncProgram, AStoppedRunLeavesNoPartialFile)
{
    SyncSite site;
    stallOneFile(site);
    const QString temporary = site.path(u"downloading.dat"_s);
    const auto stalled = [&] { return waitUntil([&] { return QFileInfo(temporary).size() > 0; }); };

    // A closed terminal, Ctrl-C, SIGTERM, and under nohup SIGHUP then SIGTERM; a second run is
    // refused while the first holds the folder, a dry run is not. Lines are out as they happen.
    const std::tuple<int, bool, int> rows[] = {
        {SIGHUP, false, 129}, {SIGINT, false, 130}, {SIGTERM, false, 143}, {SIGHUP, true, 143}};
    for (const auto &[signal, nohup, status] : rows) {
        SCOPED_TRACE(signal);
        auto first = site.start({}, {}, {}, nohup);
        const auto pid = pid_t(first->processId()); // taken now: once it has ended it reads 0
        ASSERT_TRUE(stalled());
        QByteArray out;
        EXPECT_TRUE(waitUntil(
            [&] { return (out += first->readAllStandardOutput()).contains("Retrieving "); }));
        if (nohup)
            ::kill(pid, signal); // ignored: the run goes on
        const Finished second = site.run({u"--get"_s, u"alice"_s});
        EXPECT_TRUE(second.status == 2 && second.err.contains(u"vorpl.lock"_s))
            << second.err.toStdString();
        EXPECT_EQ(site.run({u"--dry-run"_s}).status, 0);
        ::kill(pid, nohup ? SIGTERM : signal);
        EXPECT_EQ(SyncSite::finish(*first).status, status);
        EXPECT_FALSE(QFile::exists(temporary));
        EXPECT_FALSE(QFile::exists(site.path(u"vorpl.lock"_s)));
        EXPECT_EQ(site.saved(), QStringList()) << "no partial file at a final name";
    }

    // The lock of a run that was killed outright is taken over.
    auto killed = site.start({});
    ASSERT_TRUE(stalled());
    sendSignal(*killed, SIGKILL);
    SyncSite::finish(*killed);
    site.files->clearFaults();
    const Finished next = site.run({});
    EXPECT_EQ(next.status, 0) << next.err.toStdString();
    EXPECT_EQ(site.saved(), QStringList{u"alice-gallery/Gallery piece 1.png"_s});
}

namespace {

QString sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// A run pauses five seconds or more between files: each run fetches one file
// at most. Five submissions on two pages, four of them on disk already.
void placeFiles(SyncSite &site, int from, int to)
{
    QDir().mkpath(site.path(u"art/alice-gallery"_s));
    for (int i = from; i < to; ++i)
        writeFile(site.path(u"art/alice-gallery/Gallery piece %1.png"_s.arg(i + 1)),
                  site.submission(u"alice"_s, u"gallery"_s, i).body);
}

} // namespace

TEST(SyncProgram, AStoppedRunsPartIsResumedByTheNext)
{
    SyncSite site;
    stallOneFile(site);
    site.files->setRanges({true, "\"v1\"", {}});
    auto first = site.start({u"--resume"_s});
    ASSERT_TRUE(waitUntil([&] { return QFileInfo(site.path(u"downloading.dat"_s)).size() > 0; }));
    sendSignal(*first, SIGTERM);
    EXPECT_EQ(SyncSite::finish(*first).status, 143);
    site.files->clearFaults();
    const Finished next = site.run({u"--resume"_s});
    EXPECT_TRUE(next.out.join(u'\n').contains(u"Resuming from byte "_s)) << next.err.toStdString();
    const QByteArray body = readFile(site.path(u"art/alice-gallery/Gallery piece 1.png"_s));
    EXPECT_EQ(body.size(), 4'000'000);
    EXPECT_TRUE(site.run({u"--export-archive"_s}).out.join(u'\n').contains(sha256(body)));
}

// The files on disk fill the archive, the one fetched joins them; then the first
// file is deleted before each run of the table. A dry run reads the archive and
// writes none.
TEST(SyncProgram, ArchiveSwitchesAndExport)
{
    SyncSite site;
    site.addUser(u"alice"_s, 5);
    SimUser alice = *site.content.user(u"alice"_s);
    alice.gallery[0].rating = u"adult"_s, alice.gallery[2].rating = u"mature"_s;
    site.content.addUser(alice);
    site.writeLines(userLines(u"alice"_s) << u"savepath="_s + site.path(u"art"_s));
    placeFiles(site, 1, 5);
    const QString archive = site.path(ArchiveFileName), ini = site.path(u"vorpaline.ini"_s);
    EXPECT_EQ(site.run({u"--dry-run"_s}).status, 0);
    EXPECT_FALSE(QFile::exists(archive));
    const Finished none = site.run({u"--export-archive"_s});
    EXPECT_EQ(std::pair(none.status, none.out), std::pair(0, QStringList()));
    // A damaged archive is moved aside, one red line, and the run goes on.
    writeFile(archive, QByteArray(8192, 'x'));
    const Finished damaged = site.run({});
    EXPECT_EQ(damaged.status, 0);
    EXPECT_EQ(damaged.out.filter(u"was damaged"_s).size(), 1);
    EXPECT_EQ(QDir(site.path({})).entryList({ArchiveFileName + u".damaged-*"_s}).size(), 1);
    EXPECT_EQ(site.files->requests().size(), 1);
    const Finished exported = site.run({u"--export-archive"_s});
    EXPECT_EQ(exported.status, 0);
    ASSERT_EQ(exported.out.size(), 5);
    for (const QString &line : exported.out) {
        const QJsonObject row = QJsonDocument::fromJson(line.toUtf8()).object();
        const SimSubmission *sub = site.content.fileAt(QUrl(row[u"url"_s].toString()).path());
        ASSERT_TRUE(sub) << line.toStdString();
        const QString title = u"Gallery piece %1"_s.arg(sub->id - 999);
        const QDateTime stored = QDateTime::fromString(row[u"stored"_s].toString(), Qt::ISODate);
        EXPECT_TRUE(stored.isValid() && qAbs(stored.secsTo(QDateTime::currentDateTimeUtc())) < 600);
        EXPECT_EQ(line, exportLine({sub->id, u"alice"_s, u"gallery"_s, sub->rating, title,
                                    row[u"url"_s].toString(),
                                    site.path(u"art/alice-gallery/"_s + title + u".png"_s),
                                    sub->body.size(), sha256(sub->body), stored}));
    }

    const QString first = site.path(u"art/alice-gallery/Gallery piece 1.png"_s);
    const QString inArchive = u"Skipping \"Gallery piece 1\": In the archive"_s;
    const QString quick = u"Quick sync: page %1 of alice's gallery holds nothing new: its later "
                          u"pages are not listed."_s;
    const QString saved = u"Saved as Gallery piece 1.png"_s;
    // Arguments, vorpaline.ini, page requests, the first file back, a line. The
    // last row puts a new submission on top: a quick Sync lists one page more.
    // clang-format off
    const std::tuple<QStringList, QByteArray, int, bool, QString> cases[] = {
        {{}, {}, 3, true, saved},
        {{u"--skip-archived"_s}, {}, 3, false, inArchive},
        {{u"--quick"_s}, {}, 1, true, quick.arg(1)},
        {{u"--dry-run"_s, u"--skip-archived"_s}, {}, 3, false, inArchive},
        {{}, "[archive]\nskipArchived=true\nquickSync=true\n", 1, false, quick.arg(1)},
        {{}, "[archive]\nskipArchived=1\nquickSync=on\n", 3, true, saved},
        {{u"--quick"_s, u"--skip-archived"_s}, {}, 2, false, quick.arg(2)},
    };
    // clang-format on
    for (const auto &[arguments, switches, pages, restored, line] : cases) {
        SCOPED_TRACE(line.toStdString() + switches.toStdString());
        QFile::remove(first);
        QFile::remove(ini);
        if (!switches.isEmpty())
            writeFile(ini, switches);
        if (pages == 2) {
            alice.gallery.prepend(
                GalleryContent::make(50, u"alice"_s, u"new"_s, u"png"_s, u"New"_s));
            site.content.addUser(alice);
        }
        const qsizetype asked = site.pages->requests().size();
        const Finished run = site.run(arguments);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(site.pages->requests().size() - asked, pages);
        EXPECT_EQ(QFile::exists(first), restored);
        EXPECT_TRUE(run.out.contains(line)) << run.out.join(u'\n').toStdString();
    }
    // A file the archive holds is not read again.
    const QStringList before = site.run({u"--export-archive"_s}).out.filter(u"piece 2"_s);
    ASSERT_EQ(before.size(), 1);
    writeFile(site.path(u"art/alice-gallery/Gallery piece 2.png"_s), "changed");
    ASSERT_EQ(site.run({}).status, 0);
    EXPECT_EQ(site.run({u"--export-archive"_s}).out.filter(u"piece 2"_s), before);
}

// Killed outright while listing, while fetching and right after a file is
// stored: the archive opens and each row's file is there.
TEST(SyncProgram, AKilledRunLeavesTheArchiveConsistent)
{
    SyncSite site;
    site.addUser(u"alice"_s, 5);
    site.files->setPieceSize(100);
    site.files->setPieceDelayMs(20);
    site.pages->setPieceDelayMs(20);
    site.writeLines(userLines(u"alice"_s) << u"savepath="_s + site.path(u"art"_s));
    for (const char *point : {"Parsing page 1", "Retrieving ", "Saved as "}) {
        SCOPED_TRACE(point);
        QDir(site.path(u"art"_s)).removeRecursively();
        for (const QString &file : QDir(site.path({})).entryList({ArchiveFileName + u"*"_s}))
            QFile::remove(site.path(file));
        placeFiles(site, 1, 5);
        auto run = site.start({});
        QByteArray out;
        EXPECT_TRUE(
            waitUntil([&] { return (out += run->readAllStandardOutput()).contains(point); }));
        sendSignal(*run, SIGKILL);
        SyncSite::finish(*run);
        const Finished exported = site.run({u"--export-archive"_s});
        EXPECT_EQ(std::pair(exported.status, exported.err), std::pair(0, QString()));
        for (const QString &line : exported.out) {
            const QJsonObject row = QJsonDocument::fromJson(line.toUtf8()).object();
            EXPECT_EQ(sha256(readFile(row[u"path"_s].toString())), row[u"sha256"_s].toString());
        }
    }
    EXPECT_EQ(site.run({}).status, 0);
    EXPECT_EQ(site.run({u"--export-archive"_s}).out.size(), 5);
}
