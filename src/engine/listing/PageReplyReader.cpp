#include "listing/PageReplyReader.h"

#include "download/ReplyHeader.h"

void PageReplyReader::reset()
{
    m_mode = Mode::Header;
    m_header = QByteArray();
    m_chunks.reset();
    m_coding.clear();
}

PageReplyReader::Status PageReplyReader::body(QByteArrayView bytes, QByteArray &text)
{
    if (m_mode == Mode::Plain) {
        text.append(bytes);
        return Status::Reading;
    }
    // Whatever follows the last chunk is no part of the page.
    return m_chunks.add(bytes, text) == ChunkedDecoder::Status::Malformed ? Status::Malformed
                                                                          : Status::Reading;
}

PageReplyReader::Status PageReplyReader::add(QByteArrayView piece, QByteArray &text)
{
    if (!m_coding.isEmpty())
        return Status::Coded;
    if (m_mode != Mode::Header)
        return body(piece, text);

    m_header.append(piece);
    const ReplyHeader header = parseReplyHeader(m_header);
    switch (header.status) {
    case ReplyHeader::Status::Incomplete:
        return Status::Reading;
    case ReplyHeader::Status::Malformed:
        m_mode = Mode::Plain;
        text.append(std::exchange(m_header, QByteArray()));
        return Status::Reading;
    case ReplyHeader::Status::Complete:
        break;
    }
    if (!header.foreignCoding.isEmpty()) {
        m_coding = header.foreignCoding;
        m_header = QByteArray();
        return Status::Coded;
    }
    m_mode = header.chunked ? Mode::Chunked : Mode::Plain;
    const QByteArray received = std::exchange(m_header, QByteArray());
    text.append(QByteArrayView(received).first(header.headerLength));
    return body(QByteArrayView(received).sliced(header.headerLength), text);
}
