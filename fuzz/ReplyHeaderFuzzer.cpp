// A file reply's header read from the bytes as they arrive, split anywhere:
// the outcome must be the one of reading the same bytes in one piece.
#include "FuzzCheck.h"

#include "http/ReplyHeader.h"

using namespace Qt::StringLiterals;

namespace {

QString summary(const ReplyHeader &h)
{
    return QStringLiteral("%1 %2 [%3] %4 %5")
        .arg(int(h.status))
        .arg(h.statusCode)
        .arg(h.reason)
        .arg(h.contentLength ? QString::number(*h.contentLength) : QStringLiteral("-"))
        .arg(h.headerLength);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t seed = data[0];
    QByteArray reply(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    // Long headers cost the fuzzer nothing to reach: one byte pads the header
    // past the reader's limit, or near it.
    if (seed & 0x80) {
        const qsizetype lineEnd = reply.indexOf("\r\n");
        const QByteArray pad =
            "X-Pad: " + QByteArray(MaxReplyHeaderBytes - 64 + (seed & 0x7F), 'a') + "\r\n";
        reply.insert(lineEnd < 0 ? reply.size() : lineEnd + 2, pad);
    }

    // As the transfer does: add each piece, read all so far, stop once decided.
    QByteArray received;
    ReplyHeader pieces;
    uint32_t state = seed + 1;
    for (qsizetype at = 0; at < reply.size();) {
        state = state * 1103515245 + 12345;
        const qsizetype length = 1 + (state >> 8) % (reply.size() > 4096 ? 3000 : 40);
        received.append(reply.mid(at, length));
        at += length;
        pieces = parseReplyHeader(received);
        if (pieces.status != ReplyHeader::Status::Incomplete)
            break;
    }
    const ReplyHeader whole = parseReplyHeader(reply);
    FUZZ_CHECK(summary(pieces) == summary(whole), summary(pieces) + u" vs "_s + summary(whole));
    return 0;
}
