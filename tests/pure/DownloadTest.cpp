#include "TestTools.h"

#include "download/DownloadTexts.h"
#include "download/FileRequest.h"
#include "download/FileStore.h"
#include "core/SizeLimit.h"
#include "http/ReplyHeader.h"
#include "platform/LocalFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

TEST(FileRequest, PathIsCutByTheLengthOfTheHostName)
{
    const QString host = u"files.test.invalid"_s;
    EXPECT_EQ(fileRequestPath(u"http://files.test.invalid/art/a/1.a.b.png"_s, host),
              u"/art/a/1.a.b.png"_s);
    // Only the count matters, not the characters.
    EXPECT_EQ(fileRequestPath(u"http://xxxxxxxxxxxxxxxxxx/p"_s, host), u"/p"_s);
    EXPECT_EQ(fileRequestPath(u"http://short"_s, host), QString());

    EXPECT_EQ(
        fileRequestText(u"/art/a/1.png"_s, u"files.example"_s),
        u"GET /art/a/1.png HTTP/1.0\r\nHost: files.example\r\nConnection: Keep-Alive\r\n\r\n"_s);
    EXPECT_EQ(
        fileRequestText(u"/a\r\nX-Evil: 1\r\n/1.png"_s, u"files.example"_s),
        u"GET /aX-Evil: 1/1.png HTTP/1.0\r\nHost: files.example\r\nConnection: Keep-Alive\r\n\r\n"_s);
}

// However a header is split when it arrives, it is read the same; a field
// folded onto the next line (a blank starts it) is read as one line, so a
// coding sent that way is never taken for the file's own bytes.
TEST(ReplyHeader, IsReadTheSameHoweverSplitOrFolded)
{
    using S = ReplyHeader::Status;
    const QByteArray longest = "200 OK\r\nX: " + QByteArray(MaxReplyHeaderBytes - 24, 'a');
    // The header after "HTTP/1.1 "; status, size, chunked, the foreign coding.
    // clang-format off
    const std::tuple<QByteArray, S, std::optional<qint64>, bool, QString> rows[] = {
        {longest, S::Complete, {}, false, {}},
        {longest + "aa", S::Malformed, {}, false, {}},
        {"200 OK\r\ncontent-LENGTH: 5", S::Complete, 5, false, {}},
        {"2000 OK", S::Malformed, {}, false, {}},
        {"200 OK\r\nTransfer-Encoding:\r\n chunked\r\nContent-Length: 9", S::Complete, {}, true, {}},
        {"200 OK\r\nContent-Encoding:\r\n\tgzip", S::Complete, {}, false, u"gzip"_s},
        {"200 OK\r\nTransfer-Encoding: gzip,\r\n \r\n  chunked", S::Complete, {}, true, u"gzip"_s},
        {"200 OK\r\nContent-Length:\r\n 12", S::Complete, 12, false, {}},
        {"200 OK\r\nX-Note: a\r\n Transfer-Encoding: chunked", S::Complete, {}, false, {}},
        {"200 OK\r\n Transfer-Encoding: chunked", S::Malformed, {}, false, {}},
        {"200 OK\r\nContent-Encoding: identity\r\nTransfer-Encoding: identity, chunked", S::Complete, {}, true, {}},
        {"200 OK\r\nTransfer-Encoding: chunked, gzip", S::Complete, {}, false, u"chunked"_s},
        {"200 OK\r\nContent-Length: 5\r\nContent-Length: 7", S::Complete, 5, false, {}},
    };
    for (const auto &[text, status, length, chunked, coding] : rows) {
        const QByteArray reply = "HTTP/1.1 " + text + "\r\n\r\nbody";
        ReplyHeader h;
        for (qsizetype at = 1; h.status == S::Incomplete; at = std::min(2 * at + 1, reply.size()))
            h = parseReplyHeader(reply.first(at));
        EXPECT_EQ(std::tuple(h.status, h.contentLength, h.chunked, h.foreignCoding, h.headerLength),
                  std::tuple(status, length, chunked, coding, parseReplyHeader(reply).headerLength)) << text.left(60).constData();
    }
    // clang-format on
}

TEST(SizeLimit, LimitIsTheLeadingNumberInWholeBytes)
{
    // Only a number above zero sets a limit.
    for (const char *none : {"", "0", "-3", "abc"})
        EXPECT_FALSE(sizeLimitBytes(QString::fromLatin1(none))) << none;
    const QList<std::pair<QString, qint64>> limits = {
        {"10MB", 10 * 1048576},
        {" +4.125", 4325376},
        {"0.1", 104857},
        {"0.0000001", 0},
        {"1.00000000000000000000000000001", 1048576},
        {"1.99999999999999999999", 2097151},
    };
    for (const auto &[text, bytes] : limits)
        EXPECT_EQ(sizeLimitBytes(text), bytes) << text.toStdString();

    // The exact limit passes.
    const QList<std::tuple<QString, qint64, bool>> sizes = {
        {"1", 1048576, false},   {"1", 1048577, true},   {"", qint64(1) << 40, false},
        {"3.5", 3670016, false}, {"3.5", 3670017, true},
    };
    for (const auto &[limit, bytes, exceeds] : sizes)
        EXPECT_EQ(exceedsSizeLimit(sizeLimitBytes(limit), bytes), exceeds)
            << limit.toStdString() << " " << bytes;

    // Every limit in sixteenths of a megabyte up to 100, also held as a double.
    for (int k = 1; k <= 1600; ++k) {
        const QString text = u"%1.%2"_s.arg(k / 16).arg(k % 16 * 625, 4, 10, QChar(u'0'));
        const qint64 exact = qint64(k) * 65536;
        const std::optional<double> asDouble = sizeLimitBytes(text);
        EXPECT_FALSE(exceedsSizeLimit(sizeLimitBytes(text), exact)) << text.toStdString();
        EXPECT_TRUE(exceedsSizeLimit(sizeLimitBytes(text), exact + 1)) << text.toStdString();
        EXPECT_FALSE(exceedsSizeLimit(asDouble, exact)) << text.toStdString();
        EXPECT_TRUE(exceedsSizeLimit(asDouble, exact + 1)) << text.toStdString();
    }
    // The figure of a skipped file: 0.125 and 0.375 MB are halves, to the even hundredth.
    EXPECT_EQ(megabyteFigure(131072, u','), u"0,12"_s);
    EXPECT_EQ(megabyteFigure(393216, u'.'), u"0.38"_s);
}

// Every sync of this process: the call and the name of what it synced
// ("staging" for the store's own file).
static QStringList &syncs = *new QStringList;
static int recordSync(const char *call, int fd)
{
    const QString name = QFileInfo(QFile::symLinkTarget(u"/proc/self/fd/%1"_s.arg(fd))).fileName();
    syncs.append(call + (name.startsWith(u".vorpaline-"_s) ? u" staging"_s : u' ' + name));
    return reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, call))(fd);
}
// clang-format off
extern "C" int fsync(int fd) { return recordSync("fsync", fd); }
extern "C" int fdatasync(int fd) { return recordSync("fdatasync", fd); }
// clang-format on

// Nothing at a name is ever replaced: not a file, a folder or a link, dangling
// or not. The next number is taken, if allowed; nothing partial is left, and
// staging files a killed run left go once they are an hour old (a fresh one
// may be another run's). What is stored gets the mode of any new file, its
// bytes reach the disk before the name, the name after; the temporary file
// stays private.
TEST(FileStore, StoresOnlyTheReceivedBytesUnderAFreeName)
{
    QTemporaryDir dir;
    const QString folder = dir.path(), temporary = dir.filePath(u"downloading.dat"_s);
    const mode_t was = ::umask(0);
    QFile source;
    QString error;
    ASSERT_TRUE(LocalFiles::createFresh(source, temporary, &error) &&
                LocalFiles::writeAll(source, "new body, and what another run wrote", &error));
    QFile stale(dir.filePath(u".vorpaline-abc123.part"_s));
    ASSERT_TRUE(writeFile(dir.filePath(u"pic.png"_s), "old body") &&
                QDir(folder).mkdir(u"dir.png"_s) &&
                QFile::link(u"nowhere"_s, dir.filePath(u"link"_s)) &&
                QFile::link(folder, dir.filePath(u"link (2)"_s)) &&
                writeFile(dir.filePath(u".vorpaline-def456.part"_s), "y") &&
                stale.open(QIODevice::WriteOnly) &&
                stale.setFileTime(QDateTime::currentDateTime().addSecs(-7200),
                                  QFileDevice::FileModificationTime));
    const auto listing = [&] {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    QStringList entries = listing();
    const auto mode = [](const QString &path) {
        struct stat info = {};
        return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 0;
    };
    using R = StoreOutcome::Result;
    // clang-format off
    const std::tuple<QString, QString, int, qint64, mode_t, R, QString> rows[] = {
        {dir.filePath(u"no/such/folder"_s), "a.png", 9, 8, 0, R::Failed, "a.png"},
        {folder, QString(300, u'n') + ".png", 9, 8, 0, R::NameRefused, QString(300, u'n') + ".png"},
        {folder, "pic.png", 1, 8, 0, R::Taken, "pic.png"},
        {folder, "link", 2, 8, 0, R::Taken, "link"},
        {folder, "cut.png", 9, 99, 0, R::Failed, "cut.png"},
        {folder, "pic.png", 9, 8, 022, R::Stored, "pic (2).png"},
        {folder + u'/', "dir.png", 9, 8, 077, R::Stored, "dir (2).png"},
        {folder, "link", 9, 8, 0, R::Stored, "link (3)"},
    };
    // clang-format on
    for (const auto &[in, name, lastNumber, size, mask, result, storedName] : rows) {
        SCOPED_TRACE(name.left(20).toStdString() + " " + std::to_string(lastNumber));
        syncs.clear();
        ::umask(mask);
        const StoreOutcome outcome = storeFile(source, size, in, {name, lastNumber});
        EXPECT_EQ(outcome.result, result) << outcome.error.toStdString();
        EXPECT_EQ(outcome.name, storedName);
        if (result == R::Stored) {
            entries.removeOne(u".vorpaline-abc123.part"_s);
            entries.append(storedName);
            EXPECT_EQ(readFile(dir.filePath(storedName)), "new body");
            EXPECT_EQ(mode(dir.filePath(storedName)), 0666 & ~mask);
            EXPECT_EQ(syncs,
                      (QStringList{u"fdatasync staging"_s, u"fsync "_s + QDir(folder).dirName()}));
        }
        entries.sort();
        EXPECT_EQ(listing(), entries);
    }
    ::umask(was);
    EXPECT_EQ(mode(temporary), 0600);
}
