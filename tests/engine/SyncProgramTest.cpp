#include "GalleryContent.h"
#include "GalleryFileHost.h"
#include "GalleryPageHost.h"
#include "TestWaits.h"
#include "app/SiteConfig.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <unistd.h>

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
class SyncSite
{
public:
    QTemporaryDir folder;
    GalleryContent content;
    GalleryPageHost pages{content, SiteConfig::builtIn().fileHost};
    GalleryFileHost files{content};

    SyncSite()
    {
        if (!pages.listen() || !files.listen())
            throw std::runtime_error("the simulated site cannot listen");
    }

    SimSubmission add(const QString &user, const QString &folderName, const QString &title)
    {
        SimUser entry = m_users.value(user, SimUser{user, {}, {}, {}});
        const QString ext = folderName == "gallery"_L1 ? u"png"_s : u"jpg"_s;
        const SimSubmission item = GalleryContent::make(++m_id, user, u"work"_s, ext, title);
        (folderName == "gallery"_L1 ? entry.gallery : entry.scraps).append(item);
        m_users.insert(user, entry);
        content.addUser(entry);
        return item;
    }

    // A settings file of the given lines after the version line.
    void writeSettings(const QStringList &lines, const QString &version = u"130"_s)
    {
        QDir(folder.path()).mkpath(u"art"_s);
        QFile file(path(u"vorpl.dat"_s));
        file.open(QIODevice::WriteOnly);
        file.write((QStringList{version} + lines).join("\r\n"_L1).toUtf8() + "\r\n");
    }
    QString path(const QString &relative) const { return folder.filePath(relative); }

    std::unique_ptr<QProcess> start(const QStringList &arguments)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const SiteConfig site = SiteConfig::builtIn();
        env.insert(u"VORPALINE_SYNC_HOSTS"_s, u"%1=127.0.0.1:%2,%3=127.0.0.1:%4"_s.arg(
                                                  site.pageHost, QString::number(pages.port()),
                                                  site.fileHost, QString::number(files.port())));
        process->setProcessEnvironment(env);
        process->start(QStringLiteral(VORPALINE_SYNC_BINARY),
                       QStringList{u"--settings"_s, path(u"vorpl.dat"_s)} + arguments);
        process->waitForStarted();
        return process;
    }

    // The sites answer from this thread: events are pumped while the program runs.
    static Finished finish(QProcess &process, int timeoutMs = 30000)
    {
        if (!waitUntil([&] { return process.state() == QProcess::NotRunning; }, timeoutMs)) {
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
    Finished run(const QStringList &arguments) { return finish(*start(arguments)); }

    // Files under the download folder, by relative path.
    QStringList saved() const
    {
        QStringList result;
        QDirIterator it(folder.filePath(u"art"_s), QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            result.append(QDir(folder.filePath(u"art"_s)).relativeFilePath(it.next()));
        result.sort();
        return result;
    }

private:
    QMap<QString, SimUser> m_users;
    int m_id = 500;
};

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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

TEST(SyncProgram, SyncOfTwoUsersSavesTheirFilesWithTheWindowsLogLines)
{
    SyncSite site;
    site.add(u"alice"_s, u"gallery"_s, u"First &amp; best"_s);
    site.add(u"bob"_s, u"scraps"_s, u"Sketch"_s);
    site.writeSettings(userLines(u"alice bob+"_s) +
                       QStringList{u"delay=5"_s, u"savepath="_s + site.path(u"art"_s)});

    const QByteArray settings = contents(site.path(u"vorpl.dat"_s));
    const Finished run = site.run({});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out,
              (QStringList{
                  u"Listing alice's gallery..."_s, u"Parsing page 1. Submissions found: 0"_s,
                  u"Found 1 submissions on 1 page(s)."_s,
                  u"Retrieving 501.alice.work.png (1/1)..."_s, u"Saved as First & best.png"_s,
                  u"Succesfully retrieved 1 submissions."_s, u"Listing bob's gallery..."_s,
                  u"No submissions to download."_s, u"Listing bob's scraps..."_s,
                  u"Parsing page 1. Submissions found: 0"_s, u"Found 1 submissions on 1 page(s)."_s,
                  u"Retrieving 502.bob.work.jpg (1/1)..."_s, u"Saved as Sketch.jpg"_s,
                  u"Succesfully retrieved 1 submissions."_s, u"Synching done."_s}));
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_EQ(site.saved(),
              (QStringList{u"alice-gallery/First & best.png"_s, u"bob-scraps/Sketch.jpg"_s}));
    EXPECT_FALSE(QFile::exists(site.path(u"downloading.dat"_s)));
    // The settings file is read, never written.
    EXPECT_EQ(contents(site.path(u"vorpl.dat"_s)), settings);
}

TEST(SyncProgram, ExitStatusTellsWhatHappened)
{
    SyncSite site;
    site.add(u"alice"_s, u"gallery"_s, u"Piece"_s);
    struct Case
    {
        const char *name;
        QStringList settings; // empty: no settings file
        QString version;
        QStringList arguments;
        int status;
        QString message; // on standard error (or standard output for a log line)
    };
    const QString art = u"savepath="_s + site.path(u"art"_s);
    const QList<Case> cases{
        {"missing user in a Sync",
         userLines(u"ghost alice"_s) << art,
         u"130"_s,
         {},
         1,
         u"User ghost doesn't exist"_s},
        {"missing user in a Get",
         {art},
         u"130"_s,
         {u"--get"_s, u"Ghost"_s},
         1,
         u"User ghost doesn't exist"_s},
        {"Get of a user",
         {art},
         u"130"_s,
         {u"--get"_s, u"ALICE"_s},
         0,
         u"Listing alice's gallery..."_s},
        {"incompatible file",
         userLines(u"alice"_s),
         u"131"_s,
         {},
         2,
         u"vorpl.dat might be incompatible with this version"_s},
        {"no settings file", {}, {}, {}, 2, u"vorpl.dat does not exist"_s},
        {"usage", {art}, u"130"_s, {u"--scraps"_s}, 2, u"go with --get"_s},
        {"nothing to get",
         {art},
         u"130"_s,
         {u"--get"_s, u"alice"_s, u"--no-gallery"_s},
         2,
         u"leaves nothing to get"_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(site.path(u"vorpl.dat"_s));
        QDir(site.path(u"art"_s)).removeRecursively();
        if (!c.version.isEmpty())
            site.writeSettings(c.settings, c.version);
        const Finished run = site.run(c.arguments);
        EXPECT_EQ(run.status, c.status) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.message) || run.out.contains(c.message))
            << run.err.toStdString();
        if (c.status == 2 && c.arguments.isEmpty()) {
            EXPECT_TRUE(run.err.contains(site.path(u"vorpl.dat"_s))) << "names the file";
        }
    }
    if (geteuid() != 0) {
        site.writeSettings(userLines(u"alice"_s));
        QFile::setPermissions(site.path(u"vorpl.dat"_s), QFileDevice::WriteOwner);
        const Finished run = site.run({});
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains(u"cannot read settings file "_s + site.path(u"vorpl.dat"_s)));
    }
}

TEST(SyncProgram, SigtermDropsTheFileInProgressAndTheLockKeepsOneRunPerFolder)
{
    SyncSite site;
    const SimSubmission slow = site.add(u"alice"_s, u"gallery"_s, u"Slow"_s);
    site.files.addGeneratedFile(slow.filePath(), 4'000'000);
    site.files.setFault(slow.filePath(), GalleryFileHost::Fault::StallMidBody);
    site.writeSettings(userLines(u"alice"_s) << u"savepath="_s + site.path(u"art"_s));
    const QString temporary = site.path(u"downloading.dat"_s);
    const auto stalled = [&] {
        return waitUntil([&] { return QFileInfo(temporary).size() > 0; }, 20000);
    };

    auto first = site.start({});
    ASSERT_TRUE(stalled());
    const Finished second = site.run({u"--get"_s, u"alice"_s});
    EXPECT_EQ(second.status, 2);
    EXPECT_TRUE(second.err.contains(u"vorpl.lock"_s)) << second.err.toStdString();

    ::kill(pid_t(first->processId()), SIGTERM);
    const Finished stopped = SyncSite::finish(*first);
    EXPECT_EQ(stopped.status, 143);
    EXPECT_FALSE(QFile::exists(temporary));
    EXPECT_EQ(site.saved(), QStringList()) << "no partial file at a final name";

    // The lock of a run that was killed outright is taken over.
    auto killed = site.start({});
    ASSERT_TRUE(stalled());
    ::kill(pid_t(killed->processId()), SIGKILL);
    SyncSite::finish(*killed);
    site.files.clearFaults();
    const Finished next = site.run({});
    EXPECT_EQ(next.status, 0) << next.err.toStdString();
    EXPECT_EQ(site.saved(), QStringList{u"alice-gallery/Slow.png"_s});
}
