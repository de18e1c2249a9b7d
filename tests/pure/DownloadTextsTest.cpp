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
    EXPECT_EQ(sizeLimitBytes(u"10MB"_s), 10.0 * 1048576);

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
    EXPECT_EQ(megabyteFigure(3670016, u','), u"3,5"_s);
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
