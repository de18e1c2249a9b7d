#include "TestTools.h"

#include "download/DownloadTexts.h"
#include "download/FileRequest.h"
#include "download/FileStore.h"
#include "core/SizeLimit.h"
#include "download/KeptPart.h"
#include "download/ResumeRules.h"
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

// Only a reply that takes byte ranges and names its version in a way that can
// go into a request line as it is can be resumed (a weak tag falls back on the
// date), and only the exact rest continues a part.
TEST(ResumeRules, ValidatorRequestAndRangeReply)
{
    // clang-format off
    const auto header = [](const QByteArray &fields) { return parseReplyHeader("HTTP/1.1 " + fields + "\r\n\r\n"); };
    const QByteArray date = "Last-Modified: Wed, 21 Oct 2015 07:28:00 GMT", tag200 = '"' + QByteArray(198, 'x') + '"';
    const std::pair<QByteArray, QByteArray> rows[] = {
        {"Accept-Ranges: bytes\r\nETag: \"v1\"\r\nETag: \"v2\"\r\n" + date, "\"v1\""},
        {"accept-ranges: x-unit, Bytes\r\netag: " + tag200, tag200},
        {"Accept-Ranges: bytes\r\nETag: \"" + QByteArray(199, 'x') + '"', {}}, {"ETag: \"v1\"\r\n" + date, {}},
        {"Accept-Ranges: none\r\nETag: \"v1\"", {}}, {"Accept-Ranges: bytes", {}},
        {"Accept-Ranges: bytes\r\nETag: W/\"v1\"\r\n" + date, date.sliced(15)},
        {"Accept-Ranges: bytes\r\nETag: v1\r\n" + date, date.sliced(15)},
        {"Accept-Ranges: bytes\r\nETag: W/\"v1\"", {}}, {"Accept-Ranges: bytes\r\nETag: \"a\"b\"", {}},
        {"Accept-Ranges: bytes\r\nETag: \"a b\"", {}}, {"Accept-Ranges: bytes\r\nETag: \"a\x01" "b\"", {}},
        {"Accept-Ranges: bytes\r\nLast-Modified: a\x7f" "b", {}}, {"Accept-Ranges: bytes\r\nLast-Modified: " + QByteArray(201, 'd'), {}},
    };
    // clang-format on
    for (const auto &[fields, validator] : rows)
        EXPECT_EQ(resumeValidator(header("200 OK\r\n" + fields)), QString::fromLatin1(validator))
            << fields.constData();

    EXPECT_EQ(resumedRequestText(u"GET /a HTTP/1.0\r\nHost: h\r\n\r\n"_s, 400, u"\"v\r\n1\""_s),
              u"GET /a HTTP/1.0\r\nHost: h\r\nRange: bytes=400-\r\nIf-Range: \"v1\"\r\n\r\n"_s);

    // A part of 400 of 1000 bytes: only a reply with exactly the 600 after it continues it.
    using K = RangeVerdict::Kind;
    const QByteArray rest = "Content-Range: bytes 400-999/1000";
    // clang-format off
    const std::tuple<QByteArray, QByteArray, K, QString> verdicts[] = {
        {"\"v1\"", "206 Partial\r\n" + rest + "\r\nContent-Length: 600\r\nETag: \"v1\"", K::Continue, {}},
        {date.sliced(15), "206 Partial\r\ncontent-range: Bytes 400-999/1000\r\nETag: \"v9\"\r\n" + date, K::Continue, {}},
        {"\"v1\"", "206 Partial\r\n" + rest + "\r\nContent-Length: 601", K::Mismatch, "Content-Length 601 is not the 600 bytes left"},
        {"\"v1\"", "206 Partial\r\nContent-Range: bytes 399-999/1000", K::Mismatch, "Content-Range bytes 399-999/1000 does not continue byte 400 of 1000"},
        {"\"v1\"", "206 Partial\r\nContent-Range: bytes 401-999/1000", K::Mismatch, {}}, {"\"v1\"", "206 Partial\r\nContent-Range: bytes 400-998/1000", K::Mismatch, {}},
        {"\"v1\"", "206 Partial\r\nContent-Range: bytes 400-999/1001", K::Mismatch, {}}, {"\"v1\"", "206 Partial\r\nContent-Range: 400-999/1000", K::Mismatch, {}},
        {"\"v1\"", "206 Partial\r\nContent-Range: bytes 400-999/*", K::Mismatch, "unreadable Content-Range bytes 400-999/*"},
        {"\"v1\"", "206 Partial\r\nContent-Range: bytes 400999/1000", K::Mismatch, {}},
        {"\"v1\"", "206 Partial\r\nContent-Length: 600", K::Mismatch, "no Content-Range"},
        {"\"v1\"", "206 Partial\r\n" + rest + "\r\nETag: \"v2\"", K::Mismatch, "the file changed on the host"},
        {date.sliced(15), "206 Partial\r\n" + rest + "\r\nLast-Modified: Thu, 22 Oct 2015 07:28:00 GMT", K::Mismatch, {}},
        {"\"v1\"", "416 Range Not Satisfiable\r\nContent-Range: bytes */1000", K::Mismatch, "416 Range Not Satisfiable"},
        {"\"v1\"", "200 OK\r\nContent-Length: 1000", K::Restart, {}},
        {"\"v1\"", "503 Service Unavailable", K::Other, {}}, {"\"v1\"", "404 Not Found", K::Other, {}},
    };
    // clang-format on
    for (const auto &[validator, fields, kind, why] : verdicts) {
        const RangeVerdict verdict = rangeReplyVerdict(
            header(fields), {u"u"_s, QString::fromLatin1(validator), 1000, 400, {}});
        EXPECT_EQ(verdict.kind, kind) << fields.constData();
        EXPECT_TRUE(why.isEmpty() || verdict.why == why) << verdict.why.toStdString();
    }
}

// The record is read only when whole. A part is taken only for its own address
// and only as it stood when it was kept, its bytes synced before its record;
// anything else found there goes.
TEST(KeptPart, TakesOnlyThePartAsItWasKept)
{
    const ResumeRecord record{u"http://f/a é.png"_s, u"\"v1\""_s, 1000, 400, u"1.2.3"_s};
    const QByteArray text = resumeRecordText(record);
    EXPECT_EQ(text, "vorpaline part 1\nurl http://f/a \xc3\xa9.png\nvalidator \"v1\"\n"
                    "total 1000\nbytes 400\nidentity 1.2.3\n");
    EXPECT_EQ(readResumeRecord(text), record);
    // clang-format off
    const std::pair<QByteArray, QByteArray> broken[] = {
        {"vorpaline part 1", "vorpaline part 2"}, {"bytes 400", "bytes 1000"}, {"bytes 400", "bytes 0"}, {"total 1000", "total 1e3"},
        {"url http://f/a \xc3\xa9.png", "url "}, {"\"v1\"", "W/\"v1\""}, {"url ", "url\t"}, {"identity 1.2.3\n", "identity 1.2.3"},
        {"1.2.3\n", "1.2.3\nmore\n"}, {"identity 1.2.3", "identity "}, {"total 1000\nbytes 400", "bytes 400\ntotal 1000"}, {"a \xc3\xa9", "a \x1b"},
    };
    // clang-format on
    for (const auto &[from, to] : broken) {
        QByteArray changed = text;
        EXPECT_FALSE(readResumeRecord(changed.replace(from, to))) << to.constData();
    }

    QTemporaryDir dir;
    const QString part = dir.filePath(u"downloading.dat"_s), recordPath = part.chopped(3) + "resume";
    KeptPart kept(dir.path());
    const ResumeRecord wanted{u"http://f/a.png"_s, u"\"v1\""_s, 10, 4, {}};
    // clang-format off
    const std::tuple<const char *, QString, std::function<bool()>, bool> rows[] = {
        {"as kept", wanted.url, [] { return true; }, true},
        {"replaced by a copy", wanted.url, [&] { return writeFile(part + "2", "abcd") && ::rename(qPrintable(part + "2"), qPrintable(part)) == 0; }, false},
        {"a link to a copy", wanted.url, [&] { return QFile::rename(part, part + "2") && QFile::link(part + "2", part); }, false},
    };
    // clang-format on
    for (const auto &[what, url, change, taken] : rows) {
        SCOPED_TRACE(what);
        QFile file;
        QString error;
        QFile::remove(part);
        ASSERT_TRUE(LocalFiles::createFresh(file, part, &error) &&
                    LocalFiles::writeAll(file, "abcd", &error));
        EXPECT_FALSE(kept.keep(file, {wanted.url, wanted.validator, 10, 3, {}}));
        syncs.clear();
        ASSERT_TRUE(kept.keep(file, wanted));
        EXPECT_EQ(syncs.join(u' '), u"fdatasync downloading.dat fdatasync downloading.resume"_s);
        file.close();
        ASSERT_TRUE(change());
        EXPECT_EQ(kept.take(url, file).has_value(), taken);
        EXPECT_EQ(file.isOpen() ? file.pos() : -1, taken ? 4 : -1);
        EXPECT_EQ(QFile::exists(recordPath), taken);
        QFile::remove(part + "2");
    }
}
