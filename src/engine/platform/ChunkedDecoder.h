#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Undoes the chunked transfer coding of an HTTP reply body, piece by piece as
// the bytes arrive, however they are split. It holds no bytes of its own:
// each piece's data goes straight to the caller, and size lines, extensions
// and trailers are bounded, so a hostile reply cannot make it grow.
class ChunkedDecoder final
{
    Q_DISABLE_COPY_MOVE(ChunkedDecoder)

public:
    enum class Status
    {
        More,      // the body goes on
        Done,      // the last chunk and the trailer have arrived
        Malformed, // not chunked data: the reply cannot be used
    };

    // Longest size line (digits and extensions) and trailer section taken.
    static constexpr qsizetype MaxLineBytes = 4096;
    static constexpr qsizetype MaxTrailerBytes = 64 * 1024;

    ChunkedDecoder() = default;

    void reset();
    // Appends the data bytes of piece to body. Bytes after the end are ignored.
    Status add(QByteArrayView piece, QByteArray &body);
    Status status() const { return m_status; }

private:
    enum class Step
    {
        Size,
        Extension,
        SizeEnd,
        Data,
        DataCr,
        DataLf,
        TrailerLineStart,
        TrailerLine,
        TrailerEnd,
    };

    Status fail();

    Status m_status = Status::More;
    Step m_step = Step::Size;
    qint64 m_left = 0; // data bytes still to come in this chunk, or the size being read
    int m_digits = 0;
    qsizetype m_lineBytes = 0;
    qsizetype m_trailerBytes = 0;
};
