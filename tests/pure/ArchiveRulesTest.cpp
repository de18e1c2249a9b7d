#include "archive/ArchiveRules.h"
#include "core/JobOptions.h"
#include "settings/SwitchesFile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ArchiveRules, SubmissionNumberIsThePlainDigitsBeforeTheSlash)
{
    // clang-format off
    const std::pair<QString, std::optional<qint64>> cases[] = {
        {u"1234/\"><img"_s, 1234}, {u"0/"_s, 0}, {u"9223372036854775807/"_s, INT64_MAX},
        {u"9223372036854775808/"_s, {}}, {u"12a/"_s, {}}, {u"-5/"_s, {}}, {u"+5/"_s, {}},
        {u" 5/"_s, {}}, {u"/"_s, {}}, {u""_s, {}}, {u"77\">"_s, {}}, {u"\u0663/"_s, {}},
    };
    // clang-format on
    for (const auto &[text, number] : cases)
        EXPECT_EQ(submissionNumber(text), number) << text.toStdString();
}

TEST(ArchiveRules, QuickListingStopsOnlyAtAPageOfKnownEntries)
{
    using enum EntryStanding;
    const std::pair<QList<EntryStanding>, bool> cases[] = {
        {{Known}, true},
        {{Known, Filtered, Known}, true},
        {{Filtered, Known}, true},
        {{Known, New}, false},
        {{New, Known}, false},
        {{Filtered, Filtered}, false},
        {{}, false},
        {{New}, false},
    };
    for (const auto &[page, stops] : cases)
        EXPECT_EQ(pageEndsQuickListing(page), stops) << page.size();
}

TEST(ArchiveRules, ExportLineIsOneJsonObjectWithEveryKey)
{
    const ArchiveRow row{9007199254740993 / 2,
                         u"alice"_s,
                         u"scraps"_s,
                         u"adult"_s,
                         u"Say \"hi\"\n\u00e9\\"_s,
                         u"http://f/1.png"_s,
                         u"/art/a b.png"_s,
                         5'000'000'000,
                         u"ab01"_s,
                         QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), QTimeZone(3600))};
    const QByteArray line = exportLine(row);
    EXPECT_FALSE(line.contains('\n'));
    const QJsonObject object = QJsonDocument::fromJson(line).object();
    EXPECT_EQ(object.keys(),
              (QStringList{u"folder"_s, u"id"_s, u"path"_s, u"rating"_s, u"sha256"_s, u"size"_s,
                           u"stored"_s, u"title"_s, u"url"_s, u"user"_s}));
    EXPECT_EQ(object[u"id"_s].toInteger(), row.id);
    EXPECT_EQ(object[u"size"_s].toInteger(), row.size);
    EXPECT_EQ(object[u"title"_s].toString(), row.title);
    EXPECT_EQ(object[u"stored"_s].toString(), u"2026-01-02T02:04:05Z"_s);
    for (const QString &key : {u"user"_s, u"folder"_s, u"rating"_s, u"url"_s, u"path"_s})
        EXPECT_FALSE(object[key].toString().isEmpty()) << key.toStdString();
}

TEST(SwitchesFile, OnlyWhatItWritesTurnsASwitchOn)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(SwitchesFileName);
    for (int bits = 0; bits < 8; ++bits) {
        JobOptions written;
        written.skipArchived = bits & 1, written.quickSync = bits & 2;
        written.resumeCutFiles = bits & 4;
        QString error;
        ASSERT_TRUE(writeSwitches(path, written, &error)) << error.toStdString();
        JobOptions read;
        read.skipArchived = read.quickSync = read.resumeCutFiles = !(bits & 1);
        readSwitches(path, read);
        EXPECT_EQ(std::tuple(read.skipArchived, read.quickSync, read.resumeCutFiles),
                  std::tuple(written.skipArchived, written.quickSync, written.resumeCutFiles));
    }
    // Hand-edited, missing or unreadable: off.
    for (const QByteArray &text :
         {"[archive]\nskipArchived=1\nquickSync=yes\n[download]\nresumeCutFiles=TRUE\n"_ba,
          "\xff\xfe\0garbage"_ba, ""_ba}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text), file.close();
        JobOptions read;
        read.skipArchived = read.quickSync = read.resumeCutFiles = true;
        readSwitches(text.isEmpty() ? folder.filePath(u"none.ini"_s) : path, read);
        EXPECT_FALSE(read.skipArchived || read.quickSync || read.resumeCutFiles) << text.data();
    }
    QString error;
    EXPECT_FALSE(writeSwitches(path + u"/x.ini"_s, JobOptions(), &error)); // under a file
    EXPECT_FALSE(error.isEmpty());
}
