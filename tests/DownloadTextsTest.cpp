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

// Readable failures.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

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
    const QString host = QStringLiteral("files.test.invalid");
    EXPECT_EQ(fileRequestPath(QStringLiteral("http://files.test.invalid/art/a/1.a.b.png"), host),
              QStringLiteral("/art/a/1.a.b.png"));
    // Only the count matters, not the characters.
    EXPECT_EQ(fileRequestPath(QStringLiteral("http://xxxxxxxxxxxxxxxxxx/p"), host),
              QStringLiteral("/p"));
    EXPECT_EQ(fileRequestPath(QStringLiteral("http://short"), host), QString());

    EXPECT_EQ(fileRequestText(QStringLiteral("/art/a/1.png"), QStringLiteral("files.example")),
              QStringLiteral("GET /art/a/1.png HTTP/1.0\r\nHost: files.example\r\n"
                             "Connection: Keep-Alive\r\n\r\n"));
}

TEST(ReplyHeader, ParsesStatusSizeAndLength)
{
    using S = ReplyHeader::Status;
    struct Case
    {
        const char *name;
        QByteArray data;
        S status;
        int code = 0;
        QString reason = {};
        std::optional<qint64> length = {};
        qsizetype headerLength = 0;
    };
    const QByteArray ok = "HTTP/1.1 200 OK\r\nContent-Length: 1234\r\nX: y\r\n\r\nBODY";
    const QList<Case> cases = {
        {"complete", ok, S::Complete, 200, "OK", 1234, ok.indexOf("BODY")},
        {"no blank line yet", "HTTP/1.1 200 OK\r\nContent-Length: 12", S::Incomplete},
        {"only a few bytes", "HT", S::Incomplete},
        {"nothing yet", "", S::Incomplete},
        {"no size", "HTTP/1.0 200 OK\r\n\r\n", S::Complete, 200, "OK", {}, 19},
        {"header name in any case", "HTTP/1.0 200 OK\r\ncontent-length:  7 \r\n\r\n", S::Complete,
         200, "OK", 7, 40},
        {"unreadable size",
         "HTTP/1.0 200 OK\r\nContent-Length: 7x\r\n\r\n",
         S::Complete,
         200,
         "OK",
         {},
         39},
        {"reason of several words",
         "HTTP/1.1 404 Not Found\r\n\r\n",
         S::Complete,
         404,
         "Not Found",
         {},
         26},
        {"no reason", "HTTP/1.1 503\r\n\r\n", S::Complete, 503, {}, {}, 16},
        {"not http", "<html>hello</html>\r\n\r\n", S::Malformed},
        {"bad status code", "HTTP/1.1 OK\r\n\r\n", S::Malformed},
        {"endless header", "HTTP/1.1 200 OK\r\n" + QByteArray(MaxReplyHeaderBytes, 'x'),
         S::Malformed},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const ReplyHeader header = parseReplyHeader(c.data);
        EXPECT_EQ(header.status, c.status);
        if (c.status != S::Complete)
            continue;
        EXPECT_EQ(header.statusCode, c.code);
        EXPECT_EQ(header.reason, c.reason);
        EXPECT_EQ(header.contentLength, c.length);
        EXPECT_EQ(header.headerLength, c.headerLength);
    }

    // Split anywhere, the header stays incomplete until the blank line.
    const QByteArray reply = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello";
    const qsizetype blank = reply.indexOf("\r\n\r\n") + 4;
    for (qsizetype cut = 0; cut < reply.size(); ++cut)
        EXPECT_EQ(parseReplyHeader(reply.left(cut)).status,
                  cut < blank ? S::Incomplete : S::Complete)
            << cut;
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
    EXPECT_EQ(sizeLimitBytes(QStringLiteral("10MB")), 10.0 * 1048576);

    // The exact limit passes.
    const QList<std::tuple<QString, qint64, bool>> sizes = {
        {"1", 1048576, false},   {"1", 1048577, true},   {"", qint64(1) << 40, false},
        {"3.5", 3670016, false}, {"3.5", 3670017, true},
    };
    for (const auto &[limit, bytes, exceeds] : sizes)
        EXPECT_EQ(exceedsSizeLimit(sizeLimitBytes(limit), bytes), exceeds)
            << limit.toStdString() << " " << bytes;
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
    EXPECT_EQ(megabyteFigure(3670016, u','), QStringLiteral("3,5"));
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

TEST(FileStore, ReplacesAnExistingFileAndLeavesNoStagingFile)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("downloading.dat"));
    const QString target = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(writeFile(source, "new body"));
    ASSERT_TRUE(QDir().mkpath(target));
    ASSERT_TRUE(writeFile(target + QStringLiteral("/pic.png"), "old body, longer than the new"));

    const StoreOutcome outcome = storeFile(source, target + u'/', QStringLiteral("pic.png"));
    EXPECT_EQ(outcome.result, StoreOutcome::Result::Stored) << outcome.error.toStdString();
    EXPECT_EQ(readAll(target + QStringLiteral("/pic.png")), QByteArray("new body"));
    EXPECT_EQ(readAll(source), QByteArray("new body")); // the temporary file stays
    EXPECT_EQ(filesIn(target), QStringList{QStringLiteral("pic.png")});
}

TEST(FileStore, FailuresLeaveTheExistingFileAndNoLeftoversAndTellRefusedNamesApart)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("downloading.dat"));
    ASSERT_TRUE(writeFile(source, "body"));
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("pic.png")), "the old file"));
    using R = StoreOutcome::Result;
    struct Case
    {
        const char *name;
        QString source, folder, fileName;
        R result;
    };
    const QList<Case> cases = {
        {"source gone", dir.filePath("gone.dat"), dir.path(), "pic.png", R::Failed},
        // Longer than any file system takes.
        {"long name", source, dir.path(), QString(300, u'n') + ".png", R::NameRefused},
        {"empty name", source, dir.path(), QString(), R::NameRefused},
        {"missing folder", source, dir.filePath("no/such/folder"), "a.png", R::Failed},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const StoreOutcome outcome = storeFile(c.source, c.folder, c.fileName);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_TRUE(c.result != R::Failed || !outcome.error.isEmpty());
        EXPECT_EQ(readAll(dir.filePath(QStringLiteral("pic.png"))), QByteArray("the old file"));
        EXPECT_EQ(filesIn(dir.path()), (QStringList{"downloading.dat", "pic.png"}));
    }
}
