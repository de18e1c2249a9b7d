#include "download/ReplyHeader.h"

#include <QList>

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

    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        if (line.left(colon).trimmed().compare("Content-Length", Qt::CaseInsensitive) == 0) {
            header.contentLength = readCount(QByteArrayView(line).sliced(colon + 1));
            break;
        }
    }
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
