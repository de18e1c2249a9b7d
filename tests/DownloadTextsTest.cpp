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

} // namespace

TEST(FileRequest, PathIsCutByTheLengthOfTheHostName)
{
    const QString host = QStringLiteral("files.test.invalid");
    EXPECT_EQ(fileRequestPath(QStringLiteral("http://files.test.invalid/art/a/1.a.b.png"), host),
              QStringLiteral("/art/a/1.a.b.png"));
    // Only the count matters, not the characters.
    EXPECT_EQ(fileRequestPath(QStringLiteral("http://xxxxxxxxxxxxxxxxxx/p"), host),
              QStringLiteral("/p"));
    EXPECT_EQ(fileRequestPath(QStringLiteral("http://short"), host), QString());
}

TEST(FileRequest, RequestIsHttp10ByteForByte)
{
    EXPECT_EQ(fileRequestText(QStringLiteral("/art/a/1.png"), QStringLiteral("files.example")),
              QStringLiteral("GET /art/a/1.png HTTP/1.0\r\nHost: files.example\r\n"
                             "Connection: Keep-Alive\r\n\r\n"));
}

TEST(ReplyHeader, ParsesStatusSizeAndLength)
{
    struct Case
    {
        const char *name;
        QByteArray data;
        ReplyHeader::Status status;
        int code;
        QString reason;
        std::optional<qint64> length;
        qsizetype headerLength;
    };
    using S = ReplyHeader::Status;
    const QByteArray ok = "HTTP/1.1 200 OK\r\nContent-Length: 1234\r\nX: y\r\n\r\nBODY";
    const QList<Case> cases = {
        {"complete", ok, S::Complete, 200, "OK", 1234, ok.indexOf("BODY")},
        {"no blank line yet",
         "HTTP/1.1 200 OK\r\nContent-Length: 12",
         S::Incomplete,
         0,
         {},
         std::nullopt,
         0},
        {"only a few bytes", "HT", S::Incomplete, 0, {}, std::nullopt, 0},
        {"nothing yet", "", S::Incomplete, 0, {}, std::nullopt, 0},
        {"no size", "HTTP/1.0 200 OK\r\n\r\n", S::Complete, 200, "OK", std::nullopt, 19},
        {"header name in any case", "HTTP/1.0 200 OK\r\ncontent-length:  7 \r\n\r\n", S::Complete,
         200, "OK", 7, 40},
        {"unreadable size", "HTTP/1.0 200 OK\r\nContent-Length: 7x\r\n\r\n", S::Complete, 200, "OK",
         std::nullopt, 39},
        {"reason of several words", "HTTP/1.1 404 Not Found\r\n\r\n", S::Complete, 404, "Not Found",
         std::nullopt, 26},
        {"no reason", "HTTP/1.1 503\r\n\r\n", S::Complete, 503, {}, std::nullopt, 16},
        {"not http", "<html>hello</html>\r\n\r\n", S::Malformed, 0, {}, std::nullopt, 0},
        {"bad status code", "HTTP/1.1 OK\r\n\r\n", S::Malformed, 0, {}, std::nullopt, 0},
        {"endless header",
         "HTTP/1.1 200 OK\r\n" + QByteArray(MaxReplyHeaderBytes, 'x'),
         S::Malformed,
         0,
         {},
         std::nullopt,
         0},
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
}

TEST(ReplyHeader, HeaderSplitAnywhereIsIncompleteUntilTheBlankLine)
{
    const QByteArray reply = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello";
    const qsizetype blank = reply.indexOf("\r\n\r\n") + 4;
    for (qsizetype cut = 0; cut < reply.size(); ++cut) {
        SCOPED_TRACE(cut);
        const ReplyHeader header = parseReplyHeader(reply.left(cut));
        EXPECT_EQ(header.status,
                  cut < blank ? ReplyHeader::Status::Incomplete : ReplyHeader::Status::Complete);
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

TEST(SizeLimit, LeadingNumberOfTheText)
{
    const QList<std::pair<QString, double>> cases = {
        {"10", 10}, {"10MB", 10}, {" 2.5", 2.5}, {"3.5x", 3.5}, {"", 0},    {"MB", 0},
        {"0", 0},   {"-4", -4},   {".5", 0.5},   {"1,5", 1},    {"007", 7},
    };
    for (const auto &[text, number] : cases) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_DOUBLE_EQ(leadingNumber(text), number);
    }
}

TEST(SizeLimit, LimitAppliesAboveZeroAndLetsTheExactLimitPass)
{
    EXPECT_FALSE(sizeLimitBytes(QString()));
    EXPECT_FALSE(sizeLimitBytes(QStringLiteral("0")));
    EXPECT_FALSE(sizeLimitBytes(QStringLiteral("-3")));
    EXPECT_FALSE(sizeLimitBytes(QStringLiteral("abc")));
    ASSERT_TRUE(sizeLimitBytes(QStringLiteral("10MB")));
    EXPECT_DOUBLE_EQ(*sizeLimitBytes(QStringLiteral("10MB")), 10.0 * 1048576);

    const auto oneMegabyte = sizeLimitBytes(QStringLiteral("1"));
    EXPECT_FALSE(exceedsSizeLimit(oneMegabyte, 1048576));
    EXPECT_TRUE(exceedsSizeLimit(oneMegabyte, 1048577));
    EXPECT_FALSE(exceedsSizeLimit(std::nullopt, qint64(1) << 40));
    EXPECT_FALSE(exceedsSizeLimit(sizeLimitBytes(QStringLiteral("3.5")), 3670016));
    EXPECT_TRUE(exceedsSizeLimit(sizeLimitBytes(QStringLiteral("3.5")), 3670017));
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
    for (const auto &[bytes, figure] : cases) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(megabyteFigure(bytes), figure);
    }
    EXPECT_EQ(megabyteFigure(3670016, u','), QStringLiteral("3,5"));
    EXPECT_EQ(sizeLimitLine(3670016), QStringLiteral("Filesize (3.5) exceeds rule. Skipping."));
}

TEST(DownloadTexts, DriverLinesAndCaptions)
{
    EXPECT_EQ(retrievingLine(QStringLiteral("x.png"), 2, 12),
              QStringLiteral("Retrieving x.png (3/12)..."));
    // A name holding a placeholder is taken as it is.
    EXPECT_EQ(retrievingLine(QStringLiteral("%1%2.png"), 0, 1),
              QStringLiteral("Retrieving %1%2.png (1/1)..."));

    const QList<std::tuple<int, int, int>> percents = {{2, 12, 25}, {0, 1, 100}, {0, 3, 33},
                                                       {1, 3, 66},  {2, 3, 100}, {0, 0, 0}};
    for (const auto &[index, count, percent] : percents)
        EXPECT_EQ(queuePercent(index, count), percent) << index << "/" << count;

    EXPECT_EQ(queueCaption(QStringLiteral("bob"), QStringLiteral("gallery"), 25, false),
              QStringLiteral("Vorpaline 1.38b: bob's gallery (25%)"));
    EXPECT_EQ(queueCaption(QStringLiteral("bob"), QStringLiteral("gallery"), 25, true),
              QStringLiteral("bob's gallery (25%)"));
    EXPECT_EQ(folderDoneCaption(QStringLiteral("bob"), QStringLiteral("scraps"), false),
              QStringLiteral("Vorpaline 1.38b: bob's scraps done OK"));
    EXPECT_EQ(folderDoneCaption(QStringLiteral("bob"), QStringLiteral("favorites"), true),
              QStringLiteral("Vorpaline 1.38b: bob's favorites done with errors"));
    EXPECT_EQ(folderDoneLine(1, false), QStringLiteral("Succesfully retrieved 1 submissions."));
    EXPECT_EQ(folderDoneLine(7, true),
              QStringLiteral("Retrieved only 7 submissions, see the log for errors."));
}

TEST(DownloadTexts, WaitingCaptionCountsWholeSecondsLeft)
{
    const QList<std::tuple<int, double, QString>> cases = {
        {10, 2.4, "Waiting a bit (8s)"},  {10, 0.0, "Waiting a bit (11s)"},
        {10, 9.99, "Waiting a bit (1s)"}, {10, 10.0, "Waiting a bit (1s)"},
        {10, 10.5, "Waiting a bit (0s)"}, {5, 7.2, "Waiting a bit (-2s)"},
    };
    for (const auto &[delay, elapsed, caption] : cases)
        EXPECT_EQ(waitingCaption(delay, elapsed), caption) << delay << " " << elapsed;
}

TEST(DownloadTexts, TransferCaptions)
{
    EXPECT_EQ(filePercent(50, 200), 25);
    EXPECT_EQ(filePercent(199, 200), 99);
    EXPECT_EQ(filePercent(10, -1), 0);
    EXPECT_EQ(filePercent(10, 0), 0);
    EXPECT_EQ(filePercent(300, 200), 100);

    EXPECT_EQ(fileProgressCaption(12, QStringLiteral("Tom & Jerry"), 99999),
              QStringLiteral("12% of \"Tom && Jerry\" (97 KB)"));
    EXPECT_EQ(overLongText(100, 150, QStringLiteral("Tom & Jerry")),
              QStringLiteral("Received more data than expected:\r\nRight size: 100. Got: 150\r\n"
                             "Tom & Jerry will certainly be screwed."));
    EXPECT_EQ(speedCaption(1048576, 4.0), QStringLiteral("Speed: 256Kb/s"));
    EXPECT_EQ(speedCaption(1000, 0.0), QStringLiteral("Speed: 976Kb/s")); // no division by zero
    EXPECT_EQ(speedCaption(1000, -3.0), QStringLiteral("Speed: 976Kb/s"));
    EXPECT_EQ(bytesDownloadedCaption(123456), QStringLiteral("123456 bytes downloaded."));
    EXPECT_EQ(refusalLine(503, QStringLiteral("Service Unavailable"), QStringLiteral("/a/b.png")),
              QStringLiteral("GS said 503 service unavailable on /a/b.png"));
    EXPECT_EQ(refusalLine(418, QString(), QStringLiteral("/p")),
              QStringLiteral("GS said 418 on /p"));
}

TEST(FileStore, ReplacesAnExistingFileAndLeavesNoStagingFile)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("downloading.dat"));
    ASSERT_TRUE(writeFile(source, "new body"));
    const QString target = dir.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(target));
    ASSERT_TRUE(writeFile(target + QStringLiteral("/pic.png"), "old body, longer than the new"));

    const StoreOutcome outcome = storeFile(source, target + u'/', QStringLiteral("pic.png"));
    EXPECT_EQ(outcome.result, StoreOutcome::Result::Stored) << outcome.error.toStdString();
    EXPECT_EQ(readAll(target + QStringLiteral("/pic.png")), QByteArray("new body"));
    EXPECT_EQ(readAll(source), QByteArray("new body")); // the temporary file stays
    EXPECT_EQ(QDir(target).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("pic.png")});
}

TEST(FileStore, FailedCopyLeavesTheExistingFileIntact)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("pic.png"));
    ASSERT_TRUE(writeFile(target, "the old file"));
    const StoreOutcome outcome =
        storeFile(dir.filePath(QStringLiteral("gone.dat")), dir.path(), QStringLiteral("pic.png"));
    EXPECT_EQ(outcome.result, StoreOutcome::Result::Failed);
    EXPECT_EQ(readAll(target), QByteArray("the old file"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("pic.png")});
}

TEST(FileStore, RefusedNameAndUnusableFolderAreToldApart)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("downloading.dat"));
    ASSERT_TRUE(writeFile(source, "body"));

    // Longer than any file system takes.
    const StoreOutcome longName = storeFile(source, dir.path(), QString(300, u'n') + ".png");
    EXPECT_EQ(longName.result, StoreOutcome::Result::NameRefused);

    const StoreOutcome empty = storeFile(source, dir.path(), QString());
    EXPECT_EQ(empty.result, StoreOutcome::Result::NameRefused);

    const StoreOutcome missing =
        storeFile(source, dir.filePath(QStringLiteral("no/such/folder")), QStringLiteral("a.png"));
    EXPECT_EQ(missing.result, StoreOutcome::Result::Failed);
    EXPECT_FALSE(missing.error.isEmpty());

    // Nothing but the source is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("downloading.dat")});
}
