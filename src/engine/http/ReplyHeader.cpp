#include "http/ReplyHeader.h"

#include <QList>

#include <algorithm>

namespace {

// Digits only, after surrounding blanks; too many digits count as unreadable.
std::optional<qint64> readCount(QByteArrayView text)
{
    const QByteArrayView trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (const char c : trimmed) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// A coding's name as it may go into a log line: printable, and short.
QString printable(const QByteArray &text)
{
    QString shown;
    for (const char c : text.left(40))
        shown += (c >= 32 && c < 127) ? QChar::fromLatin1(c) : QChar(u'?');
    return shown;
}

// The first field of that name: later ones of the same name are ignored.
bool takeFirst(const QByteArray &name, const char *wanted, const QByteArray &value,
               QByteArray *into)
{
    if (name.compare(wanted, Qt::CaseInsensitive) != 0)
        return false;
    if (into->isEmpty())
        *into = value;
    return true;
}

bool startsLike(QByteArrayView data, QByteArrayView prefix)
{
    const qsizetype n = std::min(data.size(), prefix.size());
    return data.first(n) == prefix.first(n);
}

} // namespace

ReplyHeader parseReplyHeader(QByteArrayView data)
{
    ReplyHeader header;
    if (!startsLike(data, "HTTP")) {
        header.status = ReplyHeader::Status::Malformed;
        return header;
    }
    // Only a blank line within the first MaxReplyHeaderBytes ends a header, so
    // the outcome is the same however the bytes were split when they arrived.
    const QByteArrayView head = data.first(std::min(data.size(), MaxReplyHeaderBytes));
    const qsizetype end = head.indexOf(QByteArrayView("\r\n\r\n"));
    if (end < 0) {
        if (data.size() >= MaxReplyHeaderBytes)
            header.status = ReplyHeader::Status::Malformed;
        return header;
    }
    header.headerLength = end + 4;

    const QList<QByteArray> lines = data.first(end).toByteArray().split('\n');
    // Status line: HTTP/x.y SP code [SP reason]
    const QByteArray statusLine = lines.first().trimmed();
    const qsizetype firstSpace = statusLine.indexOf(' ');
    if (firstSpace < 0) {
        header.status = ReplyHeader::Status::Malformed;
        return header;
    }
    const QByteArray rest = statusLine.mid(firstSpace + 1).trimmed();
    const qsizetype secondSpace = rest.indexOf(' ');
    const QByteArray code = secondSpace < 0 ? rest : rest.left(secondSpace);
    const std::optional<qint64> number = readCount(code);
    if (code.size() != 3 || !number) {
        header.status = ReplyHeader::Status::Malformed;
        return header;
    }
    header.statusCode = int(*number);
    header.reason =
        secondSpace < 0 ? QString() : QString::fromLatin1(rest.mid(secondSpace + 1).trimmed());

    // A line that starts with a blank continues the field before it (an
    // obsolete folding, still sent): read unfolded, a folded coding is seen.
    QList<QByteArray> fields;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        if (!line.startsWith(' ') && !line.startsWith('\t')) {
            fields.append(line.trimmed());
        } else if (fields.isEmpty()) {
            // Nothing to continue: which field it belongs to cannot be told.
            header.status = ReplyHeader::Status::Malformed;
            return header;
        } else {
            fields.last() += ' ' + line.trimmed();
        }
    }

    bool lengthSeen = false;
    QByteArray rangeUnits;
    for (const QByteArray &line : std::as_const(fields)) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray name = line.left(colon).trimmed();
        const QByteArray asSent = line.mid(colon + 1).trimmed();
        const QByteArray value = asSent.toLower();
        if (name.compare("Content-Length", Qt::CaseInsensitive) == 0 && !lengthSeen) {
            header.contentLength = readCount(value);
            lengthSeen = true;
            continue;
        }
        if (takeFirst(name, "Accept-Ranges", value, &rangeUnits)) {
            const QList<QByteArray> units = rangeUnits.split(',');
            header.acceptsByteRanges =
                std::any_of(units.begin(), units.end(),
                            [](const auto &unit) { return unit.trimmed() == "bytes"; });
            continue;
        }
        if (takeFirst(name, "ETag", asSent, &header.entityTag) ||
            takeFirst(name, "Last-Modified", asSent, &header.lastModified) ||
            takeFirst(name, "Content-Range", asSent, &header.contentRange))
            continue;
        const bool transfer = name.compare("Transfer-Encoding", Qt::CaseInsensitive) == 0;
        if (!transfer && name.compare("Content-Encoding", Qt::CaseInsensitive) != 0)
            continue;
        const QList<QByteArray> codings = value.split(',');
        for (qsizetype k = 0; k < codings.size(); ++k) {
            const QByteArray coding = codings.at(k).trimmed();
            if (coding.isEmpty() || coding == "identity")
                continue;
            // Chunked counts only as the last transfer coding: then it frames the body.
            if (transfer && coding == "chunked" && k == codings.size() - 1)
                header.chunked = true;
            else if (header.foreignCoding.isEmpty())
                header.foreignCoding = printable(coding);
        }
    }
    // A chunked body carries its own end: a size beside it means nothing.
    if (header.chunked)
        header.contentLength.reset();
    header.status = ReplyHeader::Status::Complete;
    return header;
}

std::optional<qint64> contentLengthInChunk(QByteArrayView chunk)
{
    static constexpr QByteArrayView Name("Content-Length:");
    const qsizetype at = chunk.indexOf(Name);
    if (at < 0)
        return std::nullopt;
    const QByteArrayView after = chunk.sliced(at + Name.size());
    const qsizetype cr = after.indexOf('\r');
    return readCount(cr < 0 ? after : after.first(cr));
}
