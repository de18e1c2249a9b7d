#include "archive/ArchiveRules.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

std::optional<qint64> submissionNumber(QStringView afterView)
{
    const qsizetype slash = afterView.indexOf(u'/');
    if (slash <= 0)
        return std::nullopt;
    const QStringView digits = afterView.first(slash);
    // toLongLong would take a sign or spaces; only plain digits are a number.
    if (!std::all_of(digits.begin(), digits.end(),
                     [](QChar c) { return c.isDigit() && c.unicode() < 128; }))
        return std::nullopt;
    bool ok = false;
    const qint64 number = digits.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}

bool pageEndsQuickListing(const QList<EntryStanding> &page)
{
    bool known = false;
    for (EntryStanding standing : page) {
        if (standing == EntryStanding::New)
            return false;
        known = known || standing == EntryStanding::Known;
    }
    return known;
}

QByteArray exportLine(const ArchiveRow &row)
{
    const QJsonObject object{
        {QStringLiteral("id"), row.id},
        {QStringLiteral("user"), row.user},
        {QStringLiteral("folder"), row.folder},
        {QStringLiteral("rating"), row.rating},
        {QStringLiteral("title"), row.title},
        {QStringLiteral("url"), row.url},
        {QStringLiteral("path"), row.path},
        {QStringLiteral("size"), row.size},
        {QStringLiteral("sha256"), row.sha256},
        {QStringLiteral("stored"), row.stored.toUTC().toString(Qt::ISODate)},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}
