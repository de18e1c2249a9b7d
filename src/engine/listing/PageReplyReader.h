#pragma once

#include "platform/ChunkedDecoder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Turns a listing reply, as it arrives, into the page text the markers are
// looked for in: the header as it came, then the body without the chunked
// transfer coding a server may use for an HTTP/1.1 request. Bytes that are
// no HTTP reply (or whose header never ends) are passed on as they stand.
class PageReplyReader final
{
    Q_DISABLE_COPY_MOVE(PageReplyReader)

public:
    enum class Status
    {
        Reading,
        Coded,     // the body is compressed or otherwise coded: no marker can be read in it
        Malformed, // the chunked framing is broken
    };

    PageReplyReader() = default;

    void reset();
    // Appends what piece adds to the page text to text.
    Status add(QByteArrayView piece, QByteArray &text);
    // The coding of a Coded reply, as sent.
    QString coding() const { return m_coding; }

private:
    enum class Mode
    {
        Header,
        Plain,
        Chunked,
    };

    Status body(QByteArrayView bytes, QByteArray &text);

    Mode m_mode = Mode::Header;
    QByteArray m_header;
    ChunkedDecoder m_chunks;
    QString m_coding;
};
