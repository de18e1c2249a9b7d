#include "archive/ArchiveRules.h"

#include <QJsonDocument>
#include <QJsonObject>
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

// The program's export checks every key; here, what a title or time may hold.
TEST(ArchiveRules, ExportLineIsOneJsonObjectWithEveryKey)
{
    ArchiveRow row{4503599627370496, {}, {}, {}, u"Say \"hi\"\n\u00e9\\"_s, {}, {}, 5'000'000'000};
    row.stored = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), QTimeZone(3600));
    const QByteArray line = exportLine(row);
    const QJsonObject object = QJsonDocument::fromJson(line).object();
    EXPECT_EQ(object.keys().join(u','),
              u"folder,id,path,rating,sha256,size,stored,title,url,user"_s);
    EXPECT_EQ(std::tuple(object[u"id"_s].toInteger(), object[u"size"_s].toInteger(),
                         object[u"title"_s].toString(), object[u"stored"_s].toString()),
              std::tuple(row.id, row.size, row.title, u"2026-01-02T02:04:05Z"_s));
    EXPECT_FALSE(line.contains('\n'));
}
