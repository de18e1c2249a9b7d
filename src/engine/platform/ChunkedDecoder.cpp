#include "platform/ChunkedDecoder.h"

#include <algorithm>

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Fifteen hex digits keep a size within 60 bits: no overflow, and far beyond any file.
constexpr int MaxSizeDigits = 15;

} // namespace

void ChunkedDecoder::reset()
{
    m_status = Status::More;
    m_step = Step::Size;
    m_left = 0;
    m_digits = 0;
    m_lineBytes = 0;
    m_trailerBytes = 0;
}

ChunkedDecoder::Status ChunkedDecoder::fail()
{
    m_status = Status::Malformed;
    return m_status;
}

ChunkedDecoder::Status ChunkedDecoder::add(QByteArrayView piece, QByteArray &body)
{
    qsizetype at = 0;
    while (m_status == Status::More && at < piece.size()) {
        if (m_step == Step::Data) {
            const qsizetype n = qsizetype(std::min<qint64>(m_left, piece.size() - at));
            body.append(piece.sliced(at, n));
            at += n;
            m_left -= n;
            if (m_left == 0)
                m_step = Step::DataCr;
            continue;
        }
        const char c = piece.at(at++);
        switch (m_step) {
        case Step::Size:
            if (const int digit = hexValue(c); digit >= 0) {
                if (++m_digits > MaxSizeDigits)
                    return fail();
                m_left = m_left * 16 + digit;
            } else if (m_digits == 0) {
                return fail();
            } else if (c == ';' || c == ' ' || c == '\t') {
                m_step = Step::Extension;
            } else if (c == '\r') {
                m_step = Step::SizeEnd;
            } else if (c == '\n') {
                m_step = m_left > 0 ? Step::Data : Step::TrailerLineStart;
            } else {
                return fail();
            }
            if (++m_lineBytes > MaxLineBytes)
                return fail();
            break;
        case Step::Extension:
            // Extensions are not used; only their length is watched.
            if (c == '\r')
                m_step = Step::SizeEnd;
            else if (c == '\n')
                m_step = m_left > 0 ? Step::Data : Step::TrailerLineStart;
            else if (++m_lineBytes > MaxLineBytes)
                return fail();
            break;
        case Step::SizeEnd:
            if (c != '\n')
                return fail();
            m_step = m_left > 0 ? Step::Data : Step::TrailerLineStart;
            break;
        case Step::DataCr:
            if (c == '\n') {
                m_step = Step::Size;
            } else if (c == '\r') {
                m_step = Step::DataLf;
            } else {
                return fail();
            }
            m_digits = 0;
            m_lineBytes = 0;
            break;
        case Step::DataLf:
            if (c != '\n')
                return fail();
            m_step = Step::Size;
            break;
        case Step::TrailerLineStart:
            if (c == '\n') {
                m_status = Status::Done;
            } else if (c == '\r') {
                m_step = Step::TrailerEnd;
            } else {
                m_step = Step::TrailerLine;
                if (++m_trailerBytes > MaxTrailerBytes)
                    return fail();
            }
            break;
        case Step::TrailerLine:
            if (c == '\n')
                m_step = Step::TrailerLineStart;
            if (++m_trailerBytes > MaxTrailerBytes)
                return fail();
            break;
        case Step::TrailerEnd:
            if (c != '\n')
                return fail();
            m_status = Status::Done;
            break;
        case Step::Data:
            break;
        }
    }
    return m_status;
}
