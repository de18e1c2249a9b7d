#include "TestTools.h"

#include "core/ChunkedDecoder.h"
#include "download/FileStore.h"
#include "download/ReplyHeader.h"
#include "naming/DownloadFolders.h"
#include "naming/FileNames.h"
#include "platform/LocalFiles.h"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

QString systemWords(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}

} // namespace

TEST(ChunkedDecoder, DecodesHoweverSplitAndRefusesWhatIsNoChunkedBody)
{
    using S = ChunkedDecoder::Status;
    const QByteArray longLine(ChunkedDecoder::MaxLineBytes + 1, 'x');
    const QByteArray longTrailer(ChunkedDecoder::MaxTrailerBytes + 1, 'x');
    const std::tuple<const char *, QByteArray, QByteArray, S> rows[] = {
        {"chunks and a trailer", "5\r\nhello\r\nA;x=1\r\n, world!!!\r\n0\r\nT: 1\r\n\r\nafter",
         "hello, world!!!", S::Done},
        {"bare line feeds", "3\nabc\n0\n\n", "abc", S::Done},
        {"upper-case size", "1F\r\n" + QByteArray(31, 'z') + "\r\n0\r\n\r\n", QByteArray(31, 'z'),
         S::Done},
        {"not ended yet", "4\r\nabcd\r\n", "abcd", S::More},
        {"no size", "\r\nabc", "", S::Malformed},
        {"not hex", "g\r\n", "", S::Malformed},
        {"data longer than its size", "2\r\nabc\r\n", "ab", S::Malformed},
        {"size beyond fifteen digits", "1000000000000000\r\n", "", S::Malformed},
        {"endless extension", "1;" + longLine, "", S::Malformed},
        {"endless trailer", "0\r\n" + longTrailer, "", S::Malformed},
    };
    for (const auto &[what, input, body, status] : rows) {
        for (const qsizetype piece : {qsizetype(1), qsizetype(3), input.size()}) {
            SCOPED_TRACE(std::string(what) + " in pieces of " + std::to_string(piece));
            ChunkedDecoder decoder;
            QByteArray out;
            for (qsizetype at = 0; at < input.size(); at += piece)
                decoder.add(QByteArrayView(input).sliced(at, std::min(piece, input.size() - at)),
                            out);
            EXPECT_EQ(decoder.status(), status);
            EXPECT_EQ(out, body);
        }
    }
}

TEST(ReplyHeader, CodingsOfTheBodyAreRead)
{
    const std::tuple<QByteArray, bool, QString, std::optional<qint64>> rows[] = {
        {"Transfer-Encoding: chunked\r\nContent-Length: 9", true, u""_s, std::nullopt},
        {"transfer-encoding:  Chunked ", true, u""_s, std::nullopt},
        {"Content-Encoding: gzip\r\nContent-Length: 9", false, u"gzip"_s, 9},
        {"Transfer-Encoding: gzip, chunked", true, u"gzip"_s, std::nullopt},
        {"Transfer-Encoding: chunked, br", false, u"chunked"_s, std::nullopt},
        {"Content-Encoding: identity\r\nContent-Length: 9", false, u""_s, 9},
    };
    for (const auto &[fields, chunked, coding, length] : rows) {
        SCOPED_TRACE(fields.toStdString());
        const ReplyHeader header = parseReplyHeader("HTTP/1.1 200 OK\r\n" + fields + "\r\n\r\n");
        EXPECT_EQ(header.chunked, chunked);
        EXPECT_EQ(header.foreignCoding, coding);
        EXPECT_EQ(header.contentLength, length);
    }
}

TEST(StoredName, NoNameIsHiddenTakenTwiceOrTheTemporaryFile)
{
    const QString address = u"http://files.test.invalid/art/bob/12.bob.sketch.png"_s;
    const std::tuple<QString, int, QString> titles[] = {
        {u"???"_s, 1, u"12.bob.sketch.png"_s},
        {u"???"_s, 2, u"bob - 12.bob.sketch.png"_s},
        {QString(3, QChar(0x263A)) + u" "_s, 1, u"12.bob.sketch.png"_s},
        {u"a?"_s, 1, u"a.png"_s}, // anything left keeps today's name
    };
    for (const auto &[title, mode, name] : titles)
        EXPECT_EQ(MakeFileName(address, title, mode, u"bob"_s), name) << title.toStdString();

    const std::tuple<QString, int, QString> numbered[] = {
        {u"Sketch.png"_s, 2, u"Sketch (2).png"_s},
        {u"Sketch."_s, 3, u"Sketch (3)."_s},
        {u"notes"_s, 2, u"notes (2)"_s},
        {u"a.tar.gz"_s, 2, u"a.tar (2).gz"_s},
    };
    for (const auto &[name, number, out] : numbered)
        EXPECT_EQ(numberedName(name, number), out);
    EXPECT_LE(QFile::encodeName(numberedName(QString(251, u'a') + u".png"_s, 2)).size(), 255);

    QTemporaryDir program;
    QDir(program.path()).mkpath(u"art"_s);
    const QString linked = program.filePath(u"same"_s);
    ASSERT_TRUE(QFile::link(program.path(), linked));
    const std::tuple<QString, QString, QString> folders[] = {
        {program.path(), u"downloading.dat"_s, u"downloading (2).dat"_s},
        {program.path() + u"/art/.."_s, u"downloading.dat"_s, u"downloading (2).dat"_s},
        {linked, u"downloading.dat"_s, u"downloading (2).dat"_s},
        {program.filePath(u"art"_s), u"downloading.dat"_s, u"downloading.dat"_s},
        {program.path(), u"Downloading.dat"_s, u"Downloading.dat"_s},
    };
    for (const auto &[folder, name, out] : folders)
        EXPECT_EQ(nameBesideTemporaryFile(folder, name, program.path()), out)
            << folder.toStdString();
}

TEST(LocalFiles, NothingWrittenThroughALinkAndFailuresInTheSystemsWords)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(u"outside"_s);
    const QString temporary = dir.filePath(u"downloading.dat"_s);
    // A dangling link, then one to an existing file: neither is written through.
    for (const bool existing : {false, true}) {
        ASSERT_TRUE(!existing || writeFile(target, "mine"));
        QFile::remove(temporary);
        ASSERT_TRUE(QFile::link(target, temporary));
        QFile file;
        QString error;
        ASSERT_TRUE(LocalFiles::createFresh(file, temporary, &error)) << error.toStdString();
        ASSERT_TRUE(LocalFiles::writeAll(file, "body", &error));
        file.close();
        EXPECT_EQ(readFile(target), existing ? QByteArray("mine") : QByteArray("<missing>"));
        EXPECT_EQ(readFile(temporary), "body");
        EXPECT_FALSE(QFileInfo(temporary).isSymLink());
    }

    // A full disk, and a write cut short by a size limit, are named as such.
    const QByteArray big(200 * 1024, 'b');
    QFile full(u"/dev/full"_s);
    QString error;
    ASSERT_TRUE(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    EXPECT_FALSE(LocalFiles::writeAll(full, big, &error));
    EXPECT_EQ(error, systemWords(ENOSPC));
    ASSERT_TRUE(writeFile(temporary, big));
    {
        QFile file;
        ASSERT_TRUE(LocalFiles::createFresh(file, dir.filePath(u"cut"_s), &error));
        const FileSizeLimit limit(64 * 1024);
        EXPECT_FALSE(LocalFiles::writeAll(file, big, &error));
        EXPECT_EQ(error, systemWords(EFBIG));
        const StoreOutcome outcome = storeFile(temporary, dir.path(), u"pic.png"_s);
        EXPECT_EQ(outcome.result, StoreOutcome::Result::Failed);
        EXPECT_EQ(outcome.error, systemWords(EFBIG));
    }
}

TEST(LocalFiles, OnlyRegularFilesAreReadAndStaleStagingFilesGo)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(u"fifo"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(writeFile(dir.filePath(u"file"_s), "130\r\n"));
    using R = LocalFiles::ReadResult;
    const std::tuple<QString, R, QString> rows[] = {
        {dir.filePath(u"file"_s), R::Read, u""_s},
        {dir.filePath(u"none"_s), R::Missing, u""_s},
        {dir.path(), R::Refused, u"it is a folder, not a file"_s},
        {u"/dev/zero"_s, R::Refused, u"it is a device, not a file"_s},
        {fifo, R::Refused, u"it is a FIFO, not a file"_s},
    };
    for (const auto &[path, result, error] : rows) {
        QByteArray bytes;
        QString reason;
        EXPECT_EQ(LocalFiles::readRegularFile(path, 100, &bytes, &reason), result);
        EXPECT_EQ(reason, error) << path.toStdString();
    }

    // Leftovers of a killed copy go once they are an hour old; a fresh one may
    // still be written by another run.
    const QString stale = dir.filePath(u".vorpaline-abc123.part"_s);
    const QString fresh = dir.filePath(u".vorpaline-def456.part"_s);
    ASSERT_TRUE(writeFile(stale, "x") && writeFile(fresh, "y"));
    QFile old(stale);
    ASSERT_TRUE(old.open(QIODevice::ReadWrite) &&
                old.setFileTime(QDateTime::currentDateTime().addSecs(-7200),
                                QFileDevice::FileModificationTime));
    old.close();
    EXPECT_EQ(storeFile(dir.filePath(u"file"_s), dir.path(), u"a.png"_s).result,
              StoreOutcome::Result::Stored);
    EXPECT_FALSE(QFile::exists(stale));
    EXPECT_TRUE(QFile::exists(fresh));
}
