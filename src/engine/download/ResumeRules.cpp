#include "download/ResumeRules.h"

#include "core/RequestText.h"
#include "http/ReplyHeader.h"

#include <QList>

#include <algorithm>

namespace {

const QByteArray RecordTitle = "vorpaline part 1";
const char *const RecordKeys[] = {"url", "validator", "total", "bytes", "identity"};
constexpr qsizetype MaxValidator = 200;

bool inRange(QByteArrayView text, char lowest, char highest)
{
    return std::all_of(text.begin(), text.end(),
                       [&](char c) { return c >= lowest && c <= highest; });
}

bool withoutControls(QByteArrayView text)
{
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return uchar(c) < uchar(' ') || c == '\x7f'; });
}

// A strong entity tag: quoted, visible characters inside. A weak one (W/"...")
// cannot ask for a range.
bool strongTag(QByteArrayView tag)
{
    return tag.size() >= 2 && tag.size() <= MaxValidator && tag.front() == '"' &&
           tag.back() == '"' && !tag.sliced(1, tag.size() - 2).contains('"') &&
           inRange(tag, '!', '~');
}

// A date as the host wrote it: printable and short, nothing that could end a
// line, and no quote, which would make it a tag (a weak one, say).
bool usableDate(QByteArrayView date)
{
    return !date.isEmpty() && date.size() <= MaxValidator && date.front() != ' ' &&
           date.back() != ' ' && inRange(date, ' ', '~') && !date.contains('"');
}

bool usableValidator(QByteArrayView validator)
{
    return validator.startsWith('"') ? strongTag(validator) : usableDate(validator);
}

std::optional<qint64> digits(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 18 || !inRange(text, '0', '9'))
        return std::nullopt;
    return text.toLongLong();
}

// "bytes first-last/total"
struct ContentRange
{
    qint64 first = 0, last = 0, total = 0;
};
std::optional<ContentRange> readContentRange(QByteArrayView text)
{
    const QByteArray lower = text.toByteArray().toLower();
    if (!lower.startsWith("bytes "))
        return std::nullopt;
    const QByteArray rest = lower.sliced(6).trimmed();
    const qsizetype dash = rest.indexOf('-'), slash = rest.indexOf('/');
    if (dash < 0 || slash < dash)
        return std::nullopt;
    const auto first = digits(QByteArrayView(rest).first(dash));
    const auto last = digits(QByteArrayView(rest).sliced(dash + 1, slash - dash - 1));
    const auto total = digits(QByteArrayView(rest).sliced(slash + 1));
    if (!first || !last || !total)
        return std::nullopt;
    return ContentRange{*first, *last, *total};
}

QString shown(const QByteArray &text)
{
    QString result;
    for (const char c : text.left(60))
        result += (c >= ' ' && c <= '~') ? QChar::fromLatin1(c) : QChar(u'?');
    return result;
}

} // namespace

QString resumeValidator(const ReplyHeader &header)
{
    if (!header.acceptsByteRanges)
        return {};
    if (strongTag(header.entityTag))
        return QString::fromLatin1(header.entityTag);
    if (usableDate(header.lastModified))
        return QString::fromLatin1(header.lastModified);
    return {};
}

QString resumedRequestText(const QString &request, qint64 offset, const QString &validator)
{
    // The request ends with its blank line; the two lines go before it.
    return request.chopped(2) + QStringLiteral("Range: bytes=%1-\r\n").arg(offset) +
           QStringLiteral("If-Range: ") + withoutControlCharacters(validator) +
           QStringLiteral("\r\n\r\n");
}

RangeVerdict rangeReplyVerdict(const ReplyHeader &header, const ResumeRecord &part)
{
    using Kind = RangeVerdict::Kind;
    if (header.statusCode == 200)
        return {Kind::Restart, {}};
    if (header.statusCode == 416)
        return {Kind::Mismatch, QStringLiteral("416 %1").arg(header.reason)};
    if (header.statusCode != 206)
        return {Kind::Other, {}};

    // A host that names another version of the file has sent a piece of that one.
    const QByteArray validator = part.validator.toLatin1();
    const QByteArray &named = validator.startsWith('"') ? header.entityTag : header.lastModified;
    if (!named.isEmpty() && named != validator)
        return {Kind::Mismatch, QStringLiteral("the file changed on the host")};

    const std::optional<ContentRange> range = readContentRange(header.contentRange);
    if (!range)
        return {Kind::Mismatch,
                header.contentRange.isEmpty()
                    ? QStringLiteral("no Content-Range")
                    : QStringLiteral("unreadable Content-Range ") + shown(header.contentRange)};
    if (range->first != part.bytes || range->total != part.total || range->last != part.total - 1)
        return {Kind::Mismatch, QStringLiteral("Content-Range %1 does not continue byte %2 of %3")
                                    .arg(shown(header.contentRange))
                                    .arg(part.bytes)
                                    .arg(part.total)};
    if (header.contentLength && *header.contentLength != part.total - part.bytes)
        return {Kind::Mismatch, QStringLiteral("Content-Length %1 is not the %2 bytes left")
                                    .arg(*header.contentLength)
                                    .arg(part.total - part.bytes)};
    return {Kind::Continue, {}};
}

QByteArray resumeRecordText(const ResumeRecord &record)
{
    const QByteArray values[] = {record.url.toUtf8(), record.validator.toLatin1(),
                                 QByteArray::number(record.total), QByteArray::number(record.bytes),
                                 record.identity.toUtf8()};
    QByteArray text = RecordTitle + '\n';
    for (size_t i = 0; i < std::size(values); ++i)
        text += QByteArray(RecordKeys[i]) + ' ' + values[i] + '\n';
    return text;
}

std::optional<ResumeRecord> readResumeRecord(QByteArrayView text)
{
    const QList<QByteArray> lines = text.toByteArray().split('\n');
    constexpr qsizetype keys = qsizetype(std::size(RecordKeys));
    // The title, one line per key in order, and nothing after the last line break.
    if (lines.size() != keys + 2 || lines.front() != RecordTitle || !lines.back().isEmpty())
        return std::nullopt;
    QByteArray values[keys];
    for (qsizetype i = 0; i < keys; ++i) {
        const QByteArray prefix = QByteArray(RecordKeys[i]) + ' ';
        const QByteArray &line = lines.at(i + 1);
        if (!line.startsWith(prefix) || !withoutControls(line))
            return std::nullopt;
        values[i] = line.sliced(prefix.size());
    }
    const auto total = digits(values[2]), bytes = digits(values[3]);
    // A part holds some of the file but not all: a whole file is stored, not resumed.
    if (values[0].isEmpty() || !usableValidator(values[1]) || !total || !bytes || *bytes <= 0 ||
        *bytes >= *total || values[4].isEmpty())
        return std::nullopt;
    return ResumeRecord{QString::fromUtf8(values[0]), QString::fromLatin1(values[1]), *total,
                        *bytes, QString::fromUtf8(values[4])};
}
