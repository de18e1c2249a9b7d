#include "TestWaits.h"

#include "download/DownloadTexts.h"
#include "download/FileRequest.h"
#include "download/FileStore.h"
#include "download/ReplyHeader.h"
#include "download/SizeLimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

using namespace Qt::StringLiterals;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

TEST(FileRequest, PathIsCutByTheLengthOfTheHostNameAndSentAsHttp10)
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

TEST(ReplyHeader, ParsesStatusSizeAndLength)
{
    // "code|reason|size|header length" of a complete header.
    const auto summary = [](const ReplyHeader &h) -> QString {
        switch (h.status) {
        case ReplyHeader::Status::Incomplete:
            return u"incomplete"_s;
        case ReplyHeader::Status::Malformed:
            return u"malformed"_s;
        default:
            return u"%1|%2|%3|%4"_s.arg(h.statusCode)
                .arg(h.reason, h.contentLength ? QString::number(*h.contentLength) : u"-"_s)
                .arg(h.headerLength);
        }
    };
    const QByteArray ok = "HTTP/1.1 200 OK\r\nContent-Length: 1234\r\nX: y\r\n\r\nBODY";
    const QList<std::pair<QByteArray, QString>> cases = {
        {ok, u"200|OK|1234|%1"_s.arg(ok.indexOf("BODY"))},
        {"HTTP/1.1 200 OK\r\nContent-Length: 12", "incomplete"}, // no blank line yet
        {"HT", "incomplete"},
        {"", "incomplete"},
        {"HTTP/1.0 200 OK\r\n\r\n", "200|OK|-|19"},
        {"HTTP/1.0 200 OK\r\ncontent-length:  7 \r\n\r\n", "200|OK|7|40"}, // any case
        {"HTTP/1.0 200 OK\r\nContent-Length: 7x\r\n\r\n", "200|OK|-|39"},
        {"HTTP/1.1 404 Not Found\r\n\r\n", "404|Not Found|-|26"},
        {"HTTP/1.1 503\r\n\r\n", "503||-|16"},
        {"<html>hello</html>\r\n\r\n", "malformed"},
        {"HTTP/1.1 OK\r\n\r\n", "malformed"},
        {"HTTP/1.1 200 OK\r\n" + QByteArray(MaxReplyHeaderBytes, 'x'), "malformed"}, // endless
    };
    for (const auto &[data, expected] : cases)
        EXPECT_EQ(summary(parseReplyHeader(data)), expected) << data.left(60).toStdString();

    // Split anywhere, the header stays incomplete until the blank line.
    const QByteArray reply = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello";
    const qsizetype blank = reply.indexOf("\r\n\r\n") + 4;
    for (qsizetype cut = 0; cut < reply.size(); ++cut)
        EXPECT_EQ(summary(parseReplyHeader(reply.left(cut))),
                  cut < blank ? u"incomplete"_s : u"200|OK|5|%1"_s.arg(blank))
            << cut;
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
}

TEST(ReplyHeader, SizeTextInsideAChunk)
{
    EXPECT_EQ(contentLengthInChunk("xx Content-Length: 99\r\nyy"), 99);
    EXPECT_EQ(contentLengthInChunk("Content-Length:12"), 12);                // no CR before the end
    EXPECT_EQ(contentLengthInChunk("content-length: 99\r\n"), std::nullopt); // exact case
    EXPECT_EQ(contentLengthInChunk("Content-Length: lots\r\n"), std::nullopt);
    EXPECT_EQ(contentLengthInChunk("nothing here"), std::nullopt);
}

TEST(SizeLimit, LeadingNumberAndTheLimitItSets)
{
    const QList<std::pair<QString, double>> numbers = {
        {"10", 10}, {"10MB", 10}, {" 2.5", 2.5}, {"3.5x", 3.5}, {"", 0},    {"MB", 0},
        {"0", 0},   {"-4", -4},   {".5", 0.5},   {"1,5", 1},    {"007", 7},
    };
    for (const auto &[text, number] : numbers)
        EXPECT_DOUBLE_EQ(leadingNumber(text), number) << text.toStdString();

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

TEST(SizeLimit, MegabyteFigureTwoDecimalsHalvesToEvenShortest)
{
    const QList<std::pair<qint64, QString>> cases = {
        {3670016, "3.5"}, // 3.5 MB
        {1048576, "1"},   // whole megabytes have no decimals
        {0, "0"},
        {1048576 + 10486, "1.01"}, // 1.0100002
        {1048576 + 5243, "1.01"},  // 1.0050001: just above the half
        {131072, "0.12"},          // 0.125 exactly: half goes to the even 0.12
        {393216, "0.38"},          // 0.375 exactly: half goes to the even 0.38
        {5242880 + 5242, "5"},     // 5.004999: rounds down
        {2147483647, "2048"},
    };
    for (const auto &[bytes, figure] : cases)
        EXPECT_EQ(megabyteFigure(bytes), figure) << bytes;
    EXPECT_EQ(megabyteFigure(3670016, u','), u"3,5"_s);
}

TEST(DownloadTexts, LinesAndCaptions)
{
    const QList<std::pair<QString, const char *>> texts = {
        {retrievingLine("x.png", 2, 12), "Retrieving x.png (3/12)..."},
        // A name holding a placeholder is taken as it is.
        {retrievingLine("%1%2.png", 0, 1), "Retrieving %1%2.png (1/1)..."},
        {queueCaption("bob", "gallery", 25, false), "Vorpaline 1.38b: bob's gallery (25%)"},
        {queueCaption("bob", "gallery", 25, true), "bob's gallery (25%)"},
        {folderDoneCaption("bob", "scraps", false), "Vorpaline 1.38b: bob's scraps done OK"},
        {folderDoneCaption("bob", "favorites", true),
         "Vorpaline 1.38b: bob's favorites done with errors"},
        {folderDoneLine(1, false), "Succesfully retrieved 1 submissions."},
        {folderDoneLine(7, true), "Retrieved only 7 submissions, see the log for errors."},
        {sizeLimitLine(3670016), "Filesize (3.5) exceeds rule. Skipping."},
        {fileProgressCaption(12, "Tom & Jerry", 99999), "12% of \"Tom && Jerry\" (97 KB)"},
        {overLongText(100, 150, "Tom & Jerry"),
         "Received more data than expected:\r\nRight size: 100. Got: 150\r\n"
         "Tom & Jerry will certainly be screwed."},
        {speedCaption(1048576, 4.0), "Speed: 256Kb/s"},
        {speedCaption(1000, 0.0), "Speed: 976Kb/s"}, // no division by zero
        {speedCaption(1000, -3.0), "Speed: 976Kb/s"},
        {bytesDownloadedCaption(123456), "123456 bytes downloaded."},
        {refusalLine(503, "Service Unavailable", "/a/b.png"),
         "GS said 503 service unavailable on /a/b.png"},
        {refusalLine(418, QString(), "/p"), "GS said 418 on /p"},
        // Whole seconds left, counted up.
        {waitingCaption(10, 2.4), "Waiting a bit (8s)"},
        {waitingCaption(10, 0.0), "Waiting a bit (11s)"},
        {waitingCaption(10, 9.99), "Waiting a bit (1s)"},
        {waitingCaption(10, 10.0), "Waiting a bit (1s)"},
        {waitingCaption(10, 10.5), "Waiting a bit (0s)"},
        {waitingCaption(5, 7.2), "Waiting a bit (-2s)"},
    };
    for (const auto &[text, expected] : texts)
        EXPECT_EQ(text, QString::fromUtf8(expected));
}

TEST(DownloadTexts, Percentages)
{
    const QList<std::tuple<int, int, int>> queue = {{2, 12, 25}, {0, 1, 100}, {0, 3, 33},
                                                    {1, 3, 66},  {2, 3, 100}, {0, 0, 0}};
    for (const auto &[index, count, percent] : queue)
        EXPECT_EQ(queuePercent(index, count), percent) << index << "/" << count;
    const QList<std::tuple<qint64, qint64, int>> file = {
        {50, 200, 25}, {199, 200, 99}, {10, -1, 0}, {10, 0, 0}, {300, 200, 100}};
    for (const auto &[done, size, percent] : file)
        EXPECT_EQ(filePercent(done, size), percent) << done << "/" << size;
}

TEST(FileStore, ReplacesWholeOrLeavesTheOldFileAndNoLeftovers)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(u"downloading.dat"_s);
    const QString target = dir.filePath(u"pic.png"_s);
    const QByteArray old = "old body, longer than the new";
    ASSERT_TRUE(writeFile(source, "new body"));
    ASSERT_TRUE(writeFile(target, old));
    using R = StoreOutcome::Result;
    // The failures first: each leaves the old file as it was.
    const QList<std::tuple<QString, QString, QString, R>> cases = {
        {dir.filePath(u"gone.dat"_s), dir.path(), "pic.png", R::Failed},
        {source, dir.path(), QString(300, u'n') + ".png", R::NameRefused}, // too long for any disk
        {source, dir.path(), QString(), R::NameRefused},
        {source, dir.filePath(u"no/such/folder"_s), "a.png", R::Failed},
        {source, dir.path() + u'/', "pic.png", R::Stored},
    };
    for (const auto &[from, folder, name, result] : cases) {
        SCOPED_TRACE(name.left(20).toStdString());
        const StoreOutcome outcome = storeFile(from, folder, name);
        EXPECT_EQ(outcome.result, result) << outcome.error.toStdString();
        EXPECT_TRUE(result != R::Failed || !outcome.error.isEmpty());
        EXPECT_EQ(readAll(target), result == R::Stored ? QByteArray("new body") : old);
        EXPECT_EQ(filesIn(dir.path()), (QStringList{"downloading.dat", "pic.png"}));
    }
    EXPECT_EQ(readAll(source), QByteArray("new body")); // the temporary file stays
}
