#include "http/HttpExchange.h"

#include "platform/TcpClientSocket.h"

HttpExchange::HttpExchange(TcpClientSocket &socket, int lowSpeedBytes, int lowSpeedWindowMs,
                           QObject *parent)
    : QObject(parent), m_socket(socket), m_speedWatch(lowSpeedBytes, lowSpeedWindowMs)
{
    m_silenceTimer.setSingleShot(true);
    connect(&m_silenceTimer, &QTimer::timeout, this, [this] { fail(HttpFailure::Reason::Silent); });
    connect(&m_speedWatch, &LowSpeedWatch::tooSlow, this,
            [this] { fail(HttpFailure::Reason::TooSlow); });
    connect(&m_socket, &TcpClientSocket::connected, this, &HttpExchange::connected);
    connect(&m_socket, &TcpClientSocket::dataArrived, this, &HttpExchange::onDataArrived);
    connect(&m_socket, &TcpClientSocket::closed, this,
            [this] { fail(HttpFailure::Reason::Closed); });
    connect(&m_socket, &TcpClientSocket::errorOccurred, this,
            [this](int number, const QString &description) {
                fail(HttpFailure::Reason::SocketError, number, description);
            });
    connect(&m_socket, &TcpClientSocket::handshakeFailed, this,
            [this](const QString &line) { fail(HttpFailure::Reason::Unverified, 0, line); });
}

void HttpExchange::open(const QString &host, const Transport &transport)
{
    stopWatching();
    reset();
    m_socket.reconnect(host, transport);
}

void HttpExchange::send(const QString &request, const Reading &reading)
{
    ++m_generation;
    reset();
    m_reading = reading;
    m_watching = true;
    m_socket.sendData(request);
    if (m_reading.silenceMs >= 0)
        m_silenceTimer.start(m_reading.silenceMs);
    m_speedWatch.start();
}

void HttpExchange::stopWatching()
{
    ++m_generation;
    m_silenceTimer.stop();
    m_speedWatch.stop();
    m_watching = false;
}

void HttpExchange::close()
{
    stopWatching();
    reset();
    m_socket.close();
}

bool HttpExchange::isConnected() const
{
    return m_socket.state() == TcpClientSocket::StateConnected;
}

void HttpExchange::reset()
{
    m_mode = Mode::Header;
    m_header = QByteArray();
    m_chunks.reset();
    m_replyBytes = 0;
}

void HttpExchange::fail(HttpFailure::Reason reason, int number, const QString &description)
{
    emit failed(HttpFailure{reason, number, description});
}

void HttpExchange::onDataArrived()
{
    if (m_reading.framed && !isConnected()) {
        fail(HttpFailure::Reason::LostInData);
        return;
    }
    // Taken even when nobody wants it, so that it is not announced again.
    const QByteArray piece = m_socket.getBytes();
    if (!m_watching || piece.isEmpty())
        return;
    // The silence watch starts over with every piece, so a host that stops in
    // the middle of a reply is given up as well.
    if (m_reading.silenceMs >= 0)
        m_silenceTimer.start(m_reading.silenceMs);
    m_speedWatch.count(piece.size());
    if (!m_reading.framed) {
        emit pieceArrived(piece);
        return;
    }
    // A reply that never brings its end would take all memory.
    m_replyBytes += piece.size();
    if (m_reading.maxBytes > 0 && m_replyBytes > m_reading.maxBytes) {
        fail(HttpFailure::Reason::TooLarge);
        return;
    }
    readPiece(piece);
}

void HttpExchange::readPiece(const QByteArray &piece)
{
    if (m_mode != Mode::Header) {
        readBody(piece);
        return;
    }
    m_header.append(piece);
    const ReplyHeader header = parseReplyHeader(m_header);
    if (header.status == ReplyHeader::Status::Incomplete)
        return;
    const QByteArray received = std::exchange(m_header, QByteArray());
    const bool http = header.status == ReplyHeader::Status::Complete;
    m_mode = http && header.chunked ? Mode::Chunked : Mode::Plain;
    const quint64 generation = m_generation;
    emit headerArrived(header, received);
    if (generation == m_generation)
        readBody(http ? received.sliced(header.headerLength) : received);
}

void HttpExchange::readBody(const QByteArray &received)
{
    HttpBodyPiece piece;
    piece.received = received;
    // Whatever follows the last chunk is no part of the body.
    if (m_mode == Mode::Chunked)
        piece.status = m_chunks.add(received, piece.data);
    else
        piece.data = received;
    emit bodyArrived(piece);
}
