// A chunked body decoded from the bytes as they arrive, split anywhere: the
// outcome must be the one of decoding the same bytes in one piece, and the
// decoder never gives out more bytes than it was given.
#include "FuzzCheck.h"

#include "platform/ChunkedDecoder.h"

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t seed = data[0];
    const QByteArrayView body(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    ChunkedDecoder whole;
    QByteArray wholeOut;
    whole.add(body, wholeOut);

    ChunkedDecoder pieces;
    QByteArray piecesOut;
    uint32_t state = seed + 1;
    for (qsizetype at = 0; at < body.size();) {
        state = state * 1103515245 + 12345;
        const qsizetype length = std::min<qsizetype>(1 + (state >> 8) % 40, body.size() - at);
        pieces.add(body.sliced(at, length), piecesOut);
        at += length;
    }
    FUZZ_CHECK(pieces.status() == whole.status(),
               u"%1 vs %2"_s.arg(int(pieces.status())).arg(int(whole.status())));
    FUZZ_CHECK(piecesOut == wholeOut, u"bodies differ"_s);
    FUZZ_CHECK(wholeOut.size() <= body.size(), u"more out than in"_s);
    return 0;
}
