#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The header of a file reply, read from the bytes received so far.
struct ReplyHeader
{
    enum class Status
    {
        Incomplete, // no blank line yet: more data may still come
        Complete,
        Malformed, // not an HTTP reply, a header too long to be one, or a fold before any field
    };

    Status status = Status::Incomplete;
    int statusCode = 0;
    QString reason;                      // as sent, e.g. "Not Found"
    std::optional<qint64> contentLength; // absent, unreadable, or ignored for a chunked body
    bool chunked = false;                // the body comes in the chunked transfer coding
    // A content or transfer coding other than identity and chunked, as sent
    // (lower case): the body is not the file itself.
    QString foreignCoding;
    qsizetype headerLength = 0; // bytes up to and including the blank line
    // What a resumed transfer rests on, each from its first field, as sent.
    bool acceptsByteRanges = false; // "Accept-Ranges" names bytes
    QByteArray entityTag, lastModified, contentRange;
};

// Headers longer than this, blank line included, are not waited for.
inline constexpr qsizetype MaxReplyHeaderBytes = 64 * 1024;

ReplyHeader parseReplyHeader(QByteArrayView data);

// The number after the first "Content-Length:" (exact case) in a chunk, up to
// the next CR or the end of the chunk; absent when there is no such text or no
// number after it.
std::optional<qint64> contentLengthInChunk(QByteArrayView chunk);

// 2xx: the reply is the file.
inline bool isSuccessStatus(int code)
{
    return code >= 200 && code <= 299;
}
