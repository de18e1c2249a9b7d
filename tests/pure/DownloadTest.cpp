#include "TestTools.h"

#include "download/DownloadTexts.h"
#include "download/FileRequest.h"
#include "download/FileStore.h"
#include "download/SizeLimit.h"
#include "http/ReplyHeader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

// However a long header is split when it arrives, it is read the same.
TEST(ReplyHeader, LongHeadersAreReadTheSameInPieces)
{
    for (const qsizetype length : {MaxReplyHeaderBytes, MaxReplyHeaderBytes + 100}) {
        const QByteArray start = "HTTP/1.1 200 OK\r\nX: ";
        const QByteArray reply = start + QByteArray(length - start.size() - 4, 'a') + "\r\n\r\n";
        ReplyHeader pieces;
        for (qsizetype at = 1; pieces.status == ReplyHeader::Status::Incomplete; at += 4096)
            pieces = parseReplyHeader(reply.first(std::min(at, reply.size())));
        const ReplyHeader whole = parseReplyHeader(reply);
        EXPECT_EQ(whole.status, length == MaxReplyHeaderBytes ? ReplyHeader::Status::Complete
                                                              : ReplyHeader::Status::Malformed);
        EXPECT_EQ(pieces.status, whole.status) << length;
        EXPECT_EQ(pieces.headerLength, whole.headerLength) << length;
    }
    EXPECT_EQ(parseReplyHeader("HTTP/1.1 200 OK\r\ncontent-LENGTH: 5\r\n\r\n").contentLength, 5);
    EXPECT_EQ(parseReplyHeader("HTTP/1.1 2000 OK\r\n\r\n").status, ReplyHeader::Status::Malformed);
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
}

TEST(FileStore, AFailureLeavesTheOldFile)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(u"downloading.dat"_s);
    const QString target = dir.filePath(u"pic.png"_s);
    const QByteArray old = "old body, longer than the new";
    ASSERT_TRUE(writeFile(source, "new body"));
    ASSERT_TRUE(writeFile(target, old));
    using R = StoreOutcome::Result;
    // The failures first: each leaves the old file as it was.
    // clang-format off
    const QList<std::tuple<QString, QString, QString, R>> cases = {
        {dir.filePath(u"gone.dat"_s), dir.path(), "pic.png", R::Failed},
        {source, dir.path(), QString(300, u'n') + ".png", R::NameRefused}, // too long for any disk
        {source, dir.path(), QString(), R::NameRefused},
        {source, dir.filePath(u"no/such/folder"_s), "a.png", R::Failed},
        {source, dir.path() + u'/', "pic.png", R::Stored},
    };
    // clang-format on
    for (const auto &[from, folder, name, result] : cases) {
        SCOPED_TRACE(name.left(20).toStdString());
        const StoreOutcome outcome = storeFile(from, folder, name);
        EXPECT_EQ(outcome.result, result) << outcome.error.toStdString();
        EXPECT_TRUE(result != R::Failed || !outcome.error.isEmpty());
        EXPECT_EQ(readFile(target), result == R::Stored ? QByteArray("new body") : old);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  (QStringList{"downloading.dat", "pic.png"}));
    }
    EXPECT_EQ(readFile(source), QByteArray("new body")); // the temporary file stays
}
