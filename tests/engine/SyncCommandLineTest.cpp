#include "SyncProcess.h"

#include <csignal>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

// Runs that cannot start end at once with status 2, saying why, and leave no lock.
TEST(SyncCommandLine, RefusedRunsEndAtOnceAndReleaseTheLock)
{
    SyncProcess site({u"username=alice"_s});
    site.addUser(u"alice"_s, 1);
    const QString fifo = site.path(u"fifo"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Arguments, the settings file (empty: the one written above), a folder
    // made where the lock goes, and what standard error must say.
    // clang-format off
    const std::tuple<QStringList, QString, bool, QString> rows[] = {
        {{u"--get"_s, u".."_s}, {}, false, u"User names cannot"_s},
        {{u"--get"_s, u"a/b"_s}, {}, false, u"User names cannot"_s},
        {{u"--get"_s, u"a\tb"_s}, {}, false, u"User names cannot"_s},
        {{}, site.path(u"art"_s), false, u"art: it is a folder, not a file"_s},
        {{}, u"/dev/zero"_s, false, u"zero: it is a device, not a file"_s},
        {{}, fifo, false, u"fifo: it is a FIFO, not a file"_s},
        {{}, {}, true, u"vorpl.lock: it is a folder, not a file."_s},
    };
    // clang-format on
    for (const auto &[arguments, settings, lockFolder, message] : rows) {
        SCOPED_TRACE((arguments.join(u' ') + settings).toStdString());
        const QString lock = site.path(u"vorpl.lock"_s);
        ASSERT_TRUE(!lockFolder || QDir().mkpath(lock));
        auto process = site.start(arguments, settings);
        EXPECT_EQ(SyncProcess::finish(*process, 10000), 2);
        const QString err = QString::fromUtf8(process->readAllStandardError());
        EXPECT_TRUE(err.contains(message)) << err.toStdString();
        EXPECT_EQ(QFileInfo::exists(lock), lockFolder) << "the lock is released";
        QDir().rmdir(lock);
    }
}

// A closed terminal and Ctrl-C end a run as a kill does: nothing partial is
// kept, the lock is released, and every log line was out as it happened.
TEST(SyncCommandLine, HangUpAndInterruptEndTheRunCleanly)
{
    SyncProcess site({u"username=alice"_s});
    site.addUser(u"alice"_s, 1);
    const QString slow = site.submission(u"alice"_s, u"gallery"_s, 0).filePath();
    site.files->addGeneratedFile(slow, 4'000'000);
    site.files->setFault(slow, GalleryFileHost::Fault::StallMidBody);
    const QString temporary = site.path(u"downloading.dat"_s);
    for (const auto &[signalNumber, status] : {std::pair{SIGHUP, 129}, std::pair{SIGINT, 130}}) {
        SCOPED_TRACE(status);
        auto process = site.start({});
        QByteArray out;
        ASSERT_TRUE(waitUntil([&] {
            out += process->readAllStandardOutput();
            return QFileInfo(temporary).size() > 0 && out.contains("Retrieving ");
        }));
        ::kill(pid_t(process->processId()), signalNumber);
        EXPECT_EQ(SyncProcess::finish(*process), status);
        EXPECT_FALSE(QFile::exists(temporary));
        EXPECT_FALSE(QFile::exists(site.path(u"vorpl.lock"_s)));
        EXPECT_TRUE(QDir(site.path(u"art/alice-gallery"_s)).isEmpty());
    }
}
