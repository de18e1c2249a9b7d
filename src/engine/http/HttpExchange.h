#pragma once

#include "http/ReplyHeader.h"
#include "platform/ChunkedDecoder.h"
#include "platform/HostAddress.h"
#include "platform/LowSpeedWatch.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class TcpClientSocket;

// Why an exchange went wrong. The owner decides what each means: a retry, a
// log line or a report.
struct HttpFailure
{
    enum class Reason
    {
        Closed,      // the host closed the connection
        LostInData,  // data was announced after the connection had left the connected state
        Silent,      // nothing arrived for the silence time
        TooSlow,     // fewer bytes than the low-speed floor over a whole window
        TooLarge,    // the reply passed its byte bound
        SocketError, // number and description say which
        Unverified,  // the TLS handshake was refused; description is the line to log
    };

    Reason reason = Reason::Closed;
    int number = 0;
    QString description;
};

// A piece of a reply's body as it arrived.
struct HttpBodyPiece
{
    QByteArray data;     // the body's own bytes, without the chunked framing
    QByteArray received; // the bytes as they came, framing included
    // More for a body that is not chunked: its owner knows where it ends.
    ChunkedDecoder::Status status = ChunkedDecoder::Status::More;
};

// One request and its reply at a time over a client socket: the connection,
// the request out once it is made, the watches on the reply (silence, low
// speed, size), the reply's header read from whatever pieces it comes in, and
// its body without the chunked framing. Every event of the connection is
// handed on, so the owner keeps the last word on what happens next.
class HttpExchange final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HttpExchange)

public:
    // How a reply is watched and read, from its request on.
    struct Reading
    {
        int silenceMs = -1;  // a reply silent this long fails; below 0 it may wait for ever
        qint64 maxBytes = 0; // a reply past this many bytes, framing included, fails; 0 no bound
        // false: the pieces are handed on as they come, with no header read
        // and no watch on the connection's state.
        bool framed = true;
    };

    // A floor or window of 0 or less switches the low-speed watch off.
    HttpExchange(TcpClientSocket &socket, int lowSpeedBytes, int lowSpeedWindowMs,
                 QObject *parent = nullptr);

    // Drops whatever connection there is and connects to the host afresh.
    void open(const QString &host, const Transport &transport);
    // Sends the request (one byte per character) and starts watching its reply.
    void send(const QString &request, const Reading &reading);
    // The reply needs nothing more: the watches stop and what arrives is let go.
    void stopWatching();
    // Drops the connection and the reply.
    void close();
    bool isConnected() const;

signals:
    void connected();
    // An unframed reading: each piece as it came.
    void pieceArrived(const QByteArray &piece);
    // The reply's header has come, complete or unreadable; received holds
    // every byte so far. An unreadable header (no HTTP reply) makes the whole
    // reply a body: its bytes so far follow as the first piece.
    void headerArrived(const ReplyHeader &header, const QByteArray &received);
    // Follows the header in the same event, even when no body byte came with it.
    void bodyArrived(const HttpBodyPiece &piece);
    void failed(const HttpFailure &failure);

private:
    void onDataArrived();
    void readPiece(const QByteArray &piece);
    void readBody(const QByteArray &received);
    void reset();
    void fail(HttpFailure::Reason reason, int number = 0, const QString &description = {});

    enum class Mode
    {
        Header,
        Plain,   // the body is taken as it comes
        Chunked, // the body comes in the chunked transfer coding
    };

    TcpClientSocket &m_socket;
    QTimer m_silenceTimer;
    LowSpeedWatch m_speedWatch;
    Reading m_reading;
    bool m_watching = false; // a request is out and its reply is wanted
    // Changes whenever the connection or the reply is let go, so that nothing
    // more of a reply reaches the owner once it has dropped it.
    quint64 m_generation = 0;
    Mode m_mode = Mode::Header;
    QByteArray m_header; // reply bytes gathered until the header's blank line
    ChunkedDecoder m_chunks;
    qint64 m_replyBytes = 0;
};
