#include "TestTools.h"

#include "download/FileStore.h"
#include "naming/DownloadFolders.h"
#include "naming/FileNames.h"
#include "platform/ChunkedDecoder.h"
#include "platform/LocalFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

TEST(ChunkedDecoder, DecodesOnlyChunkedBodiesHoweverSplit)
{
    using S = ChunkedDecoder::Status;
    const QByteArray longLine(ChunkedDecoder::MaxLineBytes + 1, 'x');
    const QByteArray longTrailer(ChunkedDecoder::MaxTrailerBytes + 1, 'x');
    // clang-format off
    const std::tuple<const char *, QByteArray, QByteArray, S> rows[] = {
        {"chunks and a trailer", "5\r\nhello\r\nA;x=1\r\n, world!!!\r\n0\r\nT: 1\r\n\r\nafter", "hello, world!!!", S::Done},
        {"bare line feeds", "3\nabc\n0\n\n", "abc", S::Done},
        {"not ended yet", "4\r\nabcd\r\n", "abcd", S::More},
        {"no size", "\r\nabc", "", S::Malformed},
        {"data longer than its size", "2\r\nabc\r\n", "ab", S::Malformed},
        {"carriage return alone after the data", "2\r\nab\rx0\r\n\r\n", "ab", S::Malformed},
        {"size beyond fifteen digits", "1000000000000000\r\n", "", S::Malformed},
        {"endless extension", "1;" + longLine, "", S::Malformed},
        {"endless trailer", "0\r\n" + longTrailer, "", S::Malformed},
    };
    // clang-format on
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

TEST(StoredName, IsNeitherHiddenNorTheTemporaryFile)
{
    const QString url = u"http://files.test.invalid/art/bob/12.bob.sketch.png"_s;
    EXPECT_EQ(MakeFileName(url, u"???"_s, 2, u"bob"_s), u"bob - 12.bob.sketch.png"_s);
    EXPECT_EQ(MakeFileName(url, QString(3, QChar(0x263A)), 1, u"bob"_s), u"12.bob.sketch.png"_s);
    EXPECT_EQ(MakeFileName(url, u"a?"_s, 1, u"bob"_s), u"a.png"_s); // anything left stays
    EXPECT_LE(QFile::encodeName(numberedName(QString(251, u'a') + u".png"_s, 2)).size(), 255);

    // The program's folder by another path too.
    QTemporaryDir program;
    ASSERT_TRUE(QFile::link(program.path(), program.filePath(u"same"_s)));
    EXPECT_EQ(
        nameBesideTemporaryFile(program.filePath(u"same"_s), u"downloading.dat"_s, program.path()),
        u"downloading (2).dat"_s);
}

TEST(LocalFiles, FailedWritesNameTheirCauseAndLeaveNoParts)
{
    QTemporaryDir dir;
    QFile file;
    QString error;
    // The system's words, not "Unknown error" or "Input/output error".
    const QByteArray big(200 * 1024, 'b');
    QFile full(u"/dev/full"_s);
    ASSERT_TRUE(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    EXPECT_FALSE(LocalFiles::writeAll(full, big, &error));
    EXPECT_EQ(error, QString::fromLocal8Bit(std::strerror(ENOSPC)));
    QFile whole;
    ASSERT_TRUE(LocalFiles::createFresh(whole, dir.filePath(u"downloading.dat"_s), &error) &&
                LocalFiles::writeAll(whole, big, &error));
    {
        const FileSizeLimit limit(64 * 1024);
        EXPECT_FALSE(LocalFiles::createFresh(file, dir.filePath(u"cut"_s), &error) &&
                     LocalFiles::writeAll(file, big, &error));
        EXPECT_EQ(error, QString::fromLocal8Bit(std::strerror(EFBIG)));
        EXPECT_EQ(storeFile(whole, big.size(), dir.path(), {u"pic.png"_s}).error, error);
    }
}
