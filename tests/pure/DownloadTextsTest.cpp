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
